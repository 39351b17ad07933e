#include "platform/fake/faulty_file_system.h"
#include "platform/system/posix_file_system.h"
#include "storage/settings_file.h"
#include "storage/storage_error.h"
#include "storage_fixture.h"

#include <gmock/gmock.h>

#include <filesystem>
#include <sys/mount.h>
#include <unistd.h>

namespace tally::test {
namespace {

namespace fs = std::filesystem;
using Step = FaultyFileSystem::Step;
using ::testing::HasSubstr;

std::vector<std::string> TemporaryFiles(const fs::path& folder)
{
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() == ".tmp") {
            found.push_back(entry.path().filename().string());
        }
    }
    return found;
}

class FailedWriteTest : public StorageTest
{
protected:
    FailedWriteTest()
    {
        model = RichModel();
        data.Save(dataPath);
        oldImage = ReadFile(dataPath);
        // The change that the failing save is to write.
        model.Timers.Create().Name = "added";
    }

    FaultyFileSystem faulty {SystemFiles()};
    DataFile faultyData {model, log, clock, faulty, DataFilePaths::InDirectory(dir.Path())};
    std::string oldImage;
};

// Every step of a save failing the way a full disk or an I/O fault does:
// the data file stays the old one whole, no temporary file is left, and the
// data reach the backup when only that one call fails, or the failure is
// reported without a backup when the fault persists.
TEST_F(FailedWriteTest, EveryFailingStepKeepsTheOldFileWhole)
{
    for (const Step step : {Step::Create, Step::Write, Step::Flush, Step::Close, Step::Rename}) {
        for (const std::errc error : {std::errc::no_space_on_device, std::errc::io_error}) {
            for (const bool persistent : {false, true}) {
                SCOPED_TRACE(std::string(StepName(step)) + " " + std::make_error_code(error).message()
                             + (persistent ? ", every call" : ", once"));
                fs::remove(backupPath);
                faulty.Heal();
                faulty.Fail(step, error, persistent ? 0 : 1);
                try {
                    faultyData.SafeSave();
                    ADD_FAILURE() << "SafeSave reported success";
                } catch (const SaveError& e) {
                    EXPECT_THAT(e.what(), HasSubstr(std::make_error_code(error).message()));
                    EXPECT_EQ(e.BackupPath(), persistent ? "" : backupPath);
                }
                EXPECT_EQ(ReadFile(dataPath), oldImage);
                EXPECT_EQ(fs::exists(backupPath), !persistent);
                if (!persistent) {
                    EXPECT_EQ(ReadFile(backupPath), CurrentImage(model));
                }
                EXPECT_THAT(TemporaryFiles(dir.Path()), ::testing::IsEmpty());
            }
        }
    }
    // A folder that cannot be synced still holds the renamed file.
    faulty.Heal();
    faulty.Fail(Step::SyncFolder, std::errc::io_error);
    faultyData.SafeSave();
    EXPECT_EQ(ReadFile(dataPath), CurrentImage(model));
}

TEST_F(FailedWriteTest, FailingSettingsWritesKeepTheFileAndTheValues)
{
    const std::string path = dir.File("tallyhourlite.ini");
    WriteFile(path, "[main]\nSoundOn=1\n");
    IniSettings settings(faulty, path);
    for (const Step step : {Step::Create, Step::Write, Step::Close, Step::Rename}) {
        SCOPED_TRACE(StepName(step));
        faulty.Heal();
        faulty.Fail(step, std::errc::no_space_on_device);
        EXPECT_THROW(settings.WriteString("main", "SoundOn", "0"), SettingsWriteError);
        EXPECT_EQ(ReadFile(path), "[main]\nSoundOn=1\n");
        EXPECT_EQ(settings.Read("main", "SoundOn"), "1");
        EXPECT_THAT(TemporaryFiles(dir.Path()), ::testing::IsEmpty());
    }
}

TEST_F(FailedWriteTest, AKilledSaveLeavesNothingTheNextStartKeeps)
{
    WriteFile(dataPath + ".tmp", "half a file");
    WriteFile(backupPath + ".tmp", "half a backup");
    TimeModel loaded;
    DataFile reader(loaded, log, clock, SystemFiles(), DataFilePaths::InDirectory(dir.Path()));
    EXPECT_EQ(reader.Load(dataPath).State, LoadResult::Status::Loaded);
    EXPECT_THAT(TemporaryFiles(dir.Path()), ::testing::IsEmpty());
    EXPECT_EQ(loaded.Timers.Count(), RichModel().Timers.Count());
}

TEST_F(FailedWriteTest, AReleasedModelIsNeverSaved)
{
    data.Release();
    EXPECT_EQ(model.Timers.Count(), 0U);
    data.SafeSave();
    data.Save(dataPath);
    data.TimAutoSaveTimer();
    EXPECT_EQ(ReadFile(dataPath), oldImage);
    EXPECT_FALSE(fs::exists(backupPath));
    EXPECT_THAT(LogLines(), ::testing::Contains("Save refused: the lists were released"));
}

TEST_F(FailedWriteTest, AFileThatCannotBeReadIsNeitherLoadedNorTouched)
{
    // A folder in the file's place stops root too; the model keeps what it
    // held, so nothing empty can replace the file.
    const std::string folder = dir.File("other.dat");
    fs::create_directory(folder);
    EXPECT_THROW(data.Load(folder), DataFileError);
    EXPECT_EQ(model.Timers.Count(), RichModel().Timers.Count() + 1);
    EXPECT_TRUE(fs::is_directory(folder));
}

// A real file system that fills up: the old file stays whole and the
// temporary file goes.
TEST_F(FailedWriteTest, AFullFileSystemKeepsTheOldFile)
{
    const fs::path mountPoint = dir.Path() / "small";
    fs::create_directory(mountPoint);
    if (geteuid() != 0 || ::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=16k") != 0) {
        GTEST_SKIP() << "needs root to mount a small tmpfs";
    }
    struct Unmount
    {
        fs::path Path;
        ~Unmount() { ::umount(Path.c_str()); }
    } unmount {mountPoint};

    DataFile small(model, log, clock, SystemFiles(), DataFilePaths::InDirectory(mountPoint));
    small.Save(small.Paths().DataFile);
    const std::string before = ReadFile(small.Paths().DataFile);
    // Far more than the room left.
    model.Timers[0].Name = std::string(60000, 'x');
    EXPECT_THROW(small.SafeSave(), SaveError);
    EXPECT_EQ(ReadFile(small.Paths().DataFile), before);
    EXPECT_THAT(TemporaryFiles(mountPoint), ::testing::IsEmpty());
}

} // namespace
} // namespace tally::test
