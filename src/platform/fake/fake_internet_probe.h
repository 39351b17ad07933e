#pragma once

#include "platform/internet_probe.h"

namespace tally {

// A probe whose answers the test gives. Starting the timer runs one probe at
// once, as the real one does; FireTimer stands for a later firing. A probe
// only counts here: its answer comes when the test calls Answer.
class FakeInternetProbe final : public InternetProbe
{
public:
    bool TimerRunning() const override { return m_running; }
    void StartTimer() override
    {
        m_running = true;
        ++m_starts;
        ++m_probes;
    }
    bool InetConnected() const override { return m_connected; }

    void FireTimer()
    {
        if (m_running) {
            ++m_probes;
        }
    }
    void Answer(bool connected) { m_connected = connected; }
    int Starts() const { return m_starts; }
    int Probes() const { return m_probes; }

private:
    bool m_running = false;
    bool m_connected = false;
    int m_starts = 0;
    int m_probes = 0;
};

} // namespace tally
