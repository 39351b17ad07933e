#include "model/datetime.h"
#include "platform/fake/fake_clock.h"
#include "platform/system/posix_file_system.h"
#include "platform/system/system_clock.h"
#include "program_fixture.h"
#include "runlog/brisvale_log.h"
#include "storage/data_file.h"
#include "support/temp_dir.h"
#include "x11_rig.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace tally::test {
namespace {

using namespace std::chrono_literals;

// The program on a private display, driven through its windows the way a
// user would: pointer clicks and keys sent by xdotool.
class DialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        rig = std::make_unique<XRig>();
        std::filesystem::create_directories(dir.Path() / "run");
        // The first launch shows the main window. Detail 1 logs every tick,
        // which lets the test wait for ticks instead of sleeping.
        WriteFile(dir.File("tallyhourlite.ini"),
                  "[main]\nLogActive=1\nLogDetail=1\nSplashOn=0\nFirstLaunch=1\nAutoRun=0\n");
    }

    void TearDown() override
    {
        if (HasFailure()) {
            std::cout << "---- run log ----\n" << Log() << "---- end of run log ----\n";
        }
    }

    std::unique_ptr<ChildProcess> StartProgram()
    {
        ChildProcess::Options options;
        // The test main sends Qt to its offscreen platform; these windows
        // must really show on the rig's display.
        options.Environment = {"DISPLAY=" + rig->Display(),
                               "QT_QPA_PLATFORM=xcb",
                               "TALLYHOUR_DATA_DIR=" + dir.Path().string(),
                               "XDG_DATA_HOME=" + (dir.Path() / "share").string(),
                               "XDG_CONFIG_HOME=" + (dir.Path() / "config").string(),
                               "XDG_RUNTIME_DIR=" + (dir.Path() / "run").string(),
                               // No probe leaves the machine.
                               "TALLYHOUR_PROBE_URL=http://127.0.0.1:9/"};
        options.Quiet = true;
        return std::make_unique<ChildProcess>(std::vector<std::string> {TALLY_PROGRAM}, options);
    }

    // xdotool with a time-out that allows for a busy machine (its --sync
    // searches wait until the window shows).
    int Xdo(const std::vector<std::string>& args)
    {
        std::vector<std::string> argv {"xdotool"};
        argv.insert(argv.end(), args.begin(), args.end());
        return RunProgram(argv, rig->Environment(), 60s);
    }

    // Brings the visible window with exactly this title to the front and gives
    // it the keyboard.
    int Activate(const std::string& title)
    {
        return Xdo(
            {"search", "--sync", "--onlyvisible", "--name", "^" + title + "$", "windowactivate", "--sync", "%1"});
    }

    int Keys(const std::vector<std::string>& keys)
    {
        std::vector<std::string> args {"key", "--delay", "80"};
        args.insert(args.end(), keys.begin(), keys.end());
        return Xdo(args);
    }

    bool Visible(const std::string& title)
    {
        return Xdo({"search", "--onlyvisible", "--name", "^" + title + "$"}) == 0;
    }

    // The window the window manager reports as active, or 0.
    std::uint32_t ActiveWindow()
    {
        ChildProcess::Options options;
        options.Environment = rig->Environment();
        options.PipeStdout = true;
        ChildProcess xdotool({"xdotool", "getactivewindow"}, options);
        const auto line = xdotool.ReadLine(60s);
        return line ? static_cast<std::uint32_t>(std::stoul(*line)) : 0;
    }

    std::string Log() const
    {
        return std::filesystem::exists(dir.File("log.txt")) ? ReadFile(dir.File("log.txt")) : std::string();
    }

    bool LogHas(const std::string& text, std::chrono::milliseconds timeout = 60s) const
    {
        return XRig::WaitUntil([&] { return Log().find(text) != std::string::npos; }, timeout);
    }

    std::size_t Ticks() const { return Count(Log(), "Update-<"); }

    static std::size_t Count(const std::string& text, const std::string& what)
    {
        std::size_t n = 0;
        for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1)) {
            ++n;
        }
        return n;
    }

    TempDir dir;
    std::unique_ptr<XRig> rig;
    SystemClock wall;
    FakeClock clock;
    TBrisvaleLog quietLog {clock};
};

