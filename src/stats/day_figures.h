#pragma once

#include "model/project.h"
#include "model/timer.h"
#include "model/timer_list.h"

#include <cstdint>
#include <limits>
#include <span>
#include <vector>

namespace tally {

// A range of calendar days (DayOf values), both ends included.
struct DayRange
{
    std::int64_t From = std::numeric_limits<std::int64_t>::min();
    std::int64_t To = std::numeric_limits<std::int64_t>::max();

    bool Holds(std::int64_t day) const { return day >= From && day <= To; }
};

// One timer's time on one day, as the text page and the histogram count it:
// a closed period counts whole on the day it started, a running one only on
// today.
struct DayFigure
{
    std::int64_t Day = 0;
    TDateTime Active = 0.0;
    TDateTime Background = 0.0;
};

// The days in range on which the timer has active or background time, oldest
// first. The figures are TimeInRange's for each day, so they agree with the
// statistics window to the last bit; the days are found in one walk over
// each period list.
std::vector<DayFigure> TimerDayFigures(const TMyTimer& timer, DayRange range, TDateTime now);

// One line of the day report: a timer's time on a day.
struct DayReportRow
{
    std::int64_t Day = 0;
    const TMyTimer* Timer = nullptr;
    // The timer's project, or null when its id names none.
    const TTimeProject* Project = nullptr;
    TDateTime Active = 0.0;
    TDateTime Background = 0.0;
};

// Every (day, timer) with time, ordered by day and then by the timers' order.
std::vector<DayReportRow>
DayReport(std::span<const TMyTimer* const> timers, const ProjectList& projects, DayRange range, TDateTime now);

// The timers in list order that belong to any of the project ids.
std::vector<const TMyTimer*> TimersOfProjects(const TimerList& timers, std::span<const std::int32_t> projectIds);

} // namespace tally
