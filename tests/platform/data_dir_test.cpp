#include "platform/system/data_dir.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tally {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

class DataDirTest : public ::testing::Test
{
protected:
    TempDir dir;
    UserDirs dirs {dir.Path() / "share", dir.Path() / "config"};
    fs::path program = dir.Path() / "bin";
    std::string perUser = (dir.Path() / "share" / "tallyhour-zide" / "").string();
    std::string beside = (dir.Path() / "bin" / "").string();
};

TEST_F(DataDirTest, TheProgramFolderHoldsTheFilesOnlyWhenTheUserChoseIt)
{
    struct Case
    {
        const char* Name;
        std::vector<std::string> Files; // already in the program's folder
        bool ReadOnly;
        const char* Override; // TALLYHOUR_DATA_DIR
        bool Beside;          // else the per-user folder, or the override
    };
    const Case cases[] = {
        {"fresh folder (a build tree)", {}, false, "", false},
        {"portable marker", {"portable"}, false, "", true},
        {"data file from an earlier run", {"timers.dat"}, false, "", true},
        {"settings file from an earlier run", {"tallyhourlite.ini"}, false, "", true},
        // Writing there fails later and is reported; no empty list elsewhere.
        {"read-only folder with a marker", {"portable"}, true, "", true},
        {"read-only folder without one", {}, true, "", false},
        {"only the run log or a backup", {"log.txt", "~timersBackup.dat"}, false, "", false},
        {"a folder named like the data file", {"timers.dat/"}, false, "", true},
        {"override", {"portable", "timers.dat"}, false, "/elsewhere/data", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        fs::remove_all(program);
        fs::remove_all(dir.Path() / "share");
        fs::create_directory(program);
        for (const std::string& name : c.Files) {
            if (name.ends_with('/')) {
                fs::create_directory(program / name);
            } else {
                test::WriteFile((program / name).string(), "");
            }
        }
        if (c.ReadOnly) {
            fs::permissions(program, fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
        }
        const std::string chosen = ChooseInstallPath(program, dirs, c.Override);
        fs::permissions(program, fs::perms::owner_all, fs::perm_options::replace);

        if (*c.Override != '\0') {
            EXPECT_EQ(chosen, std::string(c.Override) + "/");
            EXPECT_FALSE(fs::exists(perUser));
        } else if (c.Beside) {
            EXPECT_EQ(chosen, beside);
            EXPECT_FALSE(fs::exists(perUser));
        } else {
            EXPECT_EQ(chosen, perUser);
            EXPECT_TRUE(fs::is_directory(perUser));
        }
        // Choosing never writes beside the program.
        EXPECT_EQ(std::distance(fs::directory_iterator(program), fs::directory_iterator()),
                  static_cast<std::ptrdiff_t>(c.Files.size()));
    }
}

TEST_F(DataDirTest, TheOverrideEndsInOneSeparatorAndIsAbsolute)
{
    EXPECT_EQ(ChooseInstallPath(program, dirs, "/data/"), "/data/");
    EXPECT_EQ(ChooseInstallPath(program, dirs, "relative"), (fs::current_path() / "relative" / "").string());
    // An empty value is no override: the rule applies.
    EXPECT_EQ(ChooseInstallPath(program, dirs, ""), perUser);
}

TEST_F(DataDirTest, ThePerUserFolderIsCreatedForTheUserAlone)
{
    // /proc takes no files, and holds none of ours.
    EXPECT_EQ(ChooseInstallPath("/proc", dirs), perUser);
    ASSERT_TRUE(fs::is_directory(perUser));
    EXPECT_EQ(fs::status(perUser).permissions(), fs::perms::owner_all);

    // An existing folder is used as it is.
    EXPECT_EQ(ChooseInstallPath(dir.Path() / "missing", dirs), perUser);
    EXPECT_EQ(ChooseInstallPath("", dirs), perUser);
}

TEST_F(DataDirTest, UnusableDataHomeStillNamesThePath)
{
    test::WriteFile((dir.Path() / "share").string(), "");
    EXPECT_EQ(ChooseInstallPath("/proc", dirs), perUser);
    EXPECT_FALSE(fs::exists(perUser));
}

TEST(ProgramFilePath, NamesThisTestProgram)
{
    const fs::path self = ProgramFilePath();
    EXPECT_TRUE(self.is_absolute());
    EXPECT_EQ(self.filename(), "tests_platform");
}

} // namespace
} // namespace tally
