#include "model/datetime.h"
#include "platform/system/system_clock.h"
#include "program_fixture.h"

#include <algorithm>
#include <sstream>
#include <thread>

namespace tally::test {
namespace {

struct Span
{
    TDateTime From;
    TDateTime To;
};

std::string Describe(const PeriodList& periods)
{
    std::ostringstream text;
    text.precision(12);
    for (const TWorkPeriod& p : periods) {
        text << " [" << p.Start << ", " << p.Stop << "]";
    }
    return text.str();
}

// Every period lies inside one of the spans.
void ExpectWithin(const PeriodList& periods, const std::vector<Span>& spans, const char* what)
{
    // A tick reads the clock a moment before it asks which window is in front.
    const TDateTime slack = 0.3 * kOneSecond;
    for (const TWorkPeriod& p : periods) {
        const bool fits = std::any_of(spans.begin(), spans.end(), [&](const Span& s) {
            return p.Start >= s.From - slack && p.Stop <= s.To + slack;
        });
        EXPECT_TRUE(fits) << what << " period [" << p.Start << ", " << p.Stop << "] is outside its phases";
        EXPECT_LE(p.Start, p.Stop);
    }
}

TDateTime Sum(const PeriodList& periods)
{
    TDateTime sum = 0;
    for (const TWorkPeriod& p : periods) {
        sum += p.Stop - p.Start;
    }
    return sum;
}

TDateTime Now()
{
    return SystemClock().Read().Now;
}

// Tracks a window of ours by its caption and by its program while it is in
// front (active) and while another program's window covers it (background).
TEST_F(ProgramTest, ActiveAndBackgroundPeriodsFollowTheWindowInFront)
{
    // The main window opens, so the tick keeps its one-second pace.
    WriteSettings("FirstLaunch=1\n");
    {
        TimeModel model;
        TMyTimer& caption = model.Timers.Create();
        caption.Name = "Caption";
        caption.TimerType = ttCaption;
        caption.WindowScope = scMainOnly;
        caption.Identifiers = {"e2e TARGET"}; // matched in any case, as part of the title
        caption.SetEnabled(true);
        TMyTimer& application = model.Timers.Create();
        application.Name = "Application";
        application.TimerType = ttApplication;
        application.Identifiers = {XRig::TestWindowProgram()};
        application.SetEnabled(true);
        SaveData(model);
    }
    // The window that covers ours belongs to a program of another name.
    const std::string other = dir.File("other-window");
    std::filesystem::copy_file(XRig::TestWindowProgram(), other);

    auto program = StartProgram();
    ASSERT_TRUE(LogHas("Init->"));
    ASSERT_TRUE(XRig::WaitUntil([&] { return MainWindow().has_value(); }, 30s));

    const auto activate = [&](std::uint32_t window) {
        std::ostringstream id;
        id << "0x" << std::hex << window;
        ASSERT_EQ(rig->Xdotool({"windowactivate", "--sync", id.str()}), 0);
        ASSERT_TRUE(XRig::WaitUntil([&] { return rig->ActiveWindow() == window; }));
    };

    // Ours appears (the window manager may put it in front at once) and is raised.
    const TDateTime shown = Now();
    auto target = rig->StartWindow({"--title", "E2E target window"});
    ASSERT_NO_FATAL_FAILURE(activate(target->Id()));
    const TDateTime raised = Now();
    std::this_thread::sleep_for(5s);

    // Another program's window comes to the front.
    const TDateTime coverFrom = Now();
    WindowStart start;
    start.Program = other;
    auto cover = rig->StartWindow({"--title", "Something else"}, start);
    ASSERT_NO_FATAL_FAILURE(activate(cover->Id()));
    const TDateTime covered = Now();
    std::this_thread::sleep_for(5s);

    // Ours is raised again.
    const TDateTime raiseFrom = Now();
    ASSERT_NO_FATAL_FAILURE(activate(target->Id()));
    const TDateTime raisedAgain = Now();
    std::this_thread::sleep_for(4s);

    const TDateTime stopFrom = Now();
    EXPECT_EQ(Terminate(*program), 0);
    const TDateTime stopped = Now();

    TimeModel model;
    ASSERT_NO_FATAL_FAILURE(LoadData(model));
    ASSERT_EQ(model.Timers.Count(), 2u);
    for (const TMyTimer& timer : model.Timers) {
        SCOPED_TRACE(timer.Name);
        SCOPED_TRACE("active:" + Describe(timer.ActivePeriods) + " background:" + Describe(timer.BackgroundPeriods));
        EXPECT_EQ(timer.ActiveStart, kNoPeriod);
        EXPECT_EQ(timer.BackgroundStart, kNoPeriod);

        // In front from its start until the cover came, and after it was raised again.
        ExpectWithin(timer.ActivePeriods, {{shown, covered}, {raiseFrom, stopped}}, "active");
        // Behind while the main window or the cover was in front.
        ExpectWithin(timer.BackgroundPeriods, {{shown, raised}, {coverFrom, raisedAgain}}, "background");
        EXPECT_GE(timer.ActivePeriods.Count(), 2u);
        EXPECT_GE(timer.BackgroundPeriods.Count(), 1u);

        // The totals are the periods' sums, and each phase was tracked for
        // most of its length (a phase loses at most a tick at each end).
        EXPECT_NEAR(timer.ActiveTime, Sum(timer.ActivePeriods), 0.01 * kOneSecond);
        EXPECT_NEAR(timer.BackgroundTime, Sum(timer.BackgroundPeriods), 0.01 * kOneSecond);
        EXPECT_GE(timer.ActiveTime, (coverFrom - raised) + (stopFrom - raisedAgain) - 5 * kOneSecond);
        EXPECT_GE(timer.BackgroundTime, (raiseFrom - covered) - 3 * kOneSecond);

        // A tick is either: no moment counts as both.
        for (const TWorkPeriod& a : timer.ActivePeriods) {
            for (const TWorkPeriod& b : timer.BackgroundPeriods) {
                EXPECT_TRUE(a.Stop <= b.Start || b.Stop <= a.Start)
                    << "[" << a.Start << ", " << a.Stop << "] overlaps [" << b.Start << ", " << b.Stop << "]";
            }
        }
    }
}

// The program as it usually runs, hidden in the notification area, where the
// tick slows down: a window's time in front and behind and the running time
// of every timer come out whole, however far apart the ticks are.
TEST_F(ProgramTest, HiddenProgramCountsWholePhasesBetweenSlowTicks)
{
    {
        TimeModel model;
        for (const TimerType type : {ttManual, ttCaption, ttApplication}) {
            TMyTimer& timer = model.Timers.Create();
            timer.Name = std::to_string(static_cast<int>(type));
            timer.TimerType = type;
            timer.SetEnabled(true);
        }
        model.Timers[1].Identifiers = {"e2e TARGET"};
        model.Timers[2].Identifiers = {XRig::TestWindowProgram()}; // a window of it runs throughout
        SaveData(model);
    }
    const std::string other = dir.File("other-window");
    std::filesystem::copy_file(XRig::TestWindowProgram(), other);
    auto helper = rig->StartWindow({"--title", "Helper"});

    auto program = StartProgram();
    ASSERT_TRUE(LogHas("Init->"));
    const TDateTime started = Now();
    std::this_thread::sleep_for(8s); // the hidden tick has slowed to one every 5 s

    const auto activate = [&](std::uint32_t window) {
        std::ostringstream id;
        id << "0x" << std::hex << window;
        ASSERT_EQ(rig->Xdotool({"windowactivate", "--sync", id.str()}), 0);
        ASSERT_TRUE(XRig::WaitUntil([&] { return rig->ActiveWindow() == window; }));
    };
    const TDateTime frontFrom = Now();
    auto target = rig->StartWindow({"--title", "E2E target window"});
    ASSERT_NO_FATAL_FAILURE(activate(target->Id()));
    const TDateTime front = Now();
    std::this_thread::sleep_for(12s);

    const TDateTime behindFrom = Now();
    WindowStart start;
    start.Program = other;
    auto cover = rig->StartWindow({"--title", "Something else"}, start);
    ASSERT_NO_FATAL_FAILURE(activate(cover->Id()));
    const TDateTime behind = Now();
    std::this_thread::sleep_for(12s);

    const TDateTime stopFrom = Now();
    EXPECT_EQ(Terminate(*program), 0);
    const TDateTime stopped = Now();

    TimeModel model;
    ASSERT_NO_FATAL_FAILURE(LoadData(model));
    ASSERT_EQ(model.Timers.Count(), 3u);
    const TMyTimer& manual = model.Timers[0];
    const TMyTimer& caption = model.Timers[1];
    const TMyTimer& application = model.Timers[2];
    SCOPED_TRACE("caption active:" + Describe(caption.ActivePeriods)
                 + " background:" + Describe(caption.BackgroundPeriods) + " manual:" + Describe(manual.ActivePeriods));
    const TDateTime tolerance = 1.5 * kOneSecond;
    // Each phase's true length lies between its inner and outer bounds.
    const auto phase = [](TDateTime outerFrom, TDateTime innerFrom, TDateTime innerTo, TDateTime outerTo) {
        return ((innerTo - innerFrom) + (outerTo - outerFrom)) / 2;
    };
    EXPECT_NEAR(caption.ActiveTime, phase(frontFrom, front, behindFrom, behind), tolerance);
    EXPECT_NEAR(caption.BackgroundTime, phase(behindFrom, behind, stopFrom, stopped), tolerance);

    // The others run from the first tick, a moment after start-up, to the end.
    ASSERT_FALSE(manual.ActivePeriods.Count() == 0 || application.BackgroundPeriods.Count() == 0);
    const TDateTime firstTick = manual.ActivePeriods[0].Start;
    EXPECT_NEAR(firstTick, started, 2 * kOneSecond);
    const TDateTime running = phase(firstTick, firstTick, stopFrom, stopped);
    EXPECT_NEAR(manual.ActiveTime, running, tolerance);
    EXPECT_NEAR(application.ActiveTime + application.BackgroundTime, running, tolerance);
    EXPECT_NEAR(Sum(manual.ActivePeriods), manual.ActiveTime, 0.01 * kOneSecond);
}

} // namespace
} // namespace tally::test
