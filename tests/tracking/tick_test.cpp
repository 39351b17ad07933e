#include "engine_fixture.h"

namespace tally::test {
namespace {

TEST_F(EngineTest, ApplicationTimerMovesBetweenBackgroundActiveAndAbsent)
{
    desktop.AddWindow(100, "Other", "shell");
    desktop.AddWindow(200, "Document - Editor", "winword.exe");
    desktop.SetForeground(100);
    TMyTimer& timer = AddTimer(ttApplication, {"word.exe"});

    Tick();
    Tick(2);
    EXPECT_EQ(Ms(timer.BackgroundTime), 2000);
    EXPECT_EQ(timer.ActiveStart, kNoPeriod);
    EXPECT_FALSE(timer.Suspended);

    desktop.SetForeground(200);
    Tick(3);
    ASSERT_EQ(timer.BackgroundPeriods.Count(), 1u); // closed at its last increment
    EXPECT_EQ(Ms(timer.BackgroundPeriods[0].Stop - timer.BackgroundPeriods[0].Start), 2000);
    // The active period begins where the background one ended: the 3 s
    // between the two ticks count as active rather than as nothing.
    EXPECT_EQ(timer.ActiveStart, timer.BackgroundPeriods[0].Stop);
    Tick();
    EXPECT_EQ(Ms(timer.ActiveTime), 4000);

    desktop.RemoveWindow(200);
    Tick();
    EXPECT_TRUE(timer.Suspended);
    EXPECT_EQ(timer.ActivePeriods.Count(), 1u);
    EXPECT_EQ(timer.ActiveStart, kNoPeriod);
    EXPECT_EQ(timer.BackgroundStart, kNoPeriod);
    EXPECT_EQ(repaints, 5);
}

TEST_F(EngineTest, ClassifiesEveryTypeInForegroundIdleAndBackground)
{
    struct Row
    {
        TimerType type;
        const char* busy;   // target in the foreground, user not idle
        const char* idle;   // target in the foreground, user idle
        const char* behind; // another window in the foreground
    };
    // Timers without a window count as in the foreground wherever the focus is.
    const Row table[] = {
        {ttManual, "A", "A", "A"},
        {ttApplication, "A", "B", "B"},
        {ttCaption, "A", "B", "B"},
        {ttTyping, "A", "B", "A"},
        {ttInternet, "A", "A", "A"},
        {ttWorkTime, "A", "B", "A"},
        {ttIdleTime, "Bs", "A", "Bs"},
    };
    // One fresh timer of the type, one tick; "A" or "B" for the period that
    // opened, "-" for none, "s" when Suspended is set.
    const auto classify = [&](TimerType type, std::uint32_t idleSeconds, WindowHandle foreground) {
        timers.Clear();
        TMyTimer& timer = AddTimer(type, {"report"});
        desktop.SetIdleSeconds(idleSeconds);
        desktop.SetForeground(foreground);
        clock.AdvanceSeconds(1);
        desktop.PressKey(); // after an idle row this runs a tick of its own
        desktop.ResetCounters();
        engine.TimUpdateTimer();
        std::string result = timer.ActiveStart != kNoPeriod ? "A" : timer.BackgroundStart != kNoPeriod ? "B" : "-";
        if (timer.Suspended) {
            result += "s";
        }
        // Only a found window is compared with the foreground window.
        const bool window = type == ttApplication || type == ttCaption;
        EXPECT_EQ(desktop.ForegroundCalls(), window ? 1 : 0);
        return result;
    };
    probe.Answer(true);
    desktop.AddWindow(100, "Notes", "notes");
    desktop.AddWindow(300, "Report", "report.exe");
    state.IdleIntervalSec = 300;
    for (const Row& row : table) {
        SCOPED_TRACE("type " + std::to_string(row.type));
        EXPECT_EQ(classify(row.type, 0, 300), row.busy);
        EXPECT_EQ(classify(row.type, 301, 300), row.idle);
        EXPECT_EQ(classify(row.type, 0, 100), row.behind);
    }
}

TEST_F(EngineTest, IdleThresholdIsStrictAndSigned)
{
    state.IdleIntervalSec = 300;
    desktop.SetIdleSeconds(300);
    engine.TimUpdateTimer();
    EXPECT_FALSE(state.IsIdle);
    desktop.SetIdleSeconds(301);
    engine.TimUpdateTimer();
    EXPECT_TRUE(state.IsIdle);

    // The unsigned reading is not wrapped into a negative number...
    state.IdleIntervalSec = 2147483647;
    desktop.SetIdleSeconds(4294967295u);
    engine.TimUpdateTimer();
    EXPECT_TRUE(state.IsIdle);
    // ...and a negative threshold makes every reading idle.
    state.IdleIntervalSec = -1;
    desktop.SetIdleSeconds(0);
    engine.TimUpdateTimer();
    EXPECT_TRUE(state.IsIdle);

    desktop.SetFailing(FakeDesktop::Op::Idle);
    state.IdleIntervalSec = 300;
    engine.TimUpdateTimer();
    EXPECT_TRUE(state.IsIdle); // unchanged
    EXPECT_TRUE(Logged("0 SecondsIdle failed"));
}

TEST_F(EngineTest, TypingTimerCountsWithinTheTypingWindowOnly)
{
    state.MaxKeyIntervalMs = 1000;
    TMyTimer& timer = AddTimer(ttTyping);
    desktop.PressKey();
    clock.AdvanceMs(999);
    engine.TimUpdateTimer();
    EXPECT_FALSE(timer.Suspended);
    EXPECT_NE(timer.ActiveStart, kNoPeriod);

    clock.AdvanceMs(1); // exactly the window: no longer typing
    engine.TimUpdateTimer();
    EXPECT_TRUE(timer.Suspended);
    EXPECT_EQ(timer.ActiveStart, kNoPeriod);
    EXPECT_EQ(timer.ActivePeriods.Count(), 1u);

    // Far beyond 32 bits of milliseconds the window still works.
    clock.SetTick(std::int64_t {1} << 40);
    desktop.PressKey();
    clock.AdvanceMs(10);
    engine.TimUpdateTimer();
    EXPECT_FALSE(timer.Suspended);
}

TEST_F(EngineTest, InternetTimerStartsTheProbeOnceAndWaitsForItsAnswer)
{
    TMyTimer& timer = AddTimer(ttInternet);
    timer.Enabled = false;
    Tick();
    EXPECT_EQ(probe.Starts(), 0);
    timer.Enabled = true;
    Tick();
    // Started and probed at once, but the answer is not in yet.
    EXPECT_EQ(probe.Starts(), 1);
    EXPECT_EQ(probe.Probes(), 1);
    EXPECT_TRUE(timer.Suspended);
    EXPECT_EQ(timer.BackgroundStart, kNoPeriod);
    probe.Answer(true);
    Tick();
    probe.FireTimer();
    Tick();
    EXPECT_EQ(probe.Starts(), 1);
    EXPECT_EQ(Ms(timer.ActiveTime), 1000);
    probe.Answer(false);
    Tick();
    EXPECT_TRUE(timer.Suspended);
    EXPECT_EQ(timer.ActivePeriods.Count(), 1u);
}

TEST_F(EngineTest, InternetTimerUsesAnEarlierAnswerOnItsFirstTick)
{
    probe.StartTimer();
    probe.Answer(true);
    TMyTimer& timer = AddTimer(ttInternet);
    desktop.SetIdleSeconds(100000);
    Tick();
    EXPECT_EQ(probe.Starts(), 1);
    EXPECT_NE(timer.ActiveStart, kNoPeriod); // idle or not
}

TEST_F(EngineTest, LockedDesktopSkipsTheTickAndTheNextTickAddsTheGap)
{
    TMyTimer& timer = AddTimer(ttManual);
    Tick();
    session.SetLocked(true);
    Tick(600);
    EXPECT_EQ(repaints, 1);
    EXPECT_EQ(timer.ActivePeriods.Count(), 0u);
    EXPECT_EQ(Ms(timer.ActiveTime), 0);
    session.SetLocked(false);
    Tick();
    EXPECT_EQ(Ms(timer.ActiveTime), 601000);
    EXPECT_EQ(timer.ActivePeriods.Count(), 0u);
}

TEST_F(EngineTest, DisabledTimerClosesBothPeriodsAndKeepsSuspended)
{
    desktop.AddWindow(100, "Editor", "ed");
    TMyTimer& timer = AddTimer(ttCaption, {"editor"});
    Tick();
    Tick();
    timer.SetEnabled(false);
    timer.Suspended = true;
    Tick();
    EXPECT_EQ(timer.BackgroundPeriods.Count(), 1u);
    EXPECT_EQ(timer.BackgroundStart, kNoPeriod);
    EXPECT_TRUE(timer.Suspended);
}

TEST_F(EngineTest, OneCensusPassPerTickWhateverTheTimers)
{
    for (int i = 0; i < 10; ++i) {
        desktop.AddWindow(100 + i, "Window " + std::to_string(i), "app" + std::to_string(i));
    }
    desktop.FindWindow(104)->Owned = true;
    desktop.SetForeground(104);
    for (int i = 0; i < 10; ++i) {
        AddTimer(ttApplication, {"app" + std::to_string(i)});
        AddTimer(ttCaption, {"window " + std::to_string(i)}, static_cast<WindowScope>(i % 3));
    }
    desktop.ResetCounters();
    Tick();
    // With application timers one pass with names serves the captions too.
    EXPECT_EQ(desktop.CensusCalls(false), 0);
    EXPECT_EQ(desktop.CensusCalls(true), 1);
    EXPECT_EQ(desktop.ForegroundCalls(), 1);
    // Shared censuses give the answers of separate ones: the owned window 104
    // is seen only by the scope-1 caption timer, not by application timers.
    EXPECT_TRUE(timers[8].Suspended);                 // app4
    EXPECT_NE(timers[9].ActiveStart, kNoPeriod);      // caption "window 4", scope 1
    EXPECT_NE(timers[11].BackgroundStart, kNoPeriod); // caption "window 5", scope 2
    EXPECT_EQ(engine.TimerTargetOk(timers[9]), TargetResult::Found(104));
    EXPECT_EQ(engine.TimerTargetOk(timers[11]), TargetResult::Found(105));

    // Caption timers alone never pay for executable names.
    for (std::size_t i = 0; i < timers.Count(); i += 2) {
        timers[i].SetEnabled(false);
    }
    desktop.ResetCounters();
    Tick();
    EXPECT_EQ(desktop.CensusCalls(false), 1);
    EXPECT_EQ(desktop.CensusCalls(true), 0);
}

TEST_F(EngineTest, FailuresAreLoggedAndTheTickGoesOn)
{
    desktop.AddWindow(100, "Editor", "ed");
    desktop.SetForeground(100);
    TMyTimer& caption = AddTimer(ttCaption, {"editor"});
    TMyTimer& app = AddTimer(ttApplication, {"ed"});
    TMyTimer& manual = AddTimer(ttManual);
    Tick();
    desktop.SetFailing(FakeDesktop::Op::Census);
    desktop.SetFailing(FakeDesktop::Op::Cursor);
    desktop.ResetCounters();
    Tick();
    // The failed pass is not asked again within the tick.
    EXPECT_EQ(desktop.CensusCalls(false) + desktop.CensusCalls(true), 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "0 TargetWindow failed"), 2);
    EXPECT_TRUE(Logged("0 mouse.CursorPos failed"));
    EXPECT_TRUE(caption.Suspended && app.Suspended);
    EXPECT_EQ(caption.ActivePeriods.Count(), 1u);
    EXPECT_NE(manual.ActiveStart, kNoPeriod);
    EXPECT_EQ(lines.back(), "1 Update-<");

