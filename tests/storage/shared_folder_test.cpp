#include "storage_fixture.h"

#include "model/settings_store.h"
#include "storage/shared_folder.h"

#include <gmock/gmock.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tally::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

using SharedFolderTest = StorageTest;

TEST_F(SharedFolderTest, SettingsNameThisComputersOwnFile)
{
    MemorySettings settings;
    const ComputerIdentity system {"Lap top/2", "0A1B2C3D4E5F67890123456789abcdef"};
    EXPECT_EQ(SharedCopyPath(ReadSharingSettings(settings), system), "") << "not shared until a folder is set";
    WriteSharedFolder(settings, dir.File("share"));
    EXPECT_EQ(fs::path(SharedCopyPath(ReadSharingSettings(settings), system)),
              fs::path(dir.File("share/Lap_top_2-0a1b2c3d.dat")));
    settings.WriteString(kSharingSection, "ComputerName", ".desk");
    EXPECT_EQ(fs::path(SharedCopyPath(ReadSharingSettings(settings), system)),
              fs::path(dir.File("share/_desk-0a1b2c3d.dat")));
    EXPECT_EQ(ComputerOfFile("_desk-0a1b2c3d.dat"), "_desk");
    WriteSharedFolder(settings, "");
    EXPECT_EQ(SharedCopyPath(ReadSharingSettings(settings), system), "") << "sharing stopped";
}

// The copy is the data file's bytes; a failure there leaves the save whole,
// is told once per outage and never touches another computer's file.
TEST_F(SharedFolderTest, SaveWritesTheCopyAndReportsAFailureOnce)
{
    model = RichModel();
    const fs::path share = dir.Path() / "share";
    const std::string mine = (share / "here-1.dat").string();
    std::vector<std::string> failures;
    data.SetOnSharedCopyFailed([&](const std::string& why) { failures.push_back(why); });
    data.SetSharedCopy(mine);

    data.SafeSave();
    data.SafeSave();
    EXPECT_EQ(failures.size(), 1U) << "the folder is missing: told once";
    EXPECT_TRUE(fs::exists(dataPath)) << "the local save went ahead";
    EXPECT_FALSE(fs::exists(share));

    fs::create_directory(share);
    WriteFile((share / "there-2.dat").string(), "another computer's bytes");
    data.SafeSave();
    EXPECT_EQ(ReadFile(mine), ReadFile(dataPath));
    fs::remove_all(share);
    data.SafeSave();
    EXPECT_EQ(failures.size(), 2U) << "a new outage after a good copy is told again";

    fs::create_directory(share);
    WriteFile((share / "there-2.dat").string(), "another computer's bytes");
    data.SafeSave();
    EXPECT_EQ(ReadFile((share / "there-2.dat").string()), "another computer's bytes");
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(share)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_THAT(names, ElementsAre("here-1.dat", "there-2.dat")) << "no temporary file left";
}

TEST_F(SharedFolderTest, ReaderSkipsSyncToolFilesDamagedFilesAndItsOwn)
{
    const fs::path share = dir.Path() / "share";
    fs::create_directories(share / ".stfolder");
    model = RichModel();
    for (const char* name : {"here-1.dat",
                             "there-2.dat",
                             "there-2.sync-conflict-20260301-101010-ABCDEFG.dat",
                             "~syncthing~there-2.dat.tmp",
                             ".syncthing.there-2.dat.tmp",
                             ".~lock.there-2.dat#",
                             "timers.dat",
                             "half-3.dat"}) {
        data.Save((share / name).string());
    }
    const std::string good = ReadFile((share / "there-2.dat").string());
    WriteFile((share / "half-3.dat").string(), good.substr(0, good.size() / 2));

    SharedFolderReader reader(SystemFiles(), share.string(), "here-1.dat");
    EXPECT_TRUE(reader.Refresh());
    ASSERT_EQ(reader.Computers().size(), 1U);
    EXPECT_EQ(reader.Computers()[0]->Computer, "there");
    EXPECT_EQ(reader.Computers()[0]->Model->Timers.Count(), 3U);
    ASSERT_EQ(reader.Notices().size(), 1U);
    EXPECT_THAT(reader.Notices()[0], HasSubstr("half-3.dat"));
    EXPECT_EQ(ReadFile((share / "half-3.dat").string()), good.substr(0, good.size() / 2)) << "left as it is";

    EXPECT_FALSE(reader.Refresh()) << "nothing changed";
    EXPECT_TRUE(reader.Notices().empty()) << "a damaged file is named once";

    WriteFile((share / "half-3.dat").string(), good);
    EXPECT_TRUE(reader.Refresh()) << "the sync finished";
    EXPECT_EQ(reader.Computers().size(), 2U);

    fs::remove_all(share);
    EXPECT_FALSE(reader.Refresh());
    ASSERT_EQ(reader.Notices().size(), 1U);
    EXPECT_THAT(reader.Notices()[0], HasSubstr("cannot be read"));
    EXPECT_EQ(reader.Computers().size(), 2U) << "an unreachable folder changes nothing else";
    reader.Refresh();
    EXPECT_TRUE(reader.Notices().empty()) << "told once";
}

} // namespace
} // namespace tally::test
