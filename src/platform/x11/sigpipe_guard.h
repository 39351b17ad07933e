#pragma once

#include <csignal>

namespace tally::x11 {

// Keeps SIGPIPE away from the calling thread while it lives. XCB writes to
// its socket without MSG_NOSIGNAL, so a server that dies between a poll and a
// write would otherwise end the whole process. A SIGPIPE raised meanwhile is
// consumed; one that was already pending is left alone.
class SigpipeGuard
{
public:
    // needed false: does nothing (the process ignores SIGPIPE anyway).
    explicit SigpipeGuard(bool needed = true);
    ~SigpipeGuard();
    SigpipeGuard(const SigpipeGuard&) = delete;
    SigpipeGuard& operator=(const SigpipeGuard&) = delete;

private:
    sigset_t m_old {};
    bool m_wasPending = false;
    bool m_active = false;
};

// Whether SIGPIPE is ignored by the whole process, which makes the guard
// needless: four system calls fewer on every call to the server.
bool ProcessIgnoresSigpipe();

} // namespace tally::x11
