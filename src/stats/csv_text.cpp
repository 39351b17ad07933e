#include "stats/csv_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace tally {

namespace {

// 0001-01-01 and 9999-12-31 23:59:59.999 as TDateTime.
constexpr double kFirstDay = -693593.0;
constexpr double kLastDay = 2958466.0;

} // namespace

std::optional<std::string> IsoLocalTime(TDateTime t)
{
    if (!std::isfinite(t) || t <= kFirstDay - 1.0 || t >= kLastDay) {
        return std::nullopt;
    }
    // The whole part is the day; the fraction, counted away from zero, the
    // time of that day. Rounding up to midnight moves to the next calendar
    // day, which is the next whole number before 1899-12-30 too.
    double day = std::trunc(t);
    auto ms = std::llround(std::fabs(t - day) * kMsPerDay);
    if (ms >= 86400000) {
        ms -= 86400000;
        day += 1.0;
    }
    const CivilDate date = DecodeDate(day);
    if (date.Year < 1 || date.Year > 9999) {
        return std::nullopt;
    }
    char text[32];
    std::snprintf(text,
                  sizeof text,
                  "%04d-%02d-%02dT%02d:%02d:%02d.%03d",
                  date.Year,
                  date.Month,
                  date.Day,
                  static_cast<int>(ms / 3600000),
                  static_cast<int>(ms / 60000 % 60),
                  static_cast<int>(ms / 1000 % 60),
                  static_cast<int>(ms % 1000));
    return std::string(text);
}

std::optional<std::string> IsoDay(std::int64_t day)
{
    if (day < static_cast<std::int64_t>(kFirstDay) || day >= static_cast<std::int64_t>(kLastDay)) {
        return std::nullopt;
    }
    const CivilDate date = DecodeDate(static_cast<double>(day));
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.Year, date.Month, date.Day);
    return std::string(text);
}

std::string CsvField(std::string_view text)
{
    const bool quote = text.find_first_of(",\"\r\n") != std::string_view::npos
                       || (!text.empty() && (text.front() == ' ' || text.back() == ' '));
    if (!quote) {
        return std::string(text);
    }
    std::string field = "\"";
    for (const char c : text) {
        if (c == '"') {
            field += '"';
        }
        field += c;
    }
    return field + '"';
}

std::string SpreadsheetField(std::string_view text)
{
    // A cell that starts like a formula is taken as one by a spreadsheet;
    // names come from window captions, which anybody can choose.
    if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos) {
        std::string guarded = "'";
        guarded += text;
        return CsvField(guarded);
    }
    return CsvField(text);
}

std::string SecondsText(double seconds)
{
    // Wide enough for the largest double in fixed notation.
    char text[400];
    const auto result = std::to_chars(text, text + sizeof text, seconds, std::chars_format::fixed, 3);
    return result.ec == std::errc() ? std::string(text, result.ptr) : std::string();
}

std::string DurationSecondsText(TDateTime duration)
{
    return SecondsText(std::round(duration * kMsPerDay) / 1000.0);
}

} // namespace tally
