#include "platform/system/posix_file_system.h"
#include "storage_fixture.h"

#include "storage/storage_error.h"

#include <gmock/gmock.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <random>
#include <thread>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tally::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

constexpr uid_t kNobody = 65534;

// Runs check in a child process that has dropped root, so that file modes
// are enforced. The check returns an empty text or what went wrong.
std::string RunWithoutRoot(const std::function<std::string()>& check)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        return "pipe failed";
    }
    const pid_t pid = fork();
    if (pid == 0) {
        close(pipeFds[0]);
        std::string outcome;
        if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) {
            outcome = "skip: cannot change user";
        } else {
            try {
                outcome = check();
            } catch (const std::exception& e) {
                outcome = std::string("exception: ") + e.what();
            }
        }
        [[maybe_unused]] const auto written = write(pipeFds[1], outcome.data(), outcome.size());
        close(pipeFds[1]);
        _exit(0);
    }
    close(pipeFds[1]);
    std::string outcome;
    char buffer[256];
    for (ssize_t got; (got = read(pipeFds[0], buffer, sizeof buffer)) > 0;) {
        outcome.append(buffer, static_cast<std::size_t>(got));
    }
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return "child failed";
    }
    return outcome;
}

using SaveTest = StorageTest;

TEST_F(SaveTest, ReadOnlyDataFileLeavesTheDataInTheBackup)
{
    model = RichModel();
    WriteFile(dataPath, "old content");
    fs::permissions(dataPath, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

    auto check = [&]() -> std::string {
        try {
            data.SafeSave();
            return "SafeSave reported success";
        } catch (const SaveError& e) {
            if (e.BackupPath() != backupPath) {
                return "backup path '" + e.BackupPath() + "'";
            }
            if (std::string(e.what()).find("timers.dat") == std::string::npos) {
                return std::string("message without the file: ") + e.what();
            }
        }
        if (ReadFile(dataPath) != "old content") {
            return "the read-only file changed";
        }
        if (ReadFile(backupPath) != CurrentImage(RichModel())) {
            return "the backup does not hold the data";
        }
        if (fs::exists(dataPath + ".tmp") || fs::exists(backupPath + ".tmp")) {
            return "a temporary file was left behind";
        }
        return "";
    };

    if (geteuid() != 0) {
        EXPECT_EQ(check(), "");
        return;
    }
    // Root writes through file modes, so the check runs as an ordinary user.
    fs::permissions(dir.Path(), fs::perms::all);
    const std::string outcome = RunWithoutRoot(check);
    if (outcome.starts_with("skip: ")) {
        GTEST_SKIP() << outcome.substr(6);
    }
    EXPECT_EQ(outcome, "");
}

TEST_F(SaveTest, DataFileThatCannotBeOpenedForWritingLeavesTheDataInTheBackup)
{
    // A directory in the data file's place stops every user, root included.
    model = RichModel();
    fs::create_directory(dataPath);
    try {
        data.SafeSave();
        FAIL() << "SafeSave reported success";
    } catch (const SaveError& e) {
        EXPECT_EQ(e.BackupPath(), backupPath);
        EXPECT_THAT(e.what(), HasSubstr(dataPath));
        EXPECT_THAT(e.what(), HasSubstr(backupPath));
    }
    EXPECT_TRUE(fs::is_directory(dataPath));
    EXPECT_EQ(ReadFile(backupPath), CurrentImage(model));
    EXPECT_THAT(LogLines(), ::testing::ElementsAre("SafeSave->", "Save->", "Save->"));
}

TEST_F(SaveTest, BackupFailureIsPassedOnInstead)
{
    const fs::path missing = dir.Path() / "missing";
    DataFile nowhere(model, log, clock, SystemFiles(), DataFilePaths::InDirectory(missing));
    try {
        nowhere.SafeSave();
        FAIL() << "SafeSave reported success";
    } catch (const SaveError& e) {
        EXPECT_TRUE(e.BackupPath().empty());
        EXPECT_THAT(e.what(), HasSubstr("~timersBackup.dat"));
    }
}

TEST_F(SaveTest, SaveKeepsPermissionsAndFollowsALink)
{
    WriteFile(dataPath, "old");
    fs::permissions(dataPath, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    data.Save(dataPath);
    EXPECT_EQ(fs::status(dataPath).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    fs::create_directory(dir.Path() / "real");
    const std::string linked = dir.File("linked.dat");
    fs::create_symlink("real/target.dat", linked);
    model.Timers.Create().Name = "through the link";
    data.Save(linked);
    EXPECT_TRUE(fs::is_symlink(linked));
    EXPECT_EQ(ReadFile(dir.File("real/target.dat")), CurrentImage(model));
}

TEST_F(SaveTest, LeftoverTemporaryFileDoesNotStopASave)
{
    WriteFile(dataPath + ".tmp", "from a save that was cut short");
    model = RichModel();
    data.Save(dataPath);
    EXPECT_EQ(ReadFile(dataPath), CurrentImage(model));
    EXPECT_FALSE(fs::exists(dataPath + ".tmp"));
}

// A save killed at any moment leaves the old file or the new one, whole.
TEST_F(SaveTest, KilledWhileSavingLeavesAWholeFile)
{
    TimeModel first = RichModel();
    TimeModel second = RichModel();
    for (int i = 0; i < 400; ++i) {
        second.Timers[0].ActivePeriods.Add(i, i + 0.5);
    }
    second.Projects[0].Name = "second";
    const std::string firstImage = CurrentImage(first);
    const std::string secondImage = CurrentImage(second);

    TBrisvaleLog quiet(clock);
    DataFile firstFile(first, quiet, clock, SystemFiles(), DataFilePaths::InDirectory(dir.Path()));
    DataFile secondFile(second, quiet, clock, SystemFiles(), DataFilePaths::InDirectory(dir.Path()));
    firstFile.Save(dataPath);

    std::mt19937 random(20240305);
    std::uniform_int_distribution<int> delayUs(0, 1500);
    int sawFirst = 0;
    int sawSecond = 0;
    constexpr int kKills = 300;
    for (int kill = 0; kill < kKills; ++kill) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            try {
                for (;;) {
                    secondFile.Save(dataPath);
                    firstFile.Save(dataPath);
                }
            } catch (...) {
                _exit(1);
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        ::kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child stopped by itself at kill " << kill;

        const std::string content = ReadFile(dataPath);
        ASSERT_TRUE(content == firstImage || content == secondImage)
            << "kill " << kill << " left " << content.size() << " bytes";
        (content == firstImage ? sawFirst : sawSecond)++;
    }
    // The file loads whole after the last kill, too.
    TimeModel loaded;
    DataFile reader(loaded, quiet, clock, SystemFiles(), DataFilePaths::InDirectory(dir.Path()));
    EXPECT_EQ(reader.Load(dataPath).State, LoadResult::Status::Loaded);
    RecordProperty("old_file_after_kill", sawFirst);
    RecordProperty("new_file_after_kill", sawSecond);
}

} // namespace
} // namespace tally::test
