#include "platform/system/idle_threads.h"

#include <pthread.h>
#include <sched.h>

#include <thread>
#include <utility>

namespace tally {

void IdleThreads::StartIdle(std::function<void()> body)
{
    std::thread thread([body = std::move(body)] {
        // Best effort: a refusal only means the body runs at normal priority.
        sched_param param {};
        param.sched_priority = 0;
        pthread_setschedparam(pthread_self(), SCHED_IDLE, &param);
        try {
            body();
        } catch (...) {
            // Nobody is left to hear about it; the thread just ends.
        }
    });
    thread.detach();
}

} // namespace tally
