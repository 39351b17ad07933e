#pragma once

#include "platform/session_watcher.h"

namespace tally {

// Where nothing watches the session: never locked, never asleep.
class NoSessionWatcher final : public SessionWatcher
{
public:
    bool IsLocked() override { return false; }
    void SetPowerHandler(PowerHandler /*onPower*/) override { }
    std::vector<int> EventDescriptors() override { return {}; }
    void DispatchEvents() override { }
};

} // namespace tally
