#include "storage/options.h"

#include "model/datetime.h"
#include "platform/autostart.h"
#include "runlog/brisvale_log.h"
#include "storage/ini_values.h"

#include <algorithm>
#include <limits>

namespace tally {

bool ReadSetting(const SettingsStore& settings, const BoolSetting& key)
{
    return settings.ReadBool(key.Section, key.Key, key.Default);
}

std::int32_t ReadSetting(const SettingsStore& settings, const IntSetting& key)
{
    return settings.ReadInteger(key.Section, key.Key, key.Default);
}

std::string ReadSetting(const SettingsStore& settings, const TextSetting& key)
{
    return settings.ReadString(key.Section, key.Key, key.Default);
}

TDateTime ReadSetting(const SettingsStore& settings, const DateSetting& key)
{
    return ReadDate(settings, key.Section, key.Key, key.Default);
}

void WriteSetting(SettingsStore& settings, const BoolSetting& key, bool value)
{
    settings.WriteBool(key.Section, key.Key, value);
}

void WriteSetting(SettingsStore& settings, const IntSetting& key, std::int32_t value)
{
    settings.WriteInteger(key.Section, key.Key, value);
}

void WriteSetting(SettingsStore& settings, const TextSetting& key, std::string_view value)
{
    settings.WriteString(key.Section, key.Key, value);
}

void WriteSetting(SettingsStore& settings, const DateSetting& key, TDateTime value)
{
    WriteDate(settings, key.Section, key.Key, value);
}

void LoadIni(SettingsStore& settings, TBrisvaleLog& log, IniOptions& options)
{
    log.WriteLine(0, "LoadIni->");
    options.AutoRun = ReadSetting(settings, setting::AutoRun);
    options.ProjectsVisible = ReadSetting(settings, setting::ProjectsVisible);
    options.StatVisible = ReadSetting(settings, setting::StatVisible);
    options.SoundOn = ReadSetting(settings, setting::SoundOn);
    options.ShowHints = ReadSetting(settings, setting::ShowHints);
    options.IdleIntervalSec = ReadSetting(settings, setting::IdleInterval);
    options.AutoSaveInterval = ReadSetting(settings, setting::AutoSaveInterval);
    // Saturated: a large value must not wrap into a negative window.
    options.MaxKeyIntervalMs = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(std::int64_t {ReadSetting(settings, setting::MaxKeyInterval)} * 1000,
                                 std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max()));
    options.SplashOn = ReadSetting(settings, setting::SplashOn);
    options.ShowTodayTime = ReadSetting(settings, setting::ShowTodayTime);
    options.ShowColor = ReadSetting(settings, setting::ShowColor);
    log.SetActive(ReadSetting(settings, setting::LogActive));
    log.SetLogDetail(ReadSetting(settings, setting::LogDetail));
    options.FirstLaunch = ReadSetting(settings, setting::FirstLaunch);
    if (options.FirstLaunch) {
        WriteSetting(settings, setting::FirstLaunch, false);
    }
}

StatOptions LoadStatIni(const SettingsStore& settings, TBrisvaleLog& log, int positionMax)
{
    log.WriteLine(0, "LoadStatIni->");
    StatOptions options;
    options.ShowMarks = ReadSetting(settings, setting::ShowMarks);
    options.ShowBorders = ReadSetting(settings, setting::ShowBorders);
    options.ShowLegend = ReadSetting(settings, setting::ShowLegend);
    options.ShowFullDate = ReadSetting(settings, setting::ShowFullDate);
    options.TimeFormat = ReadSetting(settings, setting::TimeFormat);
    if (options.TimeFormat >= 0 && options.TimeFormat <= 2) {
        options.CheckedUnit = static_cast<ChartUnit>(options.TimeFormat);
    }
    const std::int32_t page = ReadSetting(settings, setting::StatPage);
    options.StatPage = page >= 0 && page <= 2 ? page : 0;
    options.Position = std::clamp(
        settings.ReadInteger(setting::kStatistic, setting::kPositionKey, positionMax), 0, std::max(positionMax, 0));
    options.ScaleX = std::clamp(ReadSetting(settings, setting::ScaleX), kScaleXMin, kScaleXMax);
    return options;
}

void SaveStatIni(SettingsStore& settings, int position, int scaleX)
{
    settings.WriteInteger(setting::kStatistic, setting::kPositionKey, position);
    WriteSetting(settings, setting::ScaleX, scaleX);
}

int ReadSelectedIndex(const SettingsStore& settings)
{
    return std::max(ReadSetting(settings, setting::SelectedIndex), 0);
}

bool ApplyAutoStart(AutoStart& autoStart, bool on, TBrisvaleLog& log)
{
    log.WriteLine(0, "SetAutoStart->");
    const bool done = autoStart.SetAutoStart(on);
    if (!done) {
        log.WriteLine(0, "SetAutoStart failed");
    }
    return done;
}

TDateTime UpdateLastRunDate(SettingsStore& settings, TBrisvaleLog& log, TDateTime now)
{
    const TDateTime last = ReadSetting(settings, setting::LastRunDate);
    // Logged before the write, so that the entry is there even when the
    // write fails.
    log.WriteLine(0, "LastRunDate:" + FormatShortDate(last));
    WriteSetting(settings, setting::LastRunDate, static_cast<TDateTime>(DayOf(now)));
    return last;
}

ProxyOptions ReadProxyOptions(const SettingsStore& settings)
{
    ProxyOptions proxy;
    proxy.Enabled = ReadSetting(settings, setting::ProxyEnable);
    if (proxy.Enabled) {
        proxy.Proxy = ReadSetting(settings, setting::Proxy);
    }
    return proxy;
}

} // namespace tally
