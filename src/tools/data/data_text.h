#pragma once

#include "model/money.h"
#include "stats/csv_text.h"

#include <cstdint>
#include <string>

namespace tally::datatool {

// The texts the statistics export writes too.
using tally::CsvField;
using tally::IsoLocalTime;
using tally::SecondsText;

// The exact decimal amount: "12.34", "-0.05", "7".
std::string MoneyText(Money money);

// "0xFF000002".
std::string ColorHex(std::uint32_t color);

} // namespace tally::datatool
