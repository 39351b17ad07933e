#include "platform/system/posix_file_system.h"
#include "storage/options.h"

#include "model/datetime.h"
#include "platform/autostart.h"
#include "platform/fake/fake_clock.h"
#include "runlog/brisvale_log.h"
#include "storage/ini_values.h"
#include "storage/settings_file.h"
#include "support/environment.h"
#include "support/temp_dir.h"
#include "view/menu_options.h"

#include <gtest/gtest.h>

#include <vector>

namespace tally {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// Records the calls, and what AutoRun held in the settings at each.
class RecordingAutoStart final : public AutoStart
{
public:
    explicit RecordingAutoStart(const SettingsStore& settings)
        : m_settings(settings)
    { }

    bool SetAutoStart(bool on) override
    {
        Calls.push_back(on);
        StoredAtCall.push_back(m_settings.Read("main", "AutoRun"));
        return Works;
    }
    bool IsAutoStart() const override { return !Calls.empty() && Calls.back(); }

    std::vector<bool> Calls;
    std::vector<std::optional<std::string>> StoredAtCall;
    bool Works = true;

private:
    const SettingsStore& m_settings;
};

class OptionsTest : public ::testing::Test
{
protected:
    OptionsTest() { log.SetLogFileName(dir.File("log.txt")); }

    // Switches the run log on at full detail and returns what it holds.
    void LogEverything()
    {
        log.SetActive(true);
        log.SetLogDetail(9);
    }
    std::string Logged() const { return ReadFile(dir.File("log.txt")); }

