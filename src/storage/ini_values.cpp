#include "storage/ini_values.h"

#include "model/datetime.h"

#include <ctime>
#include <iomanip>
#include <iterator>
#include <locale>
#include <sstream>

namespace tally {

namespace {

bool AtEnd(std::istringstream& in)
{
    in >> std::ws;
    return in.eof();
}

// Reads a time of day from the rest of the stream, which must then be empty.
std::optional<TDateTime> ParseTimeOfDay(const std::string& text)
{
    for (const char* format : {"%X", "%H:%M:%S", "%H:%M"}) {
        std::istringstream in(text);
        in.imbue(std::locale());
        std::tm tm {};
        in >> std::get_time(&tm, format);
        if (!in.fail() && AtEnd(in) && tm.tm_hour >= 0 && tm.tm_hour < 24 && tm.tm_min >= 0 && tm.tm_min < 60
            && tm.tm_sec >= 0 && tm.tm_sec < 60) {
            return EncodeTime(tm.tm_hour, tm.tm_min, tm.tm_sec);
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<TDateTime> ParseSettingsDate(std::string_view text)
{
    std::istringstream in {std::string(text)};
    in.imbue(std::locale());
    in >> std::ws;
    std::tm tm {};
    in >> std::get_time(&tm, "%x");
    if (in.fail()) {
        return std::nullopt;
    }
    const int year = tm.tm_year + 1900;
    const int month = tm.tm_mon + 1;
    const int day = tm.tm_mday;
    if (month < 1 || month > 12 || day < 1 || day > 31 || year < 1 || year > 9999) {
        return std::nullopt;
    }
    const TDateTime date = EncodeDate(year, month, day);
    const CivilDate check = DecodeDate(date);
    if (check.Year != year || check.Month != month || check.Day != day) {
        return std::nullopt; // 31 February and the like
    }
    if (AtEnd(in)) {
        return date;
    }
    const std::string rest {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const auto time = ParseTimeOfDay(rest);
    if (!time) {
        return std::nullopt;
    }
    return date >= 0 ? date + *time : date - *time;
}

TDateTime
ReadDate(const SettingsStore& settings, std::string_view section, std::string_view key, TDateTime defaultValue)
{
    const auto value = settings.Read(section, key);
    if (!value) {
        return defaultValue;
    }
    return ParseSettingsDate(*value).value_or(defaultValue);
}

void WriteDate(SettingsStore& settings, std::string_view section, std::string_view key, TDateTime date)
{
    settings.WriteString(section, key, FormatShortDate(date));
}

} // namespace tally
