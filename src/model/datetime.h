#pragma once

#include <cstdint>
#include <string>

namespace tally {

// Days since 1899-12-30 in local wall-clock time; the fraction is the time of day.
using TDateTime = double;

// One reading of both clocks, taken together so that a step of the wall
// clock can be told apart from time that really passed.
struct ClockReading
{
    TDateTime Now = 0.0;     // local wall clock, millisecond resolution
    std::int64_t TickMs = 0; // monotonic milliseconds, counting suspended time
};

inline constexpr double kMsPerDay = 86400000.0;
inline constexpr double kSecondsPerDay = 86400.0;

// One second, minute and hour as TDateTime durations.
inline constexpr TDateTime kOneSecond = 1.0 / kSecondsPerDay;
inline constexpr TDateTime kOneMinute = 60.0 / kSecondsPerDay;
inline constexpr TDateTime kOneHour = 3600.0 / kSecondsPerDay;

struct CivilDate
{
    int Year = 1899;
    int Month = 12;
    int Day = 30;
};

struct CivilTime
{
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    int Millisecond = 0;
};

TDateTime EncodeDate(int year, int month, int day);
// Days from 1970-01-01 to a day of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond = 0);
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int millisecond = 0);

// The calendar day of an instant: the value truncated toward zero.
std::int64_t DayOf(TDateTime t);
CivilDate DecodeDate(TDateTime t);
// Time of day, rounded to the nearest millisecond.
CivilTime DecodeTime(TDateTime t);

TDateTime SecondsToDays(double seconds);
TDateTime MsToDays(std::int64_t ms);
// A duration in whole milliseconds, rounded to nearest.
std::int64_t DaysToMs(TDateTime d);

// Texts in the formats of the global C++ locale (the user's, once the
// program has installed it): short date and long time.
std::string FormatShortDate(TDateTime t);
std::string FormatLongTime(TDateTime t);
// The user's decimal separator.
char DecimalSeparator();

} // namespace tally
