#pragma once

#include "platform/internet_probe.h"

namespace tally {

// A probe whose answer the test sets; counts the starts of the probe timer.
class FakeInternetProbe final : public InternetProbe
{
public:
    bool TimerRunning() const override { return m_running; }
    void StartTimer() override
    {
        m_running = true;
        ++m_starts;
    }
    bool InetConnected() const override { return m_connected; }

    void SetConnected(bool connected) { m_connected = connected; }
    int Starts() const { return m_starts; }

private:
    bool m_running = false;
    bool m_connected = false;
    int m_starts = 0;
};

} // namespace tally
