#include "model/time_model.h"
#include "platform/fake/fake_clock.h"
#include "platform/system/posix_file_system.h"
#include "platform/wayland/wayland_desktop.h"
#include "program_fixture.h"
#include "runlog/brisvale_log.h"
#include "storage/data_file.h"
#include "support/temp_dir.h"
#include "user_session.h"
#include "x11_rig.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <poll.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace tally::test {
namespace {

using namespace std::chrono_literals;

constexpr double kSecondsPerDay = 86400.0; // stored times are in days

const char* const kWindowsNotice = "This desktop does not let Tallyhour Zide see other programs' windows";

// The real program on a headless Wayland compositor of its own, with no X
// server anywhere: it must start, count what needs no window and say which
// timers this desktop keeps from counting.
class WaylandProgramTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (std::system("command -v weston >/dev/null") != 0) {
            GTEST_SKIP() << "weston is not installed";
        }
        std::filesystem::create_directories(Runtime());
        std::filesystem::permissions(Runtime(), std::filesystem::perms::owner_all);
        socket = "tally-e2e-" + std::to_string(::getpid());
        ChildProcess::Options options;
        options.Environment = {"XDG_RUNTIME_DIR=" + Runtime(), "DISPLAY=", "WAYLAND_DISPLAY="};
        options.Quiet = true;
        compositor = std::make_unique<ChildProcess>(
            std::vector<std::string> {"weston", "--backend=headless-backend.so", "--socket=" + socket, "--idle-time=0"},
            options);
        ASSERT_TRUE(XRig::WaitUntil([&] { return std::filesystem::exists(Runtime() + "/" + socket); }, 20s))
            << "the compositor did not open its socket";
    }

    std::string Runtime() const { return dir.File("run"); }

    std::unique_ptr<ChildProcess> StartProgram() const
    {
        ChildProcess::Options options;
        options.Environment = {"DISPLAY=",
                               "WAYLAND_DISPLAY=" + socket,
                               "XDG_SESSION_TYPE=wayland",
                               "XDG_RUNTIME_DIR=" + Runtime(),
                               "QT_QPA_PLATFORM=wayland",
                               kWaylandNoDecorations,
                               "TALLYHOUR_DATA_DIR=" + dir.Path().string(),
                               "XDG_CONFIG_HOME=" + dir.File("config"),
                               "DBUS_SESSION_BUS_ADDRESS=unix:path=" + dir.File("no-bus"),
                               "TALLYHOUR_PROBE_URL=http://127.0.0.1:9/"};
        options.Quiet = true;
        return std::make_unique<ChildProcess>(std::vector<std::string> {TALLY_PROGRAM}, options);
    }

    std::string Log() const
    {
        return std::filesystem::exists(dir.File("log.txt")) ? ReadFile(dir.File("log.txt")) : std::string();
    }

    DataFile Data(TimeModel& model) const
    {
        return DataFile(model, quietLog, clock, SystemFiles(), DataFilePaths::InDirectory(dir.Path()));
    }

    TempDir dir;
    std::string socket;
    std::unique_ptr<ChildProcess> compositor;
    FakeClock clock;
    mutable TBrisvaleLog quietLog {clock};
};