    TempDir dir;
    std::string path = dir.File("tallyhourlite.ini");
    IniSettings settings {SystemFiles(), path};
    FakeClock clock {EncodeDateTime(2024, 3, 15, 9, 30, 0)};
    TBrisvaleLog log {clock};
};

TEST_F(OptionsTest, WithoutFileEveryDefaultAndFirstLaunchOnlyOnce)
{
    IniOptions options;
    options.AutoRun = false; // every field is read, none left as it was
    options.SoundOn = false;
    options.MaxKeyIntervalMs = 0;
    LoadIni(settings, log, options);

    EXPECT_TRUE(options.AutoRun);
    EXPECT_FALSE(options.ProjectsVisible);
    EXPECT_FALSE(options.StatVisible);
    EXPECT_TRUE(options.SoundOn);
    EXPECT_TRUE(options.ShowHints);
    EXPECT_EQ(options.IdleIntervalSec, 300);
    EXPECT_EQ(options.AutoSaveInterval, 5);
    EXPECT_EQ(options.MaxKeyIntervalMs, 1000);
    EXPECT_TRUE(options.SplashOn);
    EXPECT_TRUE(options.ShowTodayTime);
    EXPECT_FALSE(options.ShowColor);
    EXPECT_FALSE(log.Active());
    EXPECT_EQ(log.LogDetail(), 0);
    EXPECT_TRUE(options.FirstLaunch);
    EXPECT_EQ(ReadFile(path), "[main]\nFirstLaunch=0\n");

    IniOptions again;
    LoadIni(settings, log, again);
    EXPECT_FALSE(again.FirstLaunch);
    EXPECT_EQ(ReadFile(path), "[main]\nFirstLaunch=0\n");
}

TEST_F(OptionsTest, StoredValuesAndTheirOddities)
{
    WriteFile(path,
              "; edited by hand\n"
              "[MAIN]\n"
              "autorun=0\n"
              "IDLEINTERVAL=0x10\n"
              "AutoSaveInterval=soon\n"
              "MaxKeyInterval=3\n"
              "SoundOn=2\n"
              "LogActive=1\n"
              "LogDetail=4\n"
              "FirstLaunch=7\n"
              "stray text\n"
              "[View]\n"
              "ShowColor=1\n");
    IniOptions options;
    LoadIni(settings, log, options);
    EXPECT_FALSE(options.AutoRun);
    EXPECT_EQ(options.IdleIntervalSec, 16);
    EXPECT_EQ(options.AutoSaveInterval, 5);
    EXPECT_EQ(options.MaxKeyIntervalMs, 3000);
    EXPECT_TRUE(options.SoundOn);
    EXPECT_TRUE(options.ShowColor);
    EXPECT_TRUE(log.Active());
    EXPECT_EQ(log.LogDetail(), 4);
    EXPECT_TRUE(options.FirstLaunch);
    EXPECT_EQ(ReadFile(path),
              "; edited by hand\n[MAIN]\nautorun=0\nIDLEINTERVAL=0x10\nAutoSaveInterval=soon\nMaxKeyInterval=3\n"
              "SoundOn=2\nLogActive=1\nLogDetail=4\nFirstLaunch=0\nstray text\n[View]\nShowColor=1\n");

    // Seconds beyond what milliseconds fit in 32 bits saturate.
    WriteFile(path, "[main]\nMaxKeyInterval=3000000\n");
    LoadIni(settings, log, options);
    EXPECT_EQ(options.MaxKeyIntervalMs, INT32_MAX);
    WriteFile(path, "[main]\nMaxKeyInterval=-3000000\n");
    LoadIni(settings, log, options);
    EXPECT_EQ(options.MaxKeyIntervalMs, INT32_MIN);
}

TEST_F(OptionsTest, FirstLaunchWriteFailurePropagatesWithOptionsInPlace)
{
    MemorySettings memory;
    memory.WriteString("main", "IdleInterval", "42");
    memory.WriteString("main", "LogActive", "1");
    memory.SetReadOnly(true);
    IniOptions options;
    EXPECT_THROW(LoadIni(memory, log, options), SettingsWriteError);
    EXPECT_EQ(options.IdleIntervalSec, 42);
    EXPECT_TRUE(options.FirstLaunch);
    EXPECT_TRUE(log.Active());
}

TEST_F(OptionsTest, StatisticsStateWithOutOfRangeValues)
{
    const StatOptions defaults = LoadStatIni(settings, log);
    EXPECT_TRUE(defaults.ShowMarks && defaults.ShowBorders && defaults.ShowLegend && defaults.ShowFullDate);
    EXPECT_EQ(defaults.TimeFormat, 2);
    EXPECT_EQ(defaults.CheckedUnit, ChartUnit::Hours);
    EXPECT_EQ(defaults.StatPage, 0);
    EXPECT_EQ(defaults.Position, 367);
    EXPECT_EQ(defaults.ScaleX, 7);
    EXPECT_EQ(LoadStatIni(settings, log, 200).Position, 200);

    WriteFile(path, "[Statistic]\nShowLegend=0\nTimeFormat=5\nStatPage=3\nPosition=500\nScaleX=0\n");
    StatOptions odd = LoadStatIni(settings, log);
    EXPECT_FALSE(odd.ShowLegend);
    EXPECT_EQ(odd.TimeFormat, 5);
    EXPECT_EQ(odd.CheckedUnit, ChartUnit::Hours);
    EXPECT_EQ(odd.StatPage, 0);
    EXPECT_EQ(odd.Position, 367);
    EXPECT_EQ(odd.ScaleX, 1);

    WriteFile(path, "[Statistic]\nTimeFormat=0\nStatPage=-1\nPosition=-4\nScaleX=150\n");
    odd = LoadStatIni(settings, log);
    EXPECT_EQ(odd.CheckedUnit, ChartUnit::Seconds);
    EXPECT_EQ(odd.StatPage, 0);
    EXPECT_EQ(odd.Position, 0);
    EXPECT_EQ(odd.ScaleX, 99);

    SaveStatIni(settings, 300, 14);
    WriteSetting(settings, setting::StatPage, 2);
    WriteSetting(settings, setting::TimeFormat, 1);
    const StatOptions saved = LoadStatIni(settings, log);
    EXPECT_EQ(saved.Position, 300);
    EXPECT_EQ(saved.ScaleX, 14);
    EXPECT_EQ(saved.StatPage, 2);
    EXPECT_EQ(saved.CheckedUnit, ChartUnit::Minutes);

    EXPECT_EQ(ReadSelectedIndex(settings), 0);
    WriteSetting(settings, setting::SelectedIndex, -3);
    EXPECT_EQ(ReadSelectedIndex(settings), 0);
    WriteSetting(settings, setting::SelectedIndex, 5);
    EXPECT_EQ(ReadSelectedIndex(settings), 5);
}

TEST_F(OptionsTest, OptionClicksLogAndStoreAndAutoRunRegistersFirst)
{
    LogEverything();
    RecordingAutoStart autoStart(settings);
    const std::pair<MenuOption, const char*> items[] = {
        {MenuOption::SoundOn, "SoundOn"},
        {MenuOption::ShowSplash, "SplashOn"},
        {MenuOption::ShowHints, "ShowHints"},
        {MenuOption::ShowTodayTime, "ShowTodayTime"},
        {MenuOption::ShowColor, "ShowColor"},
        {MenuOption::AutoRun, "AutoRun"},
    };
    for (const auto& [option, key] : items) {
        OptionClicked(option, false, settings, log, autoStart);
        EXPECT_EQ(SettingOf(option).Key, key);
        EXPECT_EQ(settings.Read(SettingOf(option).Section, key), "0") << key;
        EXPECT_NE(Logged().find(std::string(HandlerName(option)) + "->"), std::string::npos) << key;
    }
    EXPECT_EQ(settings.Read("view", "ShowColor"), "0");
    ASSERT_EQ(autoStart.Calls, std::vector<bool> {false});
    EXPECT_EQ(autoStart.StoredAtCall[0], std::nullopt);
    EXPECT_NE(Logged().find("pAutoRunClick->\r\n09:30:00 SetAutoStart->\r\n"), std::string::npos);

    // A registration that fails is logged and does not stop the write.
    autoStart.Works = false;
    OptionClicked(MenuOption::AutoRun, true, settings, log, autoStart);
    EXPECT_EQ(settings.Read("main", "AutoRun"), "1");
    EXPECT_NE(Logged().find("SetAutoStart failed"), std::string::npos);

    MemorySettings readOnly;
    readOnly.SetReadOnly(true);
    RecordingAutoStart second(readOnly);
    EXPECT_THROW(OptionClicked(MenuOption::AutoRun, true, readOnly, log, second), SettingsWriteError);
    EXPECT_EQ(second.Calls, std::vector<bool> {true});
}

TEST_F(OptionsTest, LastRunDateRoundTripInGermanLocale)
{
    test::ScopedLocale german("de_DE.UTF-8");
    ASSERT_TRUE(german.Ok());
    LogEverything();

    EXPECT_EQ(UpdateLastRunDate(settings, log, clock.Now()), 0.0);
    EXPECT_EQ(settings.Read("main", "LastRunDate"), "15.03.2024");
    EXPECT_NE(Logged().find("LastRunDate:30.12.1899\r\n"), std::string::npos);

    clock.Set(EncodeDateTime(2024, 3, 18, 8, 0, 0));
    EXPECT_EQ(UpdateLastRunDate(settings, log, clock.Now()), EncodeDate(2024, 3, 15));
    EXPECT_EQ(settings.Read("main", "LastRunDate"), "18.03.2024");
    EXPECT_NE(Logged().find("LastRunDate:15.03.2024\r\n"), std::string::npos);

    settings.WriteString("main", "LastRunDate", "yesterday");
    EXPECT_EQ(UpdateLastRunDate(settings, log, clock.Now()), 0.0);
}

TEST(SettingsDates, ReadInTheLocalesFormats)
{
    // The tests' C locale writes month/day/two-digit year.
    EXPECT_EQ(ParseSettingsDate("03/15/24"), EncodeDate(2024, 3, 15));
    EXPECT_EQ(ParseSettingsDate(" 03/15/24 "), EncodeDate(2024, 3, 15));
    EXPECT_EQ(ParseSettingsDate("03/15/24 14:30"), EncodeDateTime(2024, 3, 15, 14, 30, 0));
    EXPECT_EQ(ParseSettingsDate("03/15/24 14:30:15"), EncodeDateTime(2024, 3, 15, 14, 30, 15));
    for (const char* bad : {"", "today", "02/30/24", "13/01/24", "03/15/24x", "03/15/24 25:00", "03/15/24 14:30 z"}) {
        EXPECT_EQ(ParseSettingsDate(bad), std::nullopt) << bad;
    }

    test::ScopedLocale german("de_DE.UTF-8");
    EXPECT_EQ(ParseSettingsDate("29.02.2024"), EncodeDate(2024, 2, 29));
    EXPECT_EQ(ParseSettingsDate("29.02.2024 08:05:09"), EncodeDateTime(2024, 2, 29, 8, 5, 9));
    EXPECT_EQ(ParseSettingsDate("29.02.2023"), std::nullopt);
    EXPECT_EQ(ParseSettingsDate("02/29/24"), std::nullopt);

    MemorySettings memory;
    EXPECT_EQ(ReadDate(memory, "main", "LastRunDate", 7.0), 7.0);
    WriteDate(memory, "main", "LastRunDate", EncodeDateTime(2023, 12, 31, 23, 59, 59));
    EXPECT_EQ(memory.Read("main", "LastRunDate"), "31.12.2023");
    EXPECT_EQ(ReadDate(memory, "main", "LastRunDate", 7.0), EncodeDate(2023, 12, 31));
}

TEST(SettingsKeys, ProxyIsReadOnlyWhileEnabled)
{
    MemorySettings memory;
    memory.WriteString("main", "Proxy", "proxy.local:3128");
    EXPECT_FALSE(ReadProxyOptions(memory).Enabled);
    EXPECT_EQ(ReadProxyOptions(memory).Proxy, "");
    memory.WriteString("main", "ProxyEnable", "1");
    EXPECT_EQ(ReadProxyOptions(memory).Proxy, "proxy.local:3128");

    EXPECT_EQ(ReadSetting(memory, setting::PrjIdCounter), 0);
    WriteSetting(memory, setting::Proxy, "other:8080");
    EXPECT_EQ(ReadSetting(memory, setting::Proxy), "other:8080");
}

} // namespace
} // namespace tally
