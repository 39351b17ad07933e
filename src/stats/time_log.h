#pragma once

#include "model/timer.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tally {

// One row of a timer's time log for a day.
struct LogRow
{
    const TWorkPeriod* Period = nullptr; // the record a delete removes
    std::string StartText;
    std::string StopText;
    std::string DurationText;
};

// The closed active periods that began on the day, in list order; the open
// period is never listed.
std::vector<LogRow> LogRows(const TMyTimer& timer, TDateTime day);

// "Timer activity log for today" or "... for <short date>".
std::string LogTitle(TDateTime day, TDateTime now);
inline constexpr const char* kNoTimerLogTitle = "Timer activity log for ... (no timers selected)";

inline constexpr const char* kEndBeforeStartMessage = "End Date must be greater than Start Date!";

// What the set-time dialog shows for a start and stop time of day: the
// duration, or nothing when the pair is refused.
std::optional<std::string> SetTimeDuration(TDateTime startTime, TDateTime stopTime);

// Appends start..stop on the day (times of day only) and adds its length to
// ActiveTime. False, changing nothing, when stop is not later than start.
bool AddLogPeriod(TMyTimer& timer, TDateTime day, TDateTime startTime, TDateTime stopTime);

// Removes the rows' periods and lowers ActiveTime by their lengths. Pointers
// that address no record of the list are skipped; rows are refilled after
// every edit, since removing records moves the ones behind them.
void DeleteLogPeriods(TMyTimer& timer, std::span<const TWorkPeriod* const> periods);

} // namespace tally