TEST_F(WaylandProgramTest, StartsCountsManualTimeAndTellsWhatItCannotSee)
{
    {
        TimeModel model;
        TMyTimer& manual = model.Timers.Create();
        manual.Name = "Manual";
        manual.TimerType = ttManual;
        manual.SetEnabled(true);
        TMyTimer& caption = model.Timers.Create();
        caption.Name = "Caption";
        caption.TimerType = ttCaption;
        caption.Identifiers = {"Editor"};
        caption.SetEnabled(true);
        DataFile data = Data(model);
        data.Save(data.Paths().DataFile);
    }
    // The first start: the window opens, and the tick keeps its one-second pace.
    WriteFile(dir.File("tallyhourlite.ini"),
              "[main]\nLogActive=1\nLogDetail=0\nSplashOn=0\nAutoRun=0\nFirstLaunch=1\n");

    auto program = StartProgram();
    ASSERT_TRUE(XRig::WaitUntil([&] { return Log().find("actOpenExecute->") != std::string::npos; }, 30s))
        << "no window opened; run log:\n"
        << Log();
    const std::string log = Log();
    // weston offers neither a window list nor idle notices to its clients.
    EXPECT_NE(log.find("windows from none, idle time from none; not seen: windows, keystrokes, idle time"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find(std::string("Notice, Caption: ") + kWindowsNotice), std::string::npos) << log;
    EXPECT_EQ(log.find("Notice, Manual"), std::string::npos) << log;

    // A few ticks' worth, on the one-second pace of an open window.
    std::this_thread::sleep_for(3s);
    ::kill(program->Pid(), SIGTERM);
    EXPECT_EQ(program->Wait(30s), 0);

    TimeModel model;
    DataFile data = Data(model);
    ASSERT_EQ(data.Load(data.Paths().DataFile).State, LoadResult::Status::Loaded);
    ASSERT_EQ(model.Timers.Count(), 2u);
    EXPECT_GT(model.Timers[0].ActivePeriods.Count(), 0u) << "the manual timer counted";
    EXPECT_GT(model.Timers[0].ActiveTime, 0.0);
    EXPECT_EQ(model.Timers[1].ActiveTime, 0.0) << "no window is seen, so the caption timer never counts";
    EXPECT_EQ(model.Timers[1].BackgroundTime, 0.0);
}

// The real program inside a headless sway, all of it run as an unprivileged
// user (the compositor refuses root): windows of native and X programs are
// seen with their processes, focus and title changes count at once, and the
// compositor's idle notice gives the idle time.
class SwayProgramTest : public UserSessionTest
{
protected:
    SwayProgramTest()
        : UserSessionTest("", {})
    { }

    void SetUp() override
    {
        if (std::system("command -v sway >/dev/null && command -v foot >/dev/null") != 0) {
            GTEST_SKIP() << "sway or foot is not installed";
        }
        std::filesystem::create_directories(Runtime());
        WriteFile(dir.File("sway.conf"),
                  "exec sh -c 'printf %s \"$WAYLAND_DISPLAY\" >" + dir.File("wd") + "; printf %s \"$SWAYSOCK\" >"
                      + dir.File("ss") + "; printf %s \"$DISPLAY\" >" + dir.File("xd") + "'\n");
        Own();
        compositor = std::make_unique<ChildProcess>(AsUser({"sway", "-c", dir.File("sway.conf")}),
                                                    Quiet({"WLR_BACKENDS=headless", "WLR_LIBINPUT_NO_DEVICES=1"}));
        const bool up = XRig::WaitUntil(
            [&] {
                return std::filesystem::exists(dir.File("xd")) && !ReadFile(dir.File("xd")).empty()
                       && !ReadFile(dir.File("ss")).empty();
            },
            20s);
        if (!up) {
            GTEST_SKIP() << "headless sway did not start here";
        }
        // sway takes its socket's path from SWAYSOCK when set, even when
        // empty: its clients get it only now.
        SetSocket(ReadFile(dir.File("wd")), {"SWAYSOCK=" + ReadFile(dir.File("ss"))});
        xDisplay = ReadFile(dir.File("xd"));
    }

    void TearDown() override
    {
        for (auto* child : {xWindow.get(), foot.get()}) {
            if (child != nullptr) {
                child->Stop();
            }
        }
        UserSessionTest::TearDown();
    }

    std::unique_ptr<ChildProcess>
    Start(const std::vector<std::string>& argv, std::vector<std::string> env = {}, bool pipeStdin = false) const
    {
        ChildProcess::Options options = Quiet(std::move(env));
        options.PipeStdin = pipeStdin;
        return std::make_unique<ChildProcess>(AsUser(argv), options);
    }

    std::string Tree() const { return RunCapturing(AsUser({"swaymsg", "-t", "get_tree"}), Environment({}), 10s).Out; }

    // Waits until sway lists a window of the process, as the program sees it.
    bool Listed(const ChildProcess& child) const
    {
        const std::string pid = "\"pid\": " + std::to_string(child.Pid());
        return XRig::WaitUntil([&] { return Tree().find(pid) != std::string::npos; }, 20s);
    }

    void Focus(const ChildProcess& child) const
    {
        const auto run
            = RunCapturing(AsUser({"swaymsg", "[pid=" + std::to_string(child.Pid()) + "] focus"}), Environment({}));
        ASSERT_EQ(run.Status, 0) << run.Out << run.Err;
    }

    std::string xDisplay;
    std::unique_ptr<ChildProcess> foot;
    std::unique_ptr<ChildProcess> xWindow;
};

TEST_F(SwayProgramTest, CountsNativeAndXWindowsAsTheFocusAndTitlesMove)
{
    SaveTimers({{"Terminal", ttApplication, "foot"},
                {"X program", ttApplication, "tally-test-window"},
                {"Editor", ttCaption, "Editor"}});
    ASSERT_NO_FATAL_FAILURE(StartProgram("IdleInterval=3600\n"));
    EXPECT_NE(Log().find("windows from sway IPC, idle time from KDE idle; not seen: keystrokes"), std::string::npos)
        << Log();
    EXPECT_EQ(Log().find("Notice, Terminal"), std::string::npos) << Log();
    EXPECT_EQ(Log().find("Notice, Editor"), std::string::npos) << Log();

    foot = Start({"foot", "-a", "tally-terminal", "-T", "Terminal", "sleep", "600"});
    ASSERT_TRUE(Listed(*foot));
    const auto footShown = Clock::now(); // a new window takes the focus
    xWindow = Start({TALLY_TEST_WINDOW, "--title", "Editor One"}, {"DISPLAY=" + xDisplay}, true);
    ASSERT_TRUE(Listed(*xWindow)) << "the X window is not listed with its process";
    const auto xShown = Clock::now();
    std::this_thread::sleep_for(4s);
    xWindow->WriteLine("title Shell Two");
    const auto renamed = Clock::now();
#ifdef TALLY_WINDOWS_TOOL
    // The census tool sees what the program sees, and names the source.
    const auto listing = RunCapturing(AsUser({TALLY_WINDOWS_TOOL}), Environment({}), 20s);
    EXPECT_EQ(listing.Status, 0) << listing.Err;
    EXPECT_NE(listing.Out.find("Window source: sway IPC"), std::string::npos) << listing.Out;
    EXPECT_NE(listing.Out.find("Foreground window: "), std::string::npos) << listing.Out;
    EXPECT_NE(listing.Out.find("tally-test-window"), std::string::npos) << listing.Out;
    EXPECT_NE(listing.Out.find(" foot "), std::string::npos) << listing.Out;
#endif
    std::this_thread::sleep_for(4s);
    ASSERT_NO_FATAL_FAILURE(Focus(*foot));
    const auto footFocused = Clock::now();
    std::this_thread::sleep_for(4s);
    const auto ended = Clock::now();

    TimeModel model;
    ASSERT_NO_FATAL_FAILURE(EndProgram(model));
    ASSERT_EQ(model.Timers.Count(), 3u);
    const TMyTimer& terminal = model.Timers[0];
    const TMyTimer& xProgram = model.Timers[1];
    const TMyTimer& editorTimer = model.Timers[2];
    EXPECT_NEAR(terminal.ActiveTime * kSecondsPerDay, Seconds(xShown - footShown) + Seconds(ended - footFocused), 2.0);
    EXPECT_NEAR(terminal.BackgroundTime * kSecondsPerDay, Seconds(footFocused - xShown), 2.0);
    EXPECT_NEAR(xProgram.ActiveTime * kSecondsPerDay, Seconds(footFocused - xShown), 2.0);
    EXPECT_NEAR(xProgram.BackgroundTime * kSecondsPerDay, Seconds(ended - footFocused), 2.0);
    EXPECT_NEAR(editorTimer.ActiveTime * kSecondsPerDay, Seconds(renamed - xShown), 2.0)
        << "the rename ends the caption's time";
    EXPECT_NEAR(editorTimer.BackgroundTime * kSecondsPerDay, 0.0, 2.0);
}

TEST_F(SwayProgramTest, IdleTimeCountsFromTheCompositorsNotice)
{
    SaveTimers({{"Away", ttIdleTime, ""}});
    const auto started = Clock::now();
    // No input device at all: the compositor calls the seat idle once its
    // timeout (5 s) has passed since the program connected, and the idle time
    // counts from the last input, before the notice.
    ASSERT_NO_FATAL_FAILURE(StartProgram("IdleInterval=2\n"));
    const auto opened = Clock::now(); // connected before its window opened
    std::this_thread::sleep_for(10s);
    const auto ended = Clock::now();
    TimeModel model;
    ASSERT_NO_FATAL_FAILURE(EndProgram(model));
    ASSERT_EQ(model.Timers.Count(), 1u);
    const double idle = model.Timers[0].ActiveTime * kSecondsPerDay;
    EXPECT_GT(idle, Seconds(ended - opened) - 5.0 - 1.5) << Log();
    EXPECT_LT(idle, Seconds(ended - started) - 2.0 + 1.0);
}

TEST_F(SwayProgramTest, BackendListsProtocolWindowsAndOutlivesTheCompositor)
{
    foot = Start({"foot", "-a", "foot", "-T", "Terminal", "sleep", "600"});
    ASSERT_TRUE(Listed(*foot));
    // Without sway's socket the backend falls back to the protocol's list,
    // which names no process: the app id leads to the running program.
    WaylandDesktopOptions options;
    options.DisplayName = Runtime() + "/" + Socket();
    WaylandDesktop desk(nullptr, std::move(options));
    EXPECT_EQ(desk.WindowSourceName(), "wlr foreign toplevel");
    const auto windows = desk.Census(true);
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows[0].Window.Caption, "Terminal");
    EXPECT_EQ(windows[0].Window.ProcessName, "foot");
    EXPECT_EQ(desk.GetForegroundWindow(), windows[0].Window.Handle);

    compositor->Stop();
    ASSERT_EQ(desk.EventDescriptors().size(), 1u);
    pollfd p {desk.EventDescriptors()[0], POLLIN, 0};
    // The closing windows come first, then the end of the connection.
    bool told = false;
    for (int wakeups = 0; wakeups < 50 && !told && ::poll(&p, 1, 10000) == 1; ++wakeups) {
        try {
            desk.DispatchEvents();
        } catch (const std::runtime_error&) {
            told = true;
        }
    }
    ASSERT_TRUE(told) << "the compositor's end is told";
    EXPECT_EQ(::poll(&p, 1, 200), 0) << "nothing left to wake the event loop";
    EXPECT_TRUE(desk.Census(true).empty());
    EXPECT_EQ(desk.GetForegroundWindow(), 0u);
    EXPECT_EQ(desk.IdleSeconds(), 0u);
}

} // namespace
} // namespace tally::test
