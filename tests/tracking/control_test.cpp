#include "engine_fixture.h"

namespace tally::test {
namespace {

TEST_F(EngineTest, PacingSlowsTheTickWhileHiddenAndRestoresItWhenShown)
{
    observer.movesTick = true;
    observer.taskbarButton = true;
    const std::vector<int>& intervals = observer.intervals;
    const int& hides = observer.taskbarHides;
    for (int i = 0; i < 4; ++i) {
        engine.TimTBarTimer();
    }
    EXPECT_TRUE(intervals.empty());
    engine.TimTBarTimer();
    EXPECT_EQ(state.HiddenTickCount, 5);
    EXPECT_EQ(intervals, std::vector<int>({5000}));
    state.MainWindowShown = true;
    engine.TimTBarTimer();
    EXPECT_EQ(state.HiddenTickCount, 0);
    EXPECT_EQ(intervals, std::vector<int>({5000, 1000}));
    EXPECT_EQ(hides, 6);

    // Neither counted nor the button touched while locked or asleep.
    state.MainWindowShown = false;
    session.SetLocked(true);
    engine.TimTBarTimer();
    state.Sleeping = true;
    session.SetLocked(false);
    engine.TimTBarTimer();
    EXPECT_EQ(state.HiddenTickCount, 0);
    EXPECT_EQ(hides, 6);

    EXPECT_EQ(TrackingEngine::UpdateIntervalFor(19), 5000);
    EXPECT_EQ(TrackingEngine::UpdateIntervalFor(20), 10000);
    EXPECT_EQ(TrackingEngine::UpdateIntervalFor(59), 10000);
    EXPECT_EQ(TrackingEngine::UpdateIntervalFor(60), 25000);
}

// The shell stops the pacing timer while PacingAtRest holds: too early would
// leave the hidden tick at a faster step for good.
TEST_F(EngineTest, PacingRestsOnlyHiddenAtTheSlowestStep)
{
    observer.movesTick = true;
    const std::vector<int>& intervals = observer.intervals;
    while (intervals.size() < 3) {
        EXPECT_FALSE(engine.PacingAtRest()) << "after " << state.HiddenTickCount << " firings";
        engine.TimTBarTimer();
    }
    EXPECT_EQ(intervals, std::vector<int>({5000, 10000, 25000}));
    EXPECT_EQ(state.HiddenTickCount, 60);
    EXPECT_TRUE(engine.PacingAtRest());

    state.MainWindowShown = true;
    EXPECT_FALSE(engine.PacingAtRest()) << "shown: the next firing restores the tick";
    state.MainWindowShown = false;
    observer.taskbarButton = true;
    EXPECT_FALSE(engine.PacingAtRest()) << "a button to keep hidden needs every firing";
}

TEST_F(EngineTest, StartAndStopActOnTheSelectionAndLeavePeriodsToTheTick)
{
    const int& refreshes = observer.refreshes;
    std::vector<TMyTimer*> all;
    for (int i = 0; i < 4; ++i) {
        all.push_back(&AddTimer(ttManual));
    }
    Tick();
    Tick();
    const std::vector<TMyTimer*> selected = {all[0], all[1], all[3]};
    engine.actStopTimerExecute(selected);
    EXPECT_FALSE(all[0]->Enabled || all[1]->Enabled || all[3]->Enabled);
    EXPECT_TRUE(all[2]->Enabled);
    EXPECT_NE(all[0]->ActiveStart, kNoPeriod); // still open until the next tick
    EXPECT_EQ(refreshes, 1);
    Tick(5);
    ASSERT_EQ(all[0]->ActivePeriods.Count(), 1u);
    EXPECT_EQ(Ms(all[0]->ActivePeriods[0].Stop - all[0]->ActivePeriods[0].Start), 1000);
    EXPECT_EQ(all[2]->ActivePeriods.Count(), 0u);

    const int before = repaints;
    engine.actStartTimerExecute({});
    EXPECT_EQ(repaints, before + 1);
    engine.actStartTimerExecute(std::vector<TMyTimer*> {all[1]});
    EXPECT_TRUE(all[1]->Enabled);
    EXPECT_TRUE(Logged("0 actStartTimerExecute->") && Logged("0 actStopTimerExecute->"));
}

TEST_F(EngineTest, SuspendClosesEverythingAndNothingCountsUntilResume)
{
    TMyTimer& timer = AddTimer(ttWorkTime);
    std::size_t closedWhenSaved = 0;
    observer.onSuspend = [&] { closedWhenSaved = timer.ActivePeriods.Count(); };
    Tick();
    Tick();
    session.SendPower(PowerEvent::Suspend);
    EXPECT_TRUE(state.Sleeping);
    EXPECT_EQ(closedWhenSaved, 1u);
    EXPECT_EQ(timer.ActivePeriods.Count(), 1u);
    EXPECT_EQ(timer.ActiveStart, kNoPeriod);
    engine.AddToAllTimersOffEvents(); // twice: still one period
    EXPECT_EQ(timer.ActivePeriods.Count(), 1u);

    Tick(3600);
    EXPECT_TRUE(state.Sleeping);
    EXPECT_EQ(timer.ActiveStart, kNoPeriod);
    session.SendPower(PowerEvent::Resume);
    EXPECT_FALSE(state.Sleeping);
    Tick();
    Tick();
    EXPECT_EQ(Ms(timer.ActiveTime), 2000);
    EXPECT_TRUE(Logged("0 sleep->") && Logged("0 wake up-<"));
}

TEST_F(EngineTest, KeystrokesFlowThroughTheHookAndHookFailuresAreLogged)
{
    engine.InstallKeyboardHook();
    EXPECT_TRUE(desktop.Hooked());
    clock.AdvanceMs(5000);
    desktop.PressKey();
    EXPECT_EQ(state.LastKeyTick, clock.TickMs());
    EXPECT_TRUE(Logged("4 WmUser"));

    desktop.SetFailing(FakeDesktop::Op::RemoveHook);
    engine.RemoveKeyboardHook();
    EXPECT_TRUE(Logged("0 Unable to remove hook"));
    desktop.SetFailing(FakeDesktop::Op::RemoveHook, false);
    engine.RemoveKeyboardHook();
    EXPECT_FALSE(desktop.Hooked());

    desktop.SetFailing(FakeDesktop::Op::SetHook);
    engine.InstallKeyboardHook();
    EXPECT_TRUE(Logged("0 Unable to set hook"));
}

TEST(EngineLifetime, LeavesNoHandlersBehind)
{
    FakeClock clock;
    FakeDesktop desktop;
    FakeSession session;
    FakeInternetProbe probe;
    TimerList timers;
    TBrisvaleLog log(clock);
    TrackingState state;
    {
        TrackingEngine engine(timers, state, desktop, session, probe, clock, log);
        engine.InstallKeyboardHook();
        EXPECT_TRUE(session.HasPowerHandler() && desktop.Hooked());
    }
    EXPECT_FALSE(session.HasPowerHandler() || desktop.Hooked());
}

} // namespace
} // namespace tally::test
