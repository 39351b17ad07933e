#pragma once

#include "model/chart_unit.h"
#include "model/settings_store.h"
#include "platform/clock.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tally {

class AutoStart;
class TBrisvaleLog;

// One key of the settings file with its type and default.
struct BoolSetting
{
    std::string_view Section;
    std::string_view Key;
    bool Default;
};

struct IntSetting
{
    std::string_view Section;
    std::string_view Key;
    std::int32_t Default;
};

struct TextSetting
{
    std::string_view Section;
    std::string_view Key;
    std::string_view Default;
};

struct DateSetting
{
    std::string_view Section;
    std::string_view Key;
    TDateTime Default;
};

namespace setting {

inline constexpr std::string_view kMain = "main";
inline constexpr std::string_view kView = "view";
inline constexpr std::string_view kStatistic = "Statistic";
inline constexpr std::string_view kProjects = "Projects";

inline constexpr BoolSetting AutoRun {kMain, "AutoRun", true};
inline constexpr BoolSetting ProjectsVisible {kMain, "ProjectsVisible", false};
inline constexpr BoolSetting StatVisible {kMain, "StatVisible", false};
inline constexpr BoolSetting SoundOn {kMain, "SoundOn", true};
inline constexpr BoolSetting ShowHints {kMain, "ShowHints", true};
inline constexpr IntSetting IdleInterval {kMain, "IdleInterval", 300};
inline constexpr IntSetting AutoSaveInterval {kMain, "AutoSaveInterval", 5};
inline constexpr IntSetting MaxKeyInterval {kMain, "MaxKeyInterval", 1};
inline constexpr BoolSetting SplashOn {kMain, "SplashOn", true};
inline constexpr BoolSetting LogActive {kMain, "LogActive", false};
inline constexpr IntSetting LogDetail {kMain, "LogDetail", 0};
inline constexpr BoolSetting FirstLaunch {kMain, "FirstLaunch", true};
inline constexpr DateSetting LastRunDate {kMain, "LastRunDate", 0.0};
inline constexpr IntSetting PrjIdCounter {kMain, "PrjIdCounter", 0};
inline constexpr BoolSetting ProxyEnable {kMain, "ProxyEnable", false};
inline constexpr TextSetting Proxy {kMain, "Proxy", ""};

inline constexpr BoolSetting ShowTodayTime {kView, "ShowTodayTime", true};
inline constexpr BoolSetting ShowColor {kView, "ShowColor", false};

inline constexpr BoolSetting ShowMarks {kStatistic, "ShowMarks", true};
inline constexpr BoolSetting ShowBorders {kStatistic, "ShowBorders", true};
inline constexpr BoolSetting ShowLegend {kStatistic, "ShowLegend", true};
inline constexpr BoolSetting ShowFullDate {kStatistic, "ShowFullDate", true};
inline constexpr IntSetting TimeFormat {kStatistic, "TimeFormat", 2};
inline constexpr IntSetting StatPage {kStatistic, "StatPage", 0};
// The default is the date track bar's maximum, known only to the window.
inline constexpr std::string_view kPositionKey = "Position";
inline constexpr IntSetting ScaleX {kStatistic, "ScaleX", 7};

inline constexpr IntSetting SelectedIndex {kProjects, "SelectedIndex", 0};

} // namespace setting

bool ReadSetting(const SettingsStore& settings, const BoolSetting& key);
std::int32_t ReadSetting(const SettingsStore& settings, const IntSetting& key);
std::string ReadSetting(const SettingsStore& settings, const TextSetting& key);
TDateTime ReadSetting(const SettingsStore& settings, const DateSetting& key);

// Each throws SettingsWriteError when the file cannot be written.
void WriteSetting(SettingsStore& settings, const BoolSetting& key, bool value);
void WriteSetting(SettingsStore& settings, const IntSetting& key, std::int32_t value);
void WriteSetting(SettingsStore& settings, const TextSetting& key, std::string_view value);
void WriteSetting(SettingsStore& settings, const DateSetting& key, TDateTime value);

// The options read once at start-up.
struct IniOptions
{
    bool AutoRun = true;
    bool ProjectsVisible = false;
    bool StatVisible = false;
    bool SoundOn = true;
    bool ShowHints = true;
    std::int32_t IdleIntervalSec = 300;
    std::int32_t AutoSaveInterval = 5;    // minutes; 0 or less: no autosave
    std::int32_t MaxKeyIntervalMs = 1000; // saturated at the 32-bit limits
    bool SplashOn = true;
    bool ShowTodayTime = true;
    bool ShowColor = false;
    bool FirstLaunch = true;
};

// Reads the start-up options in their fixed order into options, passing the
// run-log switches to log. When FirstLaunch was true it is stored as 0 at
// once, as the last step: a failed write then propagates with every option
// already in place, which is why the options are an out-parameter.
void LoadIni(SettingsStore& settings, TBrisvaleLog& log, IniOptions& options);

// The date track bar's range and the visible-period track bar's range.
inline constexpr int kStatPositionMax = 367;
inline constexpr int kScaleXMin = 1;
inline constexpr int kScaleXMax = 99;

// The statistics window's stored state.
struct StatOptions
{
    bool ShowMarks = true;
    bool ShowBorders = true;
    bool ShowLegend = true;
    bool ShowFullDate = true;
    // The window's time unit as stored, even when it is none of the three.
    std::int32_t TimeFormat = 2;
    // The unit menu item to check: the stored one for 0 to 2, otherwise the
    // hours item, which is checked when the window is created.
    ChartUnit CheckedUnit = ChartUnit::Hours;
    // The tab; a stored value outside 0..2 means 0.
    int StatPage = 0;
    // Clamped into the track bars' ranges, as setting a track bar would.
    int Position = kStatPositionMax;
    int ScaleX = 7;
};

StatOptions LoadStatIni(const SettingsStore& settings, TBrisvaleLog& log, int positionMax = kStatPositionMax);
// Stores both track-bar positions.
void SaveStatIni(SettingsStore& settings, int position, int scaleX);

// The projects window's stored row; a negative value means 0 (the window
// itself limits it to its rows).
int ReadSelectedIndex(const SettingsStore& settings);

// Brings the autostart registration in line with on; a failure is logged
// and otherwise ignored. Returns whether it worked.
bool ApplyAutoStart(AutoStart& autoStart, bool on, TBrisvaleLog& log);

// Reads the date of the previous start (0 when none), logs it and stores
// today's date. Returns the date read.
TDateTime UpdateLastRunDate(SettingsStore& settings, TBrisvaleLog& log, TDateTime now);

// The proxy for the internet check; Proxy is read only while enabled.
struct ProxyOptions
{
    bool Enabled = false;
    std::string Proxy; // host, colon, port
};

ProxyOptions ReadProxyOptions(const SettingsStore& settings);

} // namespace tally
