#include "platform/system/posix_file_system.h"
#include "storage/settings_file.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>

namespace tally {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

class IniSettingsTest : public ::testing::Test
{
protected:
    TempDir dir;
    std::string path = SettingsFilePath((dir.Path() / "").string());
    IniSettings settings {SystemFiles(), path};
};

// Expects the write to fail with the file's path and to leave the file as it was.
void ExpectWriteFails(IniSettings& settings, const std::string& before)
{
    try {
        settings.WriteInteger("main", "PrjIdCounter", 7);
        ADD_FAILURE() << "no error writing " << settings.Path();
    } catch (const SettingsWriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + settings.Path().string());
    }
    EXPECT_EQ(ReadFile(settings.Path().string()), before);
    EXPECT_EQ(settings.ReadInteger("main", "PrjIdCounter", -1), before.empty() ? -1 : 3);
}

TEST_F(IniSettingsTest, MissingFileReadsDefaultsAndFirstWriteCreatesIt)
{
    EXPECT_EQ(path, (dir.Path() / "tallyhourlite.ini").string());
    EXPECT_EQ(settings.Read("main", "AutoRun"), std::nullopt);
    EXPECT_FALSE(fs::exists(path));

    settings.WriteBool("main", "FirstLaunch", false);
    EXPECT_EQ(ReadFile(path), "[main]\nFirstLaunch=0\n");
    EXPECT_FALSE(settings.ReadBool("main", "firstlaunch", true));
    // Only the file itself is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
}

TEST_F(IniSettingsTest, WritesKeepTheRestOfTheFile)
{
    const std::string before = "; kept\r\n[MAIN]\r\nautorun = 1\r\nsomething odd\r\n\r\n[Statistic]\r\nScaleX=9\r\n";
    WriteFile(path, before);
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace);

    settings.WriteBool("main", "AutoRun", false);
    settings.WriteInteger("statistic", "SCALEX", 12);
    EXPECT_EQ(ReadFile(path), "; kept\r\n[MAIN]\r\nautorun=0\r\nsomething odd\r\n\r\n[Statistic]\r\nScaleX=12\r\n");
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(IniSettingsTest, ReadsSeeChangesMadeByOthers)
{
    WriteFile(path, "[main]\nIdleInterval=300\n");
    EXPECT_EQ(settings.ReadInteger("main", "IdleInterval", 0), 300);

    // Same size, so only the modification time tells.
    WriteFile(path, "[main]\nIdleInterval=120\n");
    fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(5));
    EXPECT_EQ(settings.ReadInteger("main", "IdleInterval", 0), 120);

    // A write starts from what the file holds now.
    WriteFile(path, "[main]\nIdleInterval=60\nLogActive=1\n");
    settings.WriteInteger("main", "LogDetail", 2);
    EXPECT_EQ(ReadFile(path), "[main]\nIdleInterval=60\nLogActive=1\nLogDetail=2\n");

    fs::remove(path);
    EXPECT_EQ(settings.Read("main", "LogActive"), std::nullopt);
}

TEST_F(IniSettingsTest, BinaryGarbageAndHugeLinesReadAsDefaultsAndStayWritable)
{
    std::string garbage;
    for (int i = 0; i < 4096; ++i) {
        garbage += static_cast<char>((i * 7919) % 256);
    }
    WriteFile(path, garbage + "\n" + std::string(8 << 20, '[') + "\n[main]\nSoundOn=0\n" + std::string(8 << 20, 'k'));
    EXPECT_EQ(settings.ReadInteger("main", "SoundOn", 1), 0);
    EXPECT_EQ(settings.ReadInteger("main", "ShowHints", 1), 1);
    settings.WriteInteger("main", "ShowHints", 0);
    EXPECT_EQ(settings.ReadInteger("main", "ShowHints", 1), 0);
}

TEST_F(IniSettingsTest, LongValuesAreCutAt2047)
{
    WriteFile(path, "[main]\nProxy=" + std::string(3000, 'x') + "\n");
    EXPECT_EQ(settings.ReadString("main", "Proxy", ""), std::string(2047, 'x'));

    // A character that would be split is left out whole.
    WriteFile(path, "[main]\nProxy=" + std::string(2046, 'y') + "\xE2\x82\xAC" + "\n");
    EXPECT_EQ(settings.ReadString("main", "Proxy", ""), std::string(2046, 'y'));
    EXPECT_EQ(CutText(std::string(2045, 'y') + "\xE2\x82\xAC", 2047), std::string(2045, 'y'));
    EXPECT_EQ(CutText(std::string(2044, 'y') + "\xE2\x82\xAC", 2047), std::string(2044, 'y') + "\xE2\x82\xAC");
    // Stray continuation bytes are no character: cut where the limit is.
    EXPECT_EQ(CutText("ab" + std::string(6, '\x80'), 4), "ab\x80\x80");
}

TEST_F(IniSettingsTest, WriteThroughSymbolicLinkKeepsTheLink)
{
    const auto real = dir.File("real.ini");
    WriteFile(real, "[main]\nAutoRun=1\n");
    fs::create_symlink(real, path);
    settings.WriteBool("main", "AutoRun", false);
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(ReadFile(real), "[main]\nAutoRun=0\n");
}

TEST_F(IniSettingsTest, FailedWritesNameTheFileAndChangeNothing)
{
    // A folder that cannot exist stops every user, root included.
    WriteFile(dir.File("file"), "");
    IniSettings underFile(SystemFiles(), dir.File("file") + "/tallyhourlite.ini");
    ExpectWriteFails(underFile, "");

    IniSettings inProc(SystemFiles(), "/proc/tallyhourlite.ini");
    ExpectWriteFails(inProc, "");
}

TEST_F(IniSettingsTest, ReadOnlyFileOrFolderFailsTheWrite)
{
    if (geteuid() == 0) {
        GTEST_SKIP() << "running as root: permission bits do not stop writes (the cases above cover failure)";
    }
    const std::string before = "[main]\nPrjIdCounter=3\n";
    WriteFile(path, before);
    EXPECT_EQ(settings.ReadInteger("main", "PrjIdCounter", -1), 3);
    fs::permissions(path, fs::perms::owner_read, fs::perm_options::replace);
    ExpectWriteFails(settings, before);

    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace);
    fs::permissions(dir.Path(), fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
    ExpectWriteFails(settings, before);
    fs::permissions(dir.Path(), fs::perms::owner_all, fs::perm_options::replace);

    // A file that cannot be read is not replaced by one holding only the new key.
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::replace);
    IniSettings unreadable(SystemFiles(), path);
    EXPECT_THROW(unreadable.WriteInteger("main", "PrjIdCounter", 7), SettingsWriteError);
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace);
    EXPECT_EQ(ReadFile(path), before);
}

} // namespace
} // namespace tally
