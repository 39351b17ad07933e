#include "model/money.h"
#include "model/text_trim.h"

#include "model/datetime.h"

#include <cctype>
#include <cmath>
#include <limits>

namespace tally {

namespace {

constexpr int kScaleDigits = 4;
constexpr int kMaxSignificant = 15;
// Exponents beyond this cannot give a value that fits or a non-zero count.
constexpr int kExponentLimit = 400;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Rounds a decimal digit string (no sign) at the position 'keep' (number of
// leading digits kept) half to even; returns the kept digits, possibly one
// longer after a carry.
std::string RoundDigits(const std::string& digits, std::size_t keep)
{
    if (keep >= digits.size()) {
        return digits;
    }
    std::string kept = digits.substr(0, keep);
    const char first = digits[keep];
    bool roundUp = false;
    if (first > '5') {
        roundUp = true;
    } else if (first == '5') {
        const bool moreAfter = digits.find_first_not_of('0', keep + 1) != std::string::npos;
        const bool lastOdd = !kept.empty() && ((kept.back() - '0') % 2 == 1);
        roundUp = moreAfter || lastOdd;
    }
    if (roundUp) {
        int i = static_cast<int>(kept.size()) - 1;
        while (i >= 0 && kept[static_cast<std::size_t>(i)] == '9') {
            kept[static_cast<std::size_t>(i)] = '0';
            --i;
        }
        if (i < 0) {
            kept.insert(kept.begin(), '1');
        } else {
            ++kept[static_cast<std::size_t>(i)];
        }
    }
    return kept;
}

} // namespace

std::optional<Money> MoneyFromText(std::string_view text, char decimalSeparator)
{
    text = Trim(text);
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    std::string digits; // all mantissa digits, integer part then fraction
    int fractionDigits = 0;
    bool anyDigit = false;
    while (pos < text.size() && IsDigit(text[pos])) {
        digits += text[pos++];
        anyDigit = true;
    }
    if (pos < text.size() && text[pos] == decimalSeparator) {
        ++pos;
        while (pos < text.size() && IsDigit(text[pos])) {
            digits += text[pos++];
            ++fractionDigits;
            anyDigit = true;
        }
    }
    if (!anyDigit) {
        return std::nullopt;
    }
    long exponent = 0;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        bool expNegative = false;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
            expNegative = text[pos] == '-';
            ++pos;
        }
        if (pos >= text.size() || !IsDigit(text[pos])) {
            return std::nullopt;
        }
        while (pos < text.size() && IsDigit(text[pos])) {
            if (exponent < kExponentLimit * 10) {
                exponent = exponent * 10 + (text[pos] - '0');
            }
            ++pos;
        }
        if (expNegative) {
            exponent = -exponent;
        }
    }
    if (pos != text.size()) {
        return std::nullopt;
    }

    // value = digits × 10^(exponent − fractionDigits); the count is that × 10^4.
    long shift = exponent - fractionDigits + kScaleDigits;
    const std::size_t firstNonZero = digits.find_first_not_of('0');
    if (firstNonZero == std::string::npos) {
        return Money {};
    }
    digits.erase(0, firstNonZero);
    if (shift > kExponentLimit || shift < -kExponentLimit) {
        if (shift > 0) {
            return std::nullopt;
        }
        return Money {};
    }
    std::string whole;
    if (shift >= 0) {
        whole = digits + std::string(static_cast<std::size_t>(shift), '0');
    } else {
        const auto drop = static_cast<std::size_t>(-shift);
        if (drop > digits.size()) {
            // Below half a count whatever the digits are, unless exactly at it.
            digits.insert(0, drop - digits.size(), '0');
        }
        whole = RoundDigits(digits, digits.size() - drop);
        if (whole.empty()) {
            // Not `whole = "0"`: GCC 12 at -O3 warns of a false overlap there.
            whole.push_back('0');
        }
    }
    // Fits in 64 bits? Compare as text to avoid overflow.
    const std::string limit = negative ? "9223372036854775808" : "9223372036854775807";
    const std::size_t nz = whole.find_first_not_of('0');
    whole = nz == std::string::npos ? "0" : whole.substr(nz);
    if (whole.size() > limit.size() || (whole.size() == limit.size() && whole > limit)) {
        return std::nullopt;
    }
    std::uint64_t magnitude = 0;
    for (char c : whole) {
        magnitude = magnitude * 10 + static_cast<std::uint64_t>(c - '0');
    }
    Money money;
    money.Count = negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
    return money;
}

std::optional<Money> MoneyFromText(std::string_view text)
{
    return MoneyFromText(text, DecimalSeparator());
}

std::string MoneyToText(Money money, char decimalSeparator)
{
    const bool negative = money.Count < 0;
    std::uint64_t magnitude
        = negative ? 0 - static_cast<std::uint64_t>(money.Count) : static_cast<std::uint64_t>(money.Count);
    std::string digits = std::to_string(magnitude);
    if (digits.size() <= static_cast<std::size_t>(kScaleDigits)) {
        digits.insert(0, static_cast<std::size_t>(kScaleDigits) + 1 - digits.size(), '0');
    }
    std::size_t intDigits = digits.size() - static_cast<std::size_t>(kScaleDigits);
    // Keep at most 15 significant digits; an integer part never exceeds that.
    const std::size_t leadingZeros
        = digits.find_first_not_of('0') == std::string::npos ? digits.size() : digits.find_first_not_of('0');
    const std::size_t significant = digits.size() - leadingZeros;
    if (significant > static_cast<std::size_t>(kMaxSignificant)) {
        const std::size_t keep = leadingZeros + static_cast<std::size_t>(kMaxSignificant);
        std::string rounded = RoundDigits(digits, keep);
        if (rounded.size() > keep) {
            ++intDigits;
        }
        rounded.resize(intDigits + static_cast<std::size_t>(kScaleDigits), '0');
        digits = rounded;
    }
    std::string integer = digits.substr(0, intDigits);
    std::string fraction = digits.substr(intDigits);
    while (!fraction.empty() && fraction.back() == '0') {
        fraction.pop_back();
    }
    std::string text;
    if (negative && (integer != "0" || !fraction.empty())) {
        text += '-';
    }
    text += integer;
    if (!fraction.empty()) {
        text += decimalSeparator;
        text += fraction;
    }
    return text;
}

std::string MoneyToText(Money money)
{
    return MoneyToText(money, DecimalSeparator());
}

Money MoneyFromDouble(double amount)
{
    Money money;
    if (!std::isfinite(amount)) {
        return money;
    }
    const double scaled = std::nearbyint(amount * static_cast<double>(Money::kScale));
    constexpr double kLimit = 9.2233720368547748e18; // largest double below 2^63
    if (scaled >= kLimit) {
        money.Count = std::numeric_limits<std::int64_t>::max();
    } else if (scaled <= -kLimit) {
        money.Count = std::numeric_limits<std::int64_t>::min();
    } else {
        money.Count = static_cast<std::int64_t>(scaled);
    }
    return money;
}

double MoneyToDouble(Money money)
{
    return static_cast<double>(money.Count) / static_cast<double>(Money::kScale);
}

} // namespace tally
