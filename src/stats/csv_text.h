#pragma once

#include "model/datetime.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tally {

// "2024-03-05T14:03:27.125": the instant as the local time it holds, to the
// millisecond. Nothing for values outside the years 1 to 9999 or not finite.
std::optional<std::string> IsoLocalTime(TDateTime t);

// "2024-03-05": a calendar day (a DayOf value). Nothing outside the years 1 to 9999.
std::optional<std::string> IsoDay(std::int64_t day);

// One CSV field, quoted when it holds a comma, a quote, a line break or
// leading or trailing blanks; quotes inside are doubled.
std::string CsvField(std::string_view text);

// CsvField for a file meant for a spreadsheet: text that starts like a
// formula (=, +, -, @, a tab or a carriage return) gets a leading apostrophe,
// so the spreadsheet shows it instead of running it.
std::string SpreadsheetField(std::string_view text);

// Seconds with three decimals, in the C locale's notation.
std::string SecondsText(double seconds);

// A duration as seconds rounded to the millisecond, with three decimals:
// "1800.125", "35130.000".
std::string DurationSecondsText(TDateTime duration);

} // namespace tally
