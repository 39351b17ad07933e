#include "engine_fixture.h"

namespace tally::test {
namespace {

// The hidden program's slowest pace, with the shell's timer interval recorded.
class SlowTickTest : public EngineTest
{
protected:
    SlowTickTest()
    {
        observer.movesTick = true;
        for (int i = 0; i < 60; ++i) {
            engine.TimTBarTimer();
        }
        intervals.clear();
    }

    void AdvanceMs(std::int64_t ms) { clock.AdvanceMs(ms); }

    static std::int64_t Length(const TWorkPeriod& p) { return Ms(p.Stop - p.Start); }

    std::vector<int>& intervals = observer.intervals;
};

TEST_F(SlowTickTest, NoticesPutBoundariesAtTheChangeAndShutdownCountsUpToItsInstant)
{
    ASSERT_EQ(engine.UpdateIntervalMs(), 25000);
    desktop.AddWindow(100, "Notes - target", "notes");
    desktop.AddWindow(200, "Other", "other");
    desktop.AddWindow(300, "Build", "tool");
    desktop.SetForeground(100);
    TMyTimer& caption = AddTimer(ttCaption, {"target"});
    TMyTimer& application = AddTimer(ttApplication, {"tool"});
    TMyTimer& manual = AddTimer(ttManual);

    Tick(0);
    AdvanceMs(7000); // between two slow ticks, another window comes to the front
    desktop.SetForeground(200);
    desktop.RaiseWindow(200);
    desktop.NotifyChange(DesktopChange::Windows);
    EXPECT_EQ(repaints, 2);
    AdvanceMs(12000); // and the program ends before the next tick
    engine.AddToAllTimersOffEvents();

    ASSERT_EQ(caption.ActivePeriods.Count(), 1u);
    ASSERT_EQ(caption.BackgroundPeriods.Count(), 1u);
    EXPECT_EQ(Length(caption.ActivePeriods[0]), 7000);
    EXPECT_EQ(caption.BackgroundPeriods[0].Start, caption.ActivePeriods[0].Stop);
    EXPECT_EQ(Length(caption.BackgroundPeriods[0]), 12000);
    EXPECT_EQ(Ms(application.BackgroundTime), 19000);
    ASSERT_EQ(manual.ActivePeriods.Count(), 1u);
    EXPECT_EQ(Length(manual.ActivePeriods[0]), 19000);
    engine.AddToAllTimersOffEvents(); // twice: nothing more
    EXPECT_EQ(manual.ActivePeriods.Count(), 1u);
}

TEST_F(SlowTickTest, WithoutNoticesASwitchKeepsThePresentTimeWholeAndAbsenceStillEndsAtTheLastTick)
{
    desktop.AddWindow(100, "Notes - target", "notes");
    desktop.AddWindow(200, "Other", "other");
    desktop.SetForeground(100);
    TMyTimer& caption = AddTimer(ttCaption, {"target"});
    Tick(0);
    Tick(25);
    desktop.SetForeground(200); // 5 s later, unannounced
    Tick(25);
    EXPECT_EQ(Ms(caption.ActiveTime), 25000);
    EXPECT_EQ(Ms(caption.BackgroundTime), 25000); // the split lies within the tick
    EXPECT_EQ(caption.BackgroundStart, caption.ActivePeriods[0].Stop);

    desktop.RemoveWindow(100);
    Tick(25);
    EXPECT_EQ(Ms(caption.BackgroundTime), 25000); // ends at its last tick, as before
    desktop.AddWindow(100, "Notes - target", "notes");
    Tick(25);
    EXPECT_EQ(caption.BackgroundStart, clock.Now()); // starts at the first tick that sees it
    EXPECT_EQ(Ms(caption.ActiveTime + caption.BackgroundTime), 50000);
}

TEST_F(SlowTickTest, StopSuspendAndShutdownBetweenTicksCountOnlyWhatStillHolds)
{
    desktop.AddWindow(100, "Notes - target", "notes");
    desktop.SetForeground(100);
    TMyTimer& stopped = AddTimer(ttManual);
    TMyTimer& caption = AddTimer(ttCaption, {"target"});
    TMyTimer& work = AddTimer(ttWorkTime);
    Tick(0);
    AdvanceMs(4000);
    engine.actStopTimerExecute(std::vector<TMyTimer*> {&stopped});
    AdvanceMs(6000);
    desktop.RemoveWindow(100); // gone without a notice: its state no longer holds
    session.SendPower(PowerEvent::Suspend);
    EXPECT_EQ(Ms(stopped.ActiveTime), 4000);
    EXPECT_EQ(Ms(caption.ActiveTime), 0);
    ASSERT_EQ(work.ActivePeriods.Count(), 1u);
    EXPECT_EQ(Length(work.ActivePeriods[0]), 10000);
    session.SendPower(PowerEvent::Resume);

    // A sleep noticed only afterwards (the tick is long overdue): the time
    // since the last tick is unknown and counts nowhere.
    Tick(0);
    AdvanceMs(3600000);
    session.SendPower(PowerEvent::Suspend);
    EXPECT_EQ(Ms(work.ActiveTime), 10000);
    session.SendPower(PowerEvent::Resume);

    // Locked at shutdown: nothing is known of the time since the last tick.
    Tick(0);
    session.SetLocked(true);
    AdvanceMs(5000);
    engine.AddToAllTimersOffEvents();
    EXPECT_EQ(Ms(work.ActiveTime), 10000);
}

TEST_F(SlowTickTest, ChangeTicksRunAtMostEvery200MsAndOnlyWhenTheyMatter)
{
    desktop.AddWindow(100, "Notes - target", "notes");
    desktop.AddWindow(200, "Other", "other");
    desktop.SetForeground(100);
    TMyTimer& work = AddTimer(ttWorkTime);
    Tick(0);
    desktop.NotifyChange(DesktopChange::Windows); // no timer looks at windows
    EXPECT_EQ(repaints, 1);

    TMyTimer& caption = AddTimer(ttCaption, {"target"});
    AdvanceMs(1000);
    desktop.NotifyChange(DesktopChange::Windows);
    EXPECT_EQ(repaints, 2);
    AdvanceMs(50);
    desktop.SetForeground(200);
    desktop.NotifyChange(DesktopChange::Windows);
    desktop.NotifyChange(DesktopChange::Lock);
    EXPECT_EQ(repaints, 2); // put off: the tick's timer fires once, early
    EXPECT_EQ(intervals, std::vector<int>({150}));
    engine.TimTBarTimer(); // the pacing leaves the early firing alone
    EXPECT_EQ(intervals, std::vector<int>({150}));
    AdvanceMs(150);
    engine.TimUpdateTimer(); // as the shell's timer does
    EXPECT_EQ(intervals, std::vector<int>({150, 25000}));
    EXPECT_EQ(Ms(caption.ActiveTime), 200); // held until the tick that answered the change
    EXPECT_EQ(caption.BackgroundStart, clock.Now());

    // Only the first keystroke after an idle stretch runs a tick, and the
    // idle time ends there rather than at the next periodic tick.
    desktop.SetIdleSeconds(400);
    Tick(25);
    ASSERT_TRUE(state.IsIdle);
    const int before = repaints;
    AdvanceMs(9000);
    desktop.SetIdleSeconds(0);
    desktop.PressKey();
    EXPECT_EQ(repaints, before + 1);
    ASSERT_EQ(work.BackgroundPeriods.Count(), 1u);
    EXPECT_EQ(work.BackgroundPeriods[0].Stop, clock.Now());
    EXPECT_EQ(work.ActiveStart, clock.Now());
    AdvanceMs(1000);
    desktop.PressKey();
    EXPECT_EQ(repaints, before + 1);
}

// A shell that cannot move the tick's timer (or none at all) leaves a change
// that comes too soon to the periodic tick.
TEST_F(EngineTest, WithoutAnObserverATooEarlyChangeWaitsForThePeriodicTick)
{
    desktop.AddWindow(100, "Notes - target", "notes");
    desktop.SetForeground(100);
    TMyTimer& caption = AddTimer(ttCaption, {"target"});
    Tick(0);
    engine.SetObserver(nullptr);
    clock.AdvanceMs(50);
    desktop.SetForeground(0);
    desktop.NotifyChange(DesktopChange::Windows);
    EXPECT_NE(caption.ActiveStart, kNoPeriod) << "no tick ran";
    clock.AdvanceMs(950);
    engine.TimUpdateTimer();
    EXPECT_NE(caption.BackgroundStart, kNoPeriod) << "the periodic tick sees the change";

    engine.SetObserver(&observer);
    observer.movesTick = true;
    clock.AdvanceMs(50);
    desktop.SetForeground(100);
    desktop.NotifyChange(DesktopChange::Windows);
    EXPECT_EQ(observer.intervals, std::vector<int>({150}));
}

} // namespace
} // namespace tally::test
