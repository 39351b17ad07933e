#include "platform/system/idle_threads.h"

#include <windows.h>

#include <thread>
#include <utility>

namespace tally {

void IdleThreads::StartIdle(std::function<void()> body)
{
    std::thread thread([body = std::move(body)] {
        // Best effort: a refusal only means the body runs at normal priority.
        ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_IDLE);
        try {
            body();
        } catch (...) {
            // Nobody is left to hear about it; the thread just ends.
        }
    });
    thread.detach();
}

} // namespace tally