TEST_F(DialogTest, CaptionTimerPickedFromRunningWindowsCountsWhileItsWindowIsInFront)
{
    const std::string caption = "Quokka field notes";
    auto window = rig->StartWindow({"--title", caption});
    const TDateTime started = wall.Now();
    auto program = StartProgram();
    ASSERT_TRUE(LogHas("FirstLaunch"));

    ASSERT_TRUE(ClickNewTimerButton(*rig, [&] { return LogHas("actNewTimerExecute->", 20s); }));

    // The name field has the focus: on to the type buttons, down to
    // "Window caption", on through the identifier list to "Add".
    ASSERT_EQ(Activate("New timer"), 0);
    ASSERT_EQ(Keys({"Tab", "Down", "Down", "Tab", "Tab", "space"}), 0);

    // The picker lists the open windows; typing selects the line that starts
    // so, and Return takes it.
    ASSERT_EQ(Activate("Running applications"), 0);
    ASSERT_EQ(Xdo({"type", "--delay", "80", "Quokka"}), 0);
    ASSERT_EQ(Keys({"Return"}), 0);
    ASSERT_TRUE(XRig::WaitUntil([&] { return !Visible("Running applications"); }, 60s));

    // Back on "Add": past "Remove" to "Ok".
    ASSERT_EQ(Activate("New timer"), 0);
    ASSERT_EQ(Keys({"Tab", "Tab", "space"}), 0);
    ASSERT_TRUE(LogHas("FormNewTimerRelease-<"));
    EXPECT_NE(Log().find(" " + caption + "\r\n"), std::string::npos);

    ASSERT_EQ(Xdo({"windowactivate", "--sync", std::to_string(window->Id())}), 0);
    const TDateTime inFront = wall.Now();
    const std::size_t ticks = Ticks();
    ASSERT_TRUE(XRig::WaitUntil([&] { return Ticks() >= ticks + 5; }, 60s));
    EXPECT_EQ(ActiveWindow(), window->Id());
    ::kill(program->Pid(), SIGTERM);
    ASSERT_EQ(program->Wait(60s), 0);
    // The periods are counted up to the shutdown itself.
    const TDateTime stopped = wall.Now();

    TimeModel model;
    DataFile data(model, quietLog, clock, SystemFiles(), DataFilePaths::InDirectory(dir.Path()));
    ASSERT_EQ(data.Load(data.Paths().DataFile).State, LoadResult::Status::Loaded);
    ASSERT_EQ(model.Timers.Count(), 1u);
    const TMyTimer& timer = model.Timers[0];
    EXPECT_EQ(timer.Name, caption);
    EXPECT_EQ(timer.TimerType, ttCaption);
    EXPECT_EQ(timer.Identifiers, std::vector<std::string> {caption});
    EXPECT_EQ(timer.WindowScope, scMainOnly);
    EXPECT_TRUE(timer.Enabled);
    EXPECT_GE(timer.CreationDate, started);
    EXPECT_LE(timer.CreationDate, inFront);

    // Every period is closed, lies between the timer's creation and the end,
    // in order; the active ones add up to the active time, which grew while
    // the window was in front.
    EXPECT_EQ(timer.ActiveStart, kNoPeriod);
    EXPECT_EQ(timer.BackgroundStart, kNoPeriod);
    ASSERT_GE(timer.ActivePeriods.Count(), 1u);
    auto checkTimeline = [&](const PeriodList& periods) {
        TDateTime previous = timer.CreationDate;
        for (const TWorkPeriod& p : periods) {
            EXPECT_LE(previous, p.Start);
            EXPECT_LE(p.Start, p.Stop);
            previous = p.Stop;
        }
        EXPECT_LE(previous, stopped);
    };
    checkTimeline(timer.ActivePeriods);
    checkTimeline(timer.BackgroundPeriods);
    TDateTime sum = 0.0;
    for (const TWorkPeriod& p : timer.ActivePeriods) {
        sum += p.Stop - p.Start;
        // Active and background never overlap; a switch between them may
        // start one where the other ended.
        for (const TWorkPeriod& b : timer.BackgroundPeriods) {
            EXPECT_TRUE(b.Stop <= p.Start || p.Stop <= b.Start);
        }
    }
    EXPECT_NEAR(sum, timer.ActiveTime, kOneSecond / 100);
    EXPECT_GE(timer.ActiveTime, 2 * kOneSecond);
    EXPECT_LE(timer.ActiveTime, stopped - timer.CreationDate);
    EXPECT_GE(timer.ActivePeriods.Last().Stop, inFront);
}

} // namespace
} // namespace tally::test
