#include "x11_fixture.h"

#include "model/datetime.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_internet_probe.h"
#include "platform/fake/fake_session.h"
#include "runlog/brisvale_log.h"
#include "tracking/tracking_engine.h"

namespace tally::test {
namespace {

// The window in front changes between two slow ticks: the server's notice
// runs a tick at once, which ends the active period there.
TEST_F(X11Test, AFocusChangeRunsATickAtOnce)
{
    const auto target = Window({"--title", "Change target"});
    const auto other = Window({"--title", "Something else"});
    ASSERT_EQ(rig->Xdotool({"windowactivate", "--sync", Hex(target->Id())}), 0);
    ASSERT_TRUE(XRig::WaitUntil([&] { return rig->ActiveWindow() == target->Id(); }));

    FakeClock clock;
    FakeSession session;
    FakeInternetProbe probe;
    TimerList timers;
    TBrisvaleLog log(clock);
    TrackingState state;
    TrackingEngine engine(timers, state, *desktop, session, probe, clock, log);
    // Every tick repaints the list.
    struct TickCounter final : TrackingObserver
    {
        void TimersChanged() override { ++ticks; }
        int ticks = 0;
    } observer;
    engine.SetObserver(&observer);
    const int& ticks = observer.ticks;
    TMyTimer& timer = timers.Create();
    timer.TimerType = ttCaption;
    timer.Identifiers = {"change target"};
    timer.SetEnabled(true);

    engine.TimUpdateTimer();
    ASSERT_NE(timer.ActiveStart, kNoPeriod);
    // Whatever the server told before is answered by that tick.
    DispatchUntil([] { return false; }, std::chrono::milliseconds(300));
    const int before = ticks;

    clock.AdvanceSeconds(3);
    ASSERT_EQ(rig->Xdotool({"windowactivate", "--sync", Hex(other->Id())}), 0);
    ASSERT_TRUE(DispatchUntil([&] { return timer.BackgroundStart != kNoPeriod; }));
    EXPECT_GT(ticks, before);
    ASSERT_EQ(timer.ActivePeriods.Count(), 1u);
    EXPECT_EQ(DaysToMs(timer.ActiveTime), 3000); // up to the change, not to the last tick before it
}

} // namespace
} // namespace tally::test
