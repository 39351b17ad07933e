#pragma once

#include "platform/background_threads.h"

namespace tally {

// Detached standard threads that switch themselves to idle scheduling
// (SCHED_IDLE) before the body runs.
class IdleThreads final : public BackgroundThreads
{
public:
    void StartIdle(std::function<void()> body) override;
};

} // namespace tally
