#include "model/duration.h"
#include "model/timer.h"

#include <gtest/gtest.h>

#include <limits>

namespace tally {
namespace {

constexpr TDateTime kMs = 1.0 / 86400000.0;

TEST(Duration, FormatsHoursMinutesSeconds)
{
    EXPECT_EQ(FormatDuration(0), "0:00:00");
    EXPECT_EQ(FormatDuration(59 * kOneSecond), "0:00:59");
    EXPECT_EQ(FormatDuration(90 * kOneSecond), "0:01:30");
    EXPECT_EQ(FormatDuration(3600 * kOneSecond), "1:00:00");
    EXPECT_EQ(FormatDuration(25 * kOneHour), "25:00:00");
    EXPECT_EQ(FormatDuration(1.5), "36:00:00");
    EXPECT_EQ(FormatDuration(100 * kOneHour + 5 * kOneSecond), "100:00:05");
    // Years of tracked time: hours keep growing without grouping.
    EXPECT_EQ(FormatDuration(1000.0), "24000:00:00");
}

TEST(Duration, RoundsOnceToTheMillisecondThenDropsMilliseconds)
{
    EXPECT_EQ(FormatDuration(1.0 + 0.4 * kMs), "24:00:00");
    EXPECT_EQ(FormatDuration(2 * kOneSecond - 0.4 * kMs), "0:00:02");
    EXPECT_EQ(FormatDuration(2 * kOneSecond - 0.6 * kMs), "0:00:01");
    EXPECT_EQ(FormatDuration(59 * kOneSecond + 999 * kMs), "0:00:59");
    // Just below a whole day: days and time of day agree, not 24 hours short.
    EXPECT_EQ(FormatDuration(1.0 - 0.4 * kMs), "24:00:00");
    EXPECT_EQ(DurationSeconds(1.0 - 0.4 * kMs), 86400);
    EXPECT_EQ(DurationMinutes(3.0 - 0.4 * kMs), 3 * 1440);
}

TEST(Duration, NegativeDurationsCarryASign)
{
    EXPECT_EQ(FormatDuration(-90 * kOneSecond), "-0:01:30");
    EXPECT_EQ(FormatDuration(-1.5), "-36:00:00");
    EXPECT_EQ(DurationSeconds(-90 * kOneSecond), -90);
    EXPECT_EQ(DurationMinutes(-90 * kOneSecond), -1);
    // Rounds to zero: no "-0:00:00".
    EXPECT_EQ(FormatDuration(-0.2 * kMs), "0:00:00");
}

TEST(Duration, WholeUnitsForTheChart)
{
    EXPECT_EQ(DurationSeconds(119 * kOneSecond), 119);
    EXPECT_EQ(DurationMinutes(119 * kOneSecond), 1);
    EXPECT_DOUBLE_EQ(DurationHours(5400 * kOneSecond), 1.5);
    EXPECT_DOUBLE_EQ(DurationHours(2 * kOneSecond + 900 * kMs), 2.0 / 3600.0);
    EXPECT_EQ(DurationSeconds(2.0 + 3 * kOneHour + 4 * kOneMinute + 5 * kOneSecond), 2 * 86400 + 3 * 3600 + 4 * 60 + 5);
}

TEST(Duration, OutOfRangeValuesSaturateInsteadOfWrapping)
{
    EXPECT_EQ(DurationSeconds(1e6), INT32_MAX);
    EXPECT_EQ(DurationSeconds(-1e6), INT32_MIN);
    EXPECT_EQ(DurationMinutes(1e6), 1440000000);
    EXPECT_EQ(FormatDuration(std::numeric_limits<double>::quiet_NaN()), "0:00:00");
    EXPECT_EQ(FormatDuration(std::numeric_limits<double>::infinity()), "0:00:00");
}

TEST(Duration, BackgroundTextOnlyForWindowTimers)
{
    TMyTimer timer;
    for (TimerType type : {ttManual, ttTyping, ttInternet, ttWorkTime, ttIdleTime}) {
        timer.TimerType = type;
        EXPECT_EQ(BackgroundText(timer, "1:00:00"), "...") << int(type);
    }
    for (TimerType type : {ttApplication, ttCaption, TimerType(7), TimerType(255)}) {
        timer.TimerType = type;
        EXPECT_EQ(BackgroundText(timer, "1:00:00"), "1:00:00") << int(type);
    }
}

} // namespace
} // namespace tally
