#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tally {

// An amount of money as a whole count of ten-thousandths, so that typed
// amounts such as 12.34 stay exact.
struct Money
{
    std::int64_t Count = 0;

    static constexpr std::int64_t kScale = 10000;

    friend bool operator==(Money, Money) = default;
};

// Reads a decimal number written with the given separator (optional sign,
// digits, optional fraction, optional exponent; spaces around it ignored).
// The amount is rounded to the nearest ten-thousandth, an exact half to the
// even count. Nothing for text that is not a number or does not fit.
std::optional<Money> MoneyFromText(std::string_view text, char decimalSeparator);
// Same, with the user's decimal separator.
std::optional<Money> MoneyFromText(std::string_view text);

// Shortest decimal text of the amount, at most 15 significant digits.
std::string MoneyToText(Money money, char decimalSeparator);
std::string MoneyToText(Money money);

// The data file holds amounts as doubles of the amount itself.
Money MoneyFromDouble(double amount);
double MoneyToDouble(Money money);

} // namespace tally
