#include "model/datetime.h"

#include <cmath>
#include <ctime>
#include <iomanip>
#include <locale>
#include <sstream>

namespace tally {

// Howard Hinnant's civil-date algorithms, counted from 1970-01-01.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

namespace {

CivilDate CivilFromDays(std::int64_t z)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

// 1970-01-01 is day 25569 of TDateTime.
constexpr std::int64_t kUnixEpochDay = 25569;

std::tm ToTm(TDateTime t)
{
    const CivilDate date = DecodeDate(t);
    const CivilTime time = DecodeTime(t);
    std::tm tm {};
    tm.tm_year = date.Year - 1900;
    tm.tm_mon = date.Month - 1;
    tm.tm_mday = date.Day;
    tm.tm_hour = time.Hour;
    tm.tm_min = time.Minute;
    tm.tm_sec = time.Second;
    tm.tm_isdst = -1;
    const std::int64_t days = DayOf(t) - kUnixEpochDay + 4; // 1970-01-01 was a Thursday
    tm.tm_wday = static_cast<int>(((days % 7) + 7) % 7);
    return tm;
}

std::string FormatWith(TDateTime t, const char* format)
{
    const std::tm tm = ToTm(t);
    std::ostringstream out;
    out.imbue(std::locale());
    out << std::put_time(&tm, format);
    return out.str();
}

} // namespace

TDateTime EncodeDate(int year, int month, int day)
{
    return static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day))
                               + kUnixEpochDay);
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond)
{
    const std::int64_t ms = ((hour * 60LL + minute) * 60LL + second) * 1000LL + millisecond;
    return static_cast<double>(ms) / kMsPerDay;
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int millisecond)
{
    const TDateTime date = EncodeDate(year, month, day);
    const TDateTime time = EncodeTime(hour, minute, second, millisecond);
    // Before 1899-12-30 the time of day counts away from zero.
    return date >= 0 ? date + time : date - time;
}

std::int64_t DayOf(TDateTime t)
{
    return static_cast<std::int64_t>(std::trunc(t));
}

CivilDate DecodeDate(TDateTime t)
{
    return CivilFromDays(DayOf(t) - kUnixEpochDay);
}

CivilTime DecodeTime(TDateTime t)
{
    const double fraction = std::fabs(t - std::trunc(t));
    auto ms = static_cast<std::int64_t>(std::llround(fraction * kMsPerDay)) % 86400000;
    CivilTime time;
    time.Millisecond = static_cast<int>(ms % 1000);
    ms /= 1000;
    time.Second = static_cast<int>(ms % 60);
    ms /= 60;
    time.Minute = static_cast<int>(ms % 60);
    time.Hour = static_cast<int>(ms / 60);
    return time;
}

TDateTime SecondsToDays(double seconds)
{
    return seconds / kSecondsPerDay;
}

TDateTime MsToDays(std::int64_t ms)
{
    return static_cast<double>(ms) / kMsPerDay;
}

std::int64_t DaysToMs(TDateTime d)
{
    return std::llround(d * kMsPerDay);
}

std::string FormatShortDate(TDateTime t)
{
    return FormatWith(t, "%x");
}

std::string FormatLongTime(TDateTime t)
{
    return FormatWith(t, "%X");
}

char DecimalSeparator()
{
    return std::use_facet<std::numpunct<char>>(std::locale()).decimal_point();
}

} // namespace tally
