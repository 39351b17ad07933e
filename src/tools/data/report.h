#pragma once

#include "stats/day_figures.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tally::datatool {

// A calendar day written "YYYY-MM-DD" (a DayOf value); nothing for any other
// text, a day the month does not have included.
std::optional<std::int64_t> ParseIsoDay(std::string_view text);

// The report as a table: per day the timers' active and background time,
// and, with a project's name, that project's total of the day.
std::string ReportText(const std::vector<DayReportRow>& rows, const std::string* projectTotal);

// One row per day and timer: date,timer,project,active_seconds,background_seconds.
std::string ReportCsv(const std::vector<DayReportRow>& rows);

} // namespace tally::datatool
