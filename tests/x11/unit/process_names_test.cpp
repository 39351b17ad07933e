#include "platform/x11/process_names.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <unistd.h>

namespace tally::x11 {
namespace {

namespace fs = std::filesystem;

TEST(ProcessNames, NameFromExecutableLink)
{
    EXPECT_EQ(ExecutableNameFromLink("/usr/bin/editor"), "editor");
    EXPECT_EQ(ExecutableNameFromLink("/opt/app/my app (deleted)"), "my app") << "replaced by an update";
    EXPECT_EQ(ExecutableNameFromLink("plain"), "plain");
    EXPECT_EQ(ExecutableNameFromLink("/tmp/(deleted)"), "(deleted)");
}

TEST(ProcessNames, ReadsTheLinkElseTheShortName)
{
    test::TempDir proc;
    fs::create_directories(proc.Path() / "100");
    fs::create_symlink("/usr/lib/office/soffice.bin (deleted)", proc.Path() / "100" / "exe");
    test::WriteFile(proc.File("100/comm"), "soffice\n");
    fs::create_directories(proc.Path() / "200");
    test::WriteFile(proc.File("200/comm"), "kworker/0:1\n");

    EXPECT_EQ(ProcessExecutableName(100, proc.Path()), "soffice.bin");
    EXPECT_EQ(ProcessExecutableName(200, proc.Path()), "kworker/0:1") << "no readable link: the short name";
    EXPECT_EQ(ProcessExecutableName(300, proc.Path()), "") << "the process has gone";
    EXPECT_EQ(ProcessExecutableName(0, proc.Path()), "");
    EXPECT_EQ(ProcessExecutableName(-5, proc.Path()), "");
}

TEST(ProcessNames, OwnProcessAndHost)
{
    EXPECT_EQ(ProcessExecutableName(getpid()), "tests_x11_unit");
    EXPECT_FALSE(LocalHostName().empty());
}

} // namespace
} // namespace tally::x11
