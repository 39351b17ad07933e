#include "data_text.h"

#include <cstdio>

namespace tally::datatool {

std::string MoneyText(Money money)
{
    const bool negative = money.Count < 0;
    // Through unsigned so that the lowest count has a magnitude too.
    const std::uint64_t magnitude
        = negative ? 0 - static_cast<std::uint64_t>(money.Count) : static_cast<std::uint64_t>(money.Count);
    const auto scale = static_cast<std::uint64_t>(Money::kScale);
    std::string text = negative ? "-" : "";
    text += std::to_string(magnitude / scale);
    std::uint64_t fraction = magnitude % scale;
    if (fraction != 0) {
        std::string digits = std::to_string(fraction);
        digits.insert(0, 4 - digits.size(), '0');
        while (digits.back() == '0') {
            digits.pop_back();
        }
        text += "." + digits;
    }
    return text;
}

std::string ColorHex(std::uint32_t color)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(color));
    return text;
}

} // namespace tally::datatool
