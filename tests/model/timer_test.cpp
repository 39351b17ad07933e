#include "model/datetime.h"
#include "model/timer.h"
#include "model/timer_list.h"
#include "platform/fake/fake_clock.h"

#include <gtest/gtest.h>

namespace tally {
namespace {

constexpr double kMsTolerance = 1e-3 / kSecondsPerDay; // one millisecond, in days

class TimerTest : public ::testing::Test
{
protected:
    FakeClock clock {EncodeDateTime(2026, 3, 10, 9, 0, 0)};
    TMyTimer timer;

    void ActiveTicks(int count, int everySeconds = 1)
    {
        for (int i = 0; i < count; ++i) {
            if (i > 0) {
                clock.AdvanceSeconds(everySeconds);
            }
            timer.IncActiveTime(clock.Read());
        }
    }
};

TEST_F(TimerTest, NewTimerHasNothingOpenOrCounted)
{
    EXPECT_FALSE(timer.Enabled);
    EXPECT_EQ(timer.ActiveTime, 0.0);
    EXPECT_EQ(timer.BackgroundTime, 0.0);
    EXPECT_TRUE(timer.ActivePeriods.Empty());
    EXPECT_TRUE(timer.BackgroundPeriods.Empty());
    EXPECT_EQ(timer.ActiveStart, kNoPeriod);
    EXPECT_EQ(timer.ActiveLast, kNoPeriod);
    EXPECT_EQ(timer.BackgroundStart, kNoPeriod);
    EXPECT_EQ(timer.BackgroundLast, kNoPeriod);
    EXPECT_EQ(timer.WindowScope, scMainOnly);
    EXPECT_EQ(timer.TimerType, ttManual);
}

TEST_F(TimerTest, IncrementsAddTimeSincePreviousAndCloseIntoOnePeriod)
{
    const TDateTime t0 = clock.Now();
    timer.IncActiveTime(clock.Read());
    EXPECT_EQ(timer.ActiveTime, 0.0) << "the first increment of a period adds nothing";
    EXPECT_EQ(timer.ActiveStart, t0);
    EXPECT_EQ(timer.ActiveLast, t0);

    clock.AdvanceSeconds(1);
    timer.IncActiveTime(clock.Read());
    clock.AdvanceSeconds(1);
    timer.IncActiveTime(clock.Read());
    EXPECT_NEAR(timer.ActiveTime, 2 * kOneSecond, kMsTolerance);

    clock.AdvanceSeconds(5); // closing later does not stretch the period
    timer.CloseActivePeriod();
    timer.CloseActivePeriod();
    ASSERT_EQ(timer.ActivePeriods.Count(), 1u);
    EXPECT_EQ(timer.ActivePeriods[0].Start, t0);
    EXPECT_NEAR(timer.ActivePeriods[0].Stop - timer.ActivePeriods[0].Start, timer.ActiveTime, 1e-12);
    EXPECT_EQ(timer.ActiveStart, kNoPeriod);
    EXPECT_EQ(timer.ActiveLast, kNoPeriod);
    EXPECT_TRUE(timer.BackgroundPeriods.Empty());
}

TEST_F(TimerTest, ClosePeriodsKeepsOnlyWhatWasIncrementedThisTick)
{
    timer.IncActiveTime(clock.Read());
    timer.IncBackgroundTime(clock.Read());
    timer.ClosePeriods(true, false);
    EXPECT_EQ(timer.BackgroundPeriods.Count(), 1u);
    EXPECT_TRUE(timer.ActivePeriods.Empty());
    EXPECT_NE(timer.ActiveStart, kNoPeriod);

    timer.IncBackgroundTime(clock.Read());
    timer.ClosePeriods(false, false);
    EXPECT_EQ(timer.ActivePeriods.Count(), 1u);
    EXPECT_EQ(timer.BackgroundPeriods.Count(), 2u);
    EXPECT_EQ(timer.ActiveStart, kNoPeriod);
    EXPECT_EQ(timer.BackgroundStart, kNoPeriod);
}

TEST_F(TimerTest, GapWithRunningClockIsAddedWhole)
{
    // A locked desktop: no tick for ten minutes, both clocks run on.
    ActiveTicks(2);
    clock.AdvanceSeconds(600);
    timer.IncActiveTime(clock.Read());
    EXPECT_NEAR(timer.ActiveTime, 601 * kOneSecond, kMsTolerance);
    timer.CloseActivePeriod();
    ASSERT_EQ(timer.ActivePeriods.Count(), 1u);
}

TEST_F(TimerTest, BackwardClockStepNeitherSubtractsNorEndsBeforeStart)
{
    ActiveTicks(3); // 2 s counted
    clock.AdvanceMs(1000);
    clock.StepWallMs(-3600 * 1000); // clocks go back an hour
    timer.IncActiveTime(clock.Read());
    clock.AdvanceMs(1000);
    timer.IncActiveTime(clock.Read());
    timer.CloseActivePeriod();

    EXPECT_NEAR(timer.ActiveTime, 4 * kOneSecond, kMsTolerance) << "only the time that passed counts";
    ASSERT_EQ(timer.ActivePeriods.Count(), 2u) << "the step splits the period";
    TDateTime sum = 0;
    for (const TWorkPeriod& p : timer.ActivePeriods) {
        EXPECT_GE(p.Stop, p.Start);
        sum += p.Stop - p.Start;
    }
    EXPECT_NEAR(sum, timer.ActiveTime, kMsTolerance) << "periods still add up to the total";
}

TEST_F(TimerTest, ForwardClockStepAddsNoPhantomTime)
{
    ActiveTicks(2);
    clock.AdvanceMs(1000);
    clock.StepWallMs(3600 * 1000); // clocks go forward an hour
    timer.IncBackgroundTime(clock.Read());
    timer.IncActiveTime(clock.Read());
    EXPECT_NEAR(timer.ActiveTime, 2 * kOneSecond, kMsTolerance);
    EXPECT_EQ(timer.BackgroundTime, 0.0);
    ASSERT_EQ(timer.ActivePeriods.Count(), 1u);
    EXPECT_NEAR(timer.ActiveLast - timer.ActiveStart, kOneSecond, kMsTolerance);
}

TEST_F(TimerTest, SmallBackwardStepWithinDriftIsStillAStep)
{
    ActiveTicks(2);
    clock.AdvanceMs(1000);
    clock.StepWallMs(-1500); // the wall clock reads half a second earlier than before
    timer.IncActiveTime(clock.Read());
    EXPECT_NEAR(timer.ActiveTime, 2 * kOneSecond, kMsTolerance);
    timer.CloseActivePeriod();
    for (const TWorkPeriod& p : timer.ActivePeriods) {
        EXPECT_GE(p.Stop, p.Start);
    }
}

TEST_F(TimerTest, TimeInRangeCountsPeriodsOnTheirStartDay)
{
    const TDateTime day = EncodeDate(2026, 3, 9);
    timer.ActivePeriods.Add(day + EncodeTime(23, 59, 50), day + 1 + EncodeTime(0, 0, 10));
    timer.BackgroundPeriods.Add(day + EncodeTime(10, 0, 0), day + EncodeTime(10, 30, 0));
    const TDateTime now = clock.Now(); // the next day

    EXPECT_NEAR(timer.TimeInRange(PeriodKind::Active, day, day, now), 20 * kOneSecond, kMsTolerance);
    EXPECT_EQ(timer.TimeInRange(PeriodKind::Active, day + 1, day + 1, now), 0.0);
    EXPECT_NEAR(timer.TimeInRange(PeriodKind::Background, day + 0.99, day + 0.2, now), 30 * kOneMinute, kMsTolerance)
        << "only whole days are compared";
    EXPECT_NEAR(
        timer.TimeInRange(PeriodKind::Both, day - 5, day, now), 30 * kOneMinute + 20 * kOneSecond, kMsTolerance);
}

TEST_F(TimerTest, TimeInRangeAddsOpenPeriodWholeOnlyWhenRangeEndsToday)
{
    // An open period that began yesterday evening and runs on.
    clock.Set(EncodeDateTime(2026, 3, 9, 23, 0, 0));
    timer.IncActiveTime(clock.Read());
    clock.AdvanceSeconds(7200);
    timer.IncActiveTime(clock.Read());
    const TDateTime now = clock.Now();
    const TDateTime yesterday = now - 1;

    EXPECT_NEAR(timer.ActiveToday(now), 2 * kOneHour, kMsTolerance);
    EXPECT_EQ(timer.TimeInRange(PeriodKind::Active, yesterday, yesterday, now), 0.0);
    EXPECT_EQ(timer.BackgroundToday(now), 0.0) << "a closed pair adds nothing";

    TMyTimer empty;
    for (auto kind : {PeriodKind::Active, PeriodKind::Background, PeriodKind::Both}) {
        EXPECT_EQ(empty.TimeInRange(kind, 0, now, now), 0.0);
    }
}

// The list keeps each kind's sum for one day; every way the records or the
// day can change must show in the today figures at once.
TEST_F(TimerTest, TodayFiguresFollowEveryEditOfThePeriods)
{
    const TDateTime today = EncodeDate(2026, 3, 10);
    const auto walk = [](const PeriodList& list, TDateTime day) {
        TDateTime sum = 0.0;
        for (const TWorkPeriod& p : list) {
            sum += DayOf(p.Start) == DayOf(day) ? p.Stop - p.Start : 0.0;
        }
        return sum;
    };
    timer.BackgroundPeriods.Add(today - 1 + EncodeTime(22, 0, 0), today - 1 + EncodeTime(23, 0, 0));
    for (int i = 0; i < 5; ++i) {
        timer.BackgroundPeriods.Add(today + EncodeTime(8, i, 0), today + EncodeTime(8, i, 7 + i));
    }
    const TDateTime now = today + EncodeTime(12, 0, 0);
    EXPECT_EQ(timer.BackgroundToday(now), walk(timer.BackgroundPeriods, now));

    timer.BackgroundPeriods.Add(today + EncodeTime(9, 0, 0), today + EncodeTime(9, 0, 13));
    timer.BackgroundPeriods.Add(today - 2, today - 2 + kOneMinute);
    EXPECT_EQ(timer.BackgroundToday(now), walk(timer.BackgroundPeriods, now)) << "appended";

    ASSERT_TRUE(timer.BackgroundPeriods.Remove(timer.BackgroundPeriods[3]));
    EXPECT_EQ(timer.BackgroundToday(now), walk(timer.BackgroundPeriods, now)) << "one removed";
    ASSERT_EQ(timer.BackgroundPeriods.Remove({&timer.BackgroundPeriods[1], &timer.BackgroundPeriods[2]}), 2u);
    EXPECT_EQ(timer.BackgroundToday(now), walk(timer.BackgroundPeriods, now)) << "several removed";

    EXPECT_EQ(timer.BackgroundToday(now + 1), 0.0) << "the next day";
    EXPECT_EQ(timer.BackgroundToday(now - 1), walk(timer.BackgroundPeriods, now - 1)) << "the day before";

    // The open period grows between two repaints.
    clock.Set(now);
    timer.IncBackgroundTime(clock.Read());
    clock.AdvanceSeconds(30);
    timer.IncBackgroundTime(clock.Read());
    const TDateTime closed = walk(timer.BackgroundPeriods, now);
    EXPECT_NEAR(timer.BackgroundToday(clock.Now()), closed + 30 * kOneSecond, kMsTolerance);
    timer.CloseBackgroundPeriod();
    EXPECT_EQ(timer.BackgroundToday(clock.Now()), walk(timer.BackgroundPeriods, now)) << "closed into the list";

    // A copy keeps its own figures; a list moved away leaves an empty one.
    TMyTimer copy = timer;
    copy.BackgroundPeriods.Add(today + EncodeTime(10, 0, 0), today + EncodeTime(11, 0, 0));
    EXPECT_NEAR(copy.BackgroundToday(now) - timer.BackgroundToday(now), kOneHour, kMsTolerance);
    PeriodList moved = std::move(timer.BackgroundPeriods);
    EXPECT_EQ(timer.BackgroundToday(now), walk(timer.BackgroundPeriods, now));
    timer.BackgroundPeriods = std::move(copy.BackgroundPeriods);
    EXPECT_EQ(timer.BackgroundToday(now), walk(timer.BackgroundPeriods, now));
    timer.BackgroundPeriods.Clear();
    EXPECT_EQ(timer.BackgroundToday(now), 0.0);
    EXPECT_EQ(timer.ActiveToday(now), 0.0) << "the kinds are kept apart";
}

// The timer list asks for today while the statistics window asks for other
// days; every answer must stay the walk's, also for days whose records are
// not contiguous (periods added by hand) and after edits.
TEST(PeriodDaySums, EveryDayMatchesTheWalkInAnyOrderOfQuestions)
{
    const TDateTime first = EncodeDate(2026, 3, 1);
    const auto walk = [](const PeriodList& list, std::int64_t day) {
        TDateTime sum = 0.0;
        for (const TWorkPeriod& p : list) {
            sum += DayOf(p.Start) == day ? p.Stop - p.Start : 0.0;
        }
        return sum;
    };
    PeriodList list;
    for (int i = 0; i < 300; ++i) {
        // Mostly in order, every seventh record on an earlier day.
        const TDateTime start = first + (i % 7 == 6 ? (i / 40) : (i / 20)) + EncodeTime(i % 24, i % 60, 0);
        list.Add(start, start + (i % 13 + 1) * kOneSecond / 3.0);
    }
    const auto checkAll = [&](const char* when) {
        for (std::int64_t day = DayOf(first) - 1; day <= DayOf(first) + 16; ++day) {
            EXPECT_EQ(list.DaySum(DayOf(first) + 15), walk(list, DayOf(first) + 15)) << when;
            EXPECT_EQ(list.DaySum(day), walk(list, day)) << when << " day " << day;
        }
    };
    checkAll("built");
    list.Add(first + 3 + 0.5, first + 3 + 0.6);
    list.Add(first + 40, first + 40.1);
    EXPECT_EQ(list.DaySum(DayOf(first) + 40), walk(list, DayOf(first) + 40));
    checkAll("appended");
    ASSERT_TRUE(list.Remove(list[17]));
    checkAll("removed");
}

TEST(PeriodIdentity, RemoveTakesThisVeryRecordNotAnEqualOne)
{
    TMyTimer timer;
    timer.AddPeriod(1.0, 2.0);
    timer.AddPeriod(1.0, 2.0);
    timer.AddPeriod(3.0, 4.0);
    const TWorkPeriod& first = timer.ActivePeriods[0];
    const TWorkPeriod& second = timer.ActivePeriods[1];

    ASSERT_TRUE(timer.RemovePeriod(second));
    ASSERT_EQ(timer.ActivePeriods.Count(), 2u);
    EXPECT_EQ(&timer.ActivePeriods[0], &first) << "records before the removed one stay in place";
    EXPECT_EQ(timer.ActivePeriods[1].Start, 3.0);

    TWorkPeriod lookalike {1.0, 2.0};
    EXPECT_FALSE(timer.RemovePeriod(lookalike));
    EXPECT_EQ(timer.ActivePeriods.Count(), 2u);
    EXPECT_EQ(timer.ActiveTime, 0.0) << "the caller adjusts the total";

    timer.BackgroundPeriods.Add(1.0, 2.0);
    EXPECT_FALSE(timer.RemovePeriod(timer.BackgroundPeriods[0])) << "only the active list is edited";
    EXPECT_EQ(timer.BackgroundPeriods.Count(), 1u);
}

TEST(PeriodIdentity, AppendingKeepsHeldRecordsAndBulkRemoveTakesExactlyTheChosen)
{
    PeriodList list;
    for (int i = 0; i < 5000; ++i) {
        list.Add(i, i + 0.5);
    }
    const TWorkPeriod* held = &list[10];
    for (int i = 0; i < 5000; ++i) {
        list.Add(1.0, 2.0);
    }
    EXPECT_EQ(held, &list[10]) << "growing the list must not move records";

    const std::size_t removed = list.Remove({&list[4999], &list[10], &list[0], &list[7000]});
    EXPECT_EQ(removed, 4u);
    EXPECT_EQ(list.Count(), 9996u);
    EXPECT_EQ(list[0].Start, 1.0);
    EXPECT_EQ(list[9].Start, 11.0);
    EXPECT_EQ(list[4996].Start, 4998.0);
    EXPECT_EQ(list[4997].Start, 1.0);
}

TEST(TimerListTest, OwnsTimersInCreationOrder)
{
    TimerList list;
    TMyTimer& a = list.Create();
    a.Name = "a";
    auto owned = std::make_unique<TMyTimer>();
    owned->Name = "b";
    TMyTimer* b = owned.get();
    list.Add(std::move(owned));
    list.Create().Name = "c";

    std::string names;
    for (const TMyTimer& t : list) {
        names += t.Name;
    }
    EXPECT_EQ(names, "abc");
    EXPECT_EQ(list.IndexOf(b), 1);
    EXPECT_TRUE(list.Delete(b));
    EXPECT_FALSE(list.Delete(b));
    EXPECT_EQ(list.Count(), 2u);
    EXPECT_EQ(list[1].Name, "c");
}

} // namespace
} // namespace tally
