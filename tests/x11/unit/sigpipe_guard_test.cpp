#include "platform/x11/sigpipe_guard.h"

#include <gtest/gtest.h>

#include <cerrno>

#include <unistd.h>

namespace tally::x11 {
namespace {

bool PipePending()
{
    sigset_t pending;
    sigemptyset(&pending);
    sigpending(&pending);
    return sigismember(&pending, SIGPIPE) == 1;
}

TEST(SigpipeGuard, WriteToAClosedPeerFailsInsteadOfEndingTheProcess)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    close(fds[0]);
    {
        const SigpipeGuard guard;
        errno = 0;
        EXPECT_EQ(write(fds[1], "x", 1), -1);
        EXPECT_EQ(errno, EPIPE);
    }
    close(fds[1]);
    EXPECT_FALSE(PipePending()) << "the signal raised inside was consumed";

    sigset_t mask;
    pthread_sigmask(SIG_SETMASK, nullptr, &mask);
    EXPECT_EQ(sigismember(&mask, SIGPIPE), 0) << "the signal mask is restored";
}

} // namespace
} // namespace tally::x11