    desktop.SetFailing(FakeDesktop::Op::Census, false);
    desktop.SetFailing(FakeDesktop::Op::Foreground);
    Tick();
    EXPECT_TRUE(Logged("0 GetForegroundWindow failed"));
    EXPECT_NE(caption.BackgroundStart, kNoPeriod);
}

TEST_F(EngineTest, HintHidesOnlyWhenThePointerLeavesTheWindow)
{
    const int& hides = observer.hintHides;
    observer.windowRect = [] { return ScreenRect {10, 20, 110, 220}; };
    desktop.SetCursor({110, 220}); // edges count as inside
    engine.TimUpdateTimer();
    EXPECT_EQ(hides, 0);
    desktop.SetCursor({111, 220});
    engine.TimUpdateTimer();
    EXPECT_EQ(hides, 1);
    // An unknown position is not taken for one outside the window.
    desktop.SetFailing(FakeDesktop::Op::Cursor);
    engine.TimUpdateTimer();
    EXPECT_EQ(hides, 1);
    desktop.SetFailing(FakeDesktop::Op::Cursor, false);

    observer.windowRect = []() -> ScreenRect { throw std::runtime_error("gone"); };
    engine.TimUpdateTimer();
    EXPECT_TRUE(Logged("0 HintHide failed"));

    // With no hint on screen the pointer is not even asked for.
    observer.windowRect = [] { return ScreenRect {10, 20, 110, 220}; };
    bool& shown = observer.hintShown;
    shown = false;
    desktop.SetFailing(FakeDesktop::Op::Cursor);
    lines.clear();
    engine.TimUpdateTimer();
    EXPECT_FALSE(Logged("0 mouse.CursorPos failed"));
    desktop.SetFailing(FakeDesktop::Op::Cursor, false);
    desktop.SetCursor({500, 500});
    engine.TimUpdateTimer();
    EXPECT_EQ(hides, 1);
    shown = true;
    engine.TimUpdateTimer();
    EXPECT_EQ(hides, 2);
}

} // namespace
} // namespace tally::test
