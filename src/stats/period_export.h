#pragma once

#include "model/time_model.h"
#include "stats/day_figures.h"
#include "stats/stat_object.h"

#include <span>
#include <string>
#include <vector>

namespace tally {

// The CSV of the timers' closed work periods that began on a day in range:
// a header, then per timer its active and then its background periods as
// "timer,project,kind,start,stop,duration_seconds" rows (local times to the
// millisecond, seconds with three decimals), lines ending in CR LF. For a
// spreadsheet, names that start like a formula are kept from running.
enum class CsvNames { AsTheyAre, SpreadsheetSafe };
std::string WorkPeriodsCsv(std::span<const TMyTimer* const> timers,
                           const ProjectList& projects,
                           DayRange range = {},
                           CsvNames names = CsvNames::AsTheyAre);

// The timers a statistic object stands for: the selected timers (the object
// alone while none is selected), or every timer of the project, shown in the
// timer list or not.
std::vector<const TMyTimer*>
StatObjectTimers(const StatObject& object, std::span<TMyTimer* const> selected, const TimerList& timers);

// "Export work periods...": the periods of the object's timers that began on
// the days the window shows: statDate's through statEnd's on the histogram,
// statDate's alone on the pages that show one day. Spreadsheet-safe names.
std::string ExportStatPeriods(const StatObject& object,
                              std::span<TMyTimer* const> selected,
                              const TimeModel& model,
                              TDateTime statDate,
                              TDateTime statEnd,
                              bool histogramShown);

} // namespace tally
