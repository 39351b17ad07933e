#pragma once

#include "stats/computer_account.h"
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

// The report over several computers: the table sums each day's timers of
// one name over the computers (a stretch that ran on two at once counted
// once) and ends with each computer's share.
std::string ComputersReportText(const std::vector<ComputerDayRow>& rows,
                                const std::vector<ComputerModel>& computers,
                                const std::string* projectTotal);

// date,timer,project,computer,active_seconds,background_seconds: one row per
// computer, a stretch counted for the first computer that ran it.
std::string ComputersReportCsv(const std::vector<ComputerDayRow>& rows, const std::vector<ComputerModel>& computers);

} // namespace tally::datatool
