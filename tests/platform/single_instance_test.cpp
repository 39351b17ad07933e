#include "platform/system/single_instance.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace tally {
namespace {

// flock locks belong to open file descriptions, so a second open in this
// process competes as a second instance would; a child process checks the
// cross-process case.
TEST(SingleInstance, SecondHolderIsRefusedUntilTheFirstEnds)
{
    test::TempDir dir;
    const std::string file = dir.File("lock");
    {
        SingleInstanceLock first(file);
        ASSERT_TRUE(first.Acquired());
        SingleInstanceLock second(file);
        EXPECT_FALSE(second.Acquired());

        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            SingleInstanceLock other(file);
            _exit(other.Acquired() ? 1 : 0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    SingleInstanceLock again(file);
    EXPECT_TRUE(again.Acquired());
}

TEST(SingleInstance, DefaultFileIsPerUser)
{
    const std::string file = SingleInstanceLock::DefaultLockFile();
    EXPECT_NE(file.find("tallyhour-zide"), std::string::npos);
}

} // namespace
} // namespace tally
