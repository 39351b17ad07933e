#include "model/duration.h"

#include "model/timer.h"

#include <cmath>
#include <limits>

namespace tally {

namespace {

constexpr std::int64_t kMsPerSecond = 1000;
constexpr std::int64_t kMsPerMinute = 60 * kMsPerSecond;
constexpr std::int64_t kMsPerHour = 60 * kMsPerMinute;
constexpr std::int64_t kWholeMsPerDay = 24 * kMsPerHour;

// Largest magnitude whose millisecond count still fits in 64 bits.
constexpr double kMaxDays = 9.0e18 / kMsPerDay;

std::int32_t Saturate(std::int64_t value, bool negative)
{
    if (negative) {
        value = -value;
    }
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (value < std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

std::int64_t WholeSeconds(const DurationParts& p)
{
    return p.Days * 86400 + p.Hour * 3600 + p.Minute * 60 + p.Second;
}

} // namespace

DurationParts SplitDuration(TDateTime duration)
{
    DurationParts parts;
    if (!std::isfinite(duration)) {
        return parts;
    }
    parts.Negative = duration < 0;
    double magnitude = std::fabs(duration);
    if (magnitude > kMaxDays) {
        magnitude = kMaxDays;
    }
    auto ms = static_cast<std::int64_t>(std::llround(magnitude * kMsPerDay));
    if (ms == 0) {
        parts.Negative = false;
    }
    parts.Days = ms / kWholeMsPerDay;
    std::int64_t rest = ms % kWholeMsPerDay;
    parts.Hour = static_cast<int>(rest / kMsPerHour);
    rest %= kMsPerHour;
    parts.Minute = static_cast<int>(rest / kMsPerMinute);
    rest %= kMsPerMinute;
    parts.Second = static_cast<int>(rest / kMsPerSecond);
    return parts;
}

std::string FormatDuration(TDateTime duration)
{
    const DurationParts p = SplitDuration(duration);
    std::string text;
    if (p.Negative) {
        text += '-';
    }
    text += std::to_string(p.Days * 24 + p.Hour);
    text += p.Minute < 10 ? ":0" : ":";
    text += std::to_string(p.Minute);
    text += p.Second < 10 ? ":0" : ":";
    text += std::to_string(p.Second);
    return text;
}

std::int32_t DurationSeconds(TDateTime duration)
{
    const DurationParts p = SplitDuration(duration);
    return Saturate(WholeSeconds(p), p.Negative);
}

std::int32_t DurationMinutes(TDateTime duration)
{
    const DurationParts p = SplitDuration(duration);
    return Saturate(p.Days * 1440 + p.Hour * 60 + p.Minute, p.Negative);
}

double DurationHours(TDateTime duration)
{
    return static_cast<double>(DurationSeconds(duration)) / 3600.0;
}

std::string BackgroundText(const TMyTimer& timer, std::string_view text)
{
    if (timer.TimerType == ttApplication || timer.TimerType == ttCaption || timer.TimerType > ttIdleTime) {
        return std::string(text);
    }
    return "...";
}

} // namespace tally
