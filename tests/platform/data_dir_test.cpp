#include "platform/system/data_dir.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace tally {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

class DataDirTest : public ::testing::Test
{
protected:
    TempDir dir;
    UserDirs dirs {dir.Path() / "share", dir.Path() / "config"};
    std::string fallback = (dir.Path() / "share" / "tallyhour-zide" / "").string();
};

TEST_F(DataDirTest, WritableProgramFolderHoldsTheFiles)
{
    const auto program = dir.Path() / "bin";
    fs::create_directory(program);
    EXPECT_EQ(ChooseInstallPath(program, dirs), (program / "").string());
    EXPECT_TRUE(fs::is_empty(program)); // the probe is gone
    EXPECT_FALSE(fs::exists(dir.Path() / "share"));
}

TEST_F(DataDirTest, OtherwiseThePerUserFolderCreatedForTheUserAlone)
{
    // /proc takes no files, whoever asks.
    EXPECT_FALSE(FolderWritable("/proc"));
    EXPECT_EQ(ChooseInstallPath("/proc", dirs), fallback);
    ASSERT_TRUE(fs::is_directory(fallback));
    EXPECT_EQ(fs::status(fallback).permissions(), fs::perms::owner_all);

    // An existing folder is used as it is.
    EXPECT_EQ(ChooseInstallPath(dir.Path() / "missing", dirs), fallback);
    EXPECT_EQ(ChooseInstallPath("", dirs), fallback);
}

TEST_F(DataDirTest, ReadOnlyProgramFolderFallsBack)
{
    if (geteuid() == 0) {
        GTEST_SKIP() << "running as root: a read-only folder stays writable (the /proc case covers it)";
    }
    const auto program = dir.Path() / "readonly";
    fs::create_directory(program);
    fs::permissions(program, fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
    EXPECT_FALSE(FolderWritable(program));
    EXPECT_EQ(ChooseInstallPath(program, dirs), fallback);
    fs::permissions(program, fs::perms::owner_all, fs::perm_options::replace);
}

TEST_F(DataDirTest, UnusableDataHomeStillNamesThePath)
{
    test::WriteFile((dir.Path() / "share").string(), "");
    EXPECT_EQ(ChooseInstallPath("/proc", dirs), fallback);
    EXPECT_FALSE(fs::exists(fallback));
}

TEST(ProgramFilePath, NamesThisTestProgram)
{
    const fs::path self = ProgramFilePath();
    EXPECT_TRUE(self.is_absolute());
    EXPECT_EQ(self.filename(), "tests_platform");
}

} // namespace
} // namespace tally
