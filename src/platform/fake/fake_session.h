#pragma once

#include "platform/session_watcher.h"

#include <utility>

namespace tally {

// A session that tests lock, unlock, suspend and resume by hand.
class FakeSession final : public SessionWatcher
{
public:
    void SetLocked(bool locked) { m_locked = locked; }

    // Delivers a power notification to the installed handler.
    void SendPower(PowerEvent event)
    {
        if (m_onPower) {
            m_onPower(event);
        }
    }
    bool HasPowerHandler() const { return static_cast<bool>(m_onPower); }

    bool IsLocked() override { return m_locked; }
    void SetPowerHandler(PowerHandler onPower) override { m_onPower = std::move(onPower); }
    std::vector<int> EventDescriptors() override { return {}; }
    void DispatchEvents() override { }

private:
    bool m_locked = false;
    PowerHandler m_onPower;
};

} // namespace tally
