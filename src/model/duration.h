#pragma once

#include "model/datetime.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tally {

class TMyTimer;

// A duration split into whole days and the time of day. Both parts come from
// one millisecond count rounded once, so a value a hair below a whole day
// reads as that whole day rather than 24 hours short.
struct DurationParts
{
    bool Negative = false;
    std::int64_t Days = 0;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
};

DurationParts SplitDuration(TDateTime duration);

// "H:MM:SS" with unbounded hours; a negative duration gets a leading "-".
std::string FormatDuration(TDateTime duration);

// Whole seconds or minutes (milliseconds and seconds dropped), saturated to
// the 32-bit range; negative for a negative duration.
std::int32_t DurationSeconds(TDateTime duration);
std::int32_t DurationMinutes(TDateTime duration);
// DurationSeconds / 3600 without rounding.
double DurationHours(TDateTime duration);

// Only application and caption timers show a background figure.
std::string BackgroundText(const TMyTimer& timer, std::string_view text);

} // namespace tally
