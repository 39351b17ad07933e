#include "platform/x11/sigpipe_guard.h"

#include <ctime>

#include <pthread.h>

namespace tally::x11 {

namespace {

sigset_t PipeSet()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGPIPE);
    return set;
}

bool PipePending()
{
    sigset_t pending;
    sigemptyset(&pending);
    return sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
}

} // namespace

SigpipeGuard::SigpipeGuard(bool needed)
    : m_active(needed)
{
    if (!m_active) {
        return;
    }
    const sigset_t set = PipeSet();
    pthread_sigmask(SIG_BLOCK, &set, &m_old);
    m_wasPending = PipePending();
}

SigpipeGuard::~SigpipeGuard()
{
    if (!m_active) {
        return;
    }
    if (!m_wasPending && PipePending()) {
        const sigset_t set = PipeSet();
        const timespec zero {};
        sigtimedwait(&set, nullptr, &zero);
    }
    pthread_sigmask(SIG_SETMASK, &m_old, nullptr);
}

bool ProcessIgnoresSigpipe()
{
    struct sigaction current
    { };
    return sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

} // namespace tally::x11
