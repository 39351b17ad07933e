#include "model/datetime.h"
#include "stats/time_log.h"
#include "view/log_slider.h"

#include <gtest/gtest.h>

namespace tally {
namespace {

const TDateTime kDay = EncodeDate(2026, 6, 10);

TDateTime At(int hour, int minute, TDateTime day = kDay)
{
    return day + EncodeTime(hour, minute, 0);
}

TEST(TimeLog, RowsAreTheDaysClosedPeriodsInListOrder)
{
    TMyTimer timer;
    timer.ActivePeriods.Add(At(13, 0), At(13, 20));
    timer.ActivePeriods.Add(At(9, 0), At(10, 30));
    timer.ActivePeriods.Add(At(23, 30, kDay - 1), At(0, 15)); // started the day before
    timer.ActivePeriods.Add(At(23, 30), At(0, 15, kDay + 1));
    timer.BackgroundPeriods.Add(At(11, 0), At(12, 0));
    timer.ActiveStart = At(15, 0); // the open period is never listed
    timer.ActiveLast = At(15, 30);

    auto rows = LogRows(timer, kDay + 0.5);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].StartText, "13:00:00");
    EXPECT_EQ(rows[0].StopText, "13:20:00");
    EXPECT_EQ(rows[0].DurationText, "00:20:00");
    EXPECT_EQ(rows[1].DurationText, "01:30:00");
    EXPECT_EQ(rows[2].StartText, "23:30:00");
    EXPECT_EQ(rows[2].DurationText, "00:45:00");
    EXPECT_EQ(rows[1].Period, &timer.ActivePeriods[1]);
    EXPECT_EQ(LogRows(timer, kDay + 1).size(), 0u);
}

TEST(TimeLog, TitleNamesTodayOrTheDate)
{
    EXPECT_EQ(LogTitle(kDay, kDay + 0.7), "Timer activity log for today");
    EXPECT_EQ(LogTitle(kDay - 1, kDay + 0.7), "Timer activity log for " + FormatShortDate(kDay - 1));
}

TEST(TimeLog, AddingAppendsAndRaisesTheTotal)
{
    TMyTimer timer;
    timer.ActivePeriods.Add(At(16, 0), At(17, 0));
    timer.ActiveTime = kOneHour;
    // The dialog's pickers carry some other date: only the times count.
    ASSERT_TRUE(AddLogPeriod(timer, kDay + 0.3, EncodeDate(2001, 1, 1) + EncodeTime(14, 0, 0), EncodeTime(15, 0, 0)));
    EXPECT_NEAR(timer.ActiveTime, 2 * kOneHour, 1e-9);
    auto rows = LogRows(timer, kDay);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].StartText, "14:00:00");
    EXPECT_EQ(timer.ActivePeriods.Last().Start, At(14, 0));
}

TEST(TimeLog, SetTimeRefusesStopNotAfterStart)
{
    EXPECT_FALSE(SetTimeDuration(EncodeTime(10, 0, 0), EncodeTime(10, 0, 0)).has_value());
    EXPECT_FALSE(SetTimeDuration(EncodeTime(10, 0, 1), EncodeTime(10, 0, 0)).has_value());
    EXPECT_EQ(SetTimeDuration(EncodeTime(0, 0, 0), EncodeTime(0, 0, 1)), "00:00:01");
    TMyTimer timer;
    EXPECT_FALSE(AddLogPeriod(timer, kDay, EncodeTime(10, 0, 0), EncodeTime(10, 0, 0)));
    EXPECT_TRUE(timer.ActivePeriods.Empty());
    EXPECT_EQ(timer.ActiveTime, 0.0);
}

TEST(TimeLog, DeletingSelectedRowsLowersTheTotalByTheirLengths)
{
    TMyTimer timer;
    timer.ActivePeriods.Add(At(8, 0), At(8, 30));
    timer.ActivePeriods.Add(At(9, 0), At(9, 10));
    timer.ActivePeriods.Add(At(10, 0), At(10, 45));
    timer.ActiveTime = 85 * kOneMinute;
    auto rows = LogRows(timer, kDay);
    const TWorkPeriod* selected[] = {rows[0].Period, rows[2].Period, rows[0].Period};
    DeleteLogPeriods(timer, selected);
    EXPECT_NEAR(timer.ActiveTime, 10 * kOneMinute, 1e-9);
    ASSERT_EQ(timer.ActivePeriods.Count(), 1u);
    EXPECT_EQ(timer.ActivePeriods[0].Start, At(9, 0));
    // A pointer that addresses no record of the list changes nothing.
    const TWorkPeriod foreign {At(1, 0), At(2, 0)};
    const TWorkPeriod* other[] = {&foreign, nullptr};
    DeleteLogPeriods(timer, other);
    EXPECT_NEAR(timer.ActiveTime, 10 * kOneMinute, 1e-9);
    EXPECT_EQ(timer.ActivePeriods.Count(), 1u);
}

TEST(TimeLog, SliderAndDateStayInStep)
{
    const TDateTime now = kDay + 0.4;
    EXPECT_EQ(SliderDate(367, now), kDay);
    EXPECT_EQ(SliderDate(0, now), kDay - 367);
    TDateTime typed = kDay - 400;
    EXPECT_EQ(SliderPosition(typed, now), 0);
    EXPECT_EQ(typed, kDay - 367);
    TDateTime future = kDay + 3;
    EXPECT_EQ(SliderPosition(future, now), 367);
    EXPECT_EQ(future, kDay);
    TDateTime week = kDay - 7 + 0.9;
    EXPECT_EQ(SliderPosition(week, now), 360);

    EXPECT_EQ(StepSlider(360, 31), 367);
    EXPECT_EQ(StepSlider(20, -31), 0);
    EXPECT_FALSE(UpdateLogButtons(367).Forward);
    EXPECT_TRUE(UpdateLogButtons(367).Back);
    EXPECT_FALSE(UpdateLogButtons(0).Back);
}

} // namespace
} // namespace tally
