#pragma once

#include "model/money.h"
#include "platform/clock.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tally::datatool {

// "2024-03-05T14:03:27.125": the instant as the local time it holds, to the
// millisecond. Nothing for values outside the years 1 to 9999 or not finite.
std::optional<std::string> IsoLocalTime(TDateTime t);

// The exact decimal amount: "12.34", "-0.05", "7".
std::string MoneyText(Money money);

// One CSV field, quoted when it holds a comma, a quote, a line break or
// leading or trailing blanks; quotes inside are doubled.
std::string CsvField(std::string_view text);

// Seconds with three decimals, in the C locale's notation.
std::string SecondsText(double seconds);

// "0xFF000002".
std::string ColorHex(std::uint32_t color);

} // namespace tally::datatool
