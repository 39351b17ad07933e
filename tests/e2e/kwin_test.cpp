#include "model/time_model.h"
#include "platform/fake/fake_clock.h"
#include "platform/system/posix_file_system.h"
#include "program_fixture.h"
#include "runlog/brisvale_log.h"
#include "storage/data_file.h"
#include "support/temp_dir.h"
#include "x11_rig.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace tally::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr double kSecondsPerDay = 86400.0; // stored times are in days

// The real program inside a virtual KWin with buses of its own (a private
// system bus with a mock logind), all run as an unprivileged user.
// KWin runs from a copy: the installed binary carries a file capability
// that an unprivileged start is refused for.
class KwinProgramTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!std::filesystem::exists("/usr/bin/kwin_wayland")
            || std::system("/usr/bin/python3 -c 'import dbusmock' 2>/dev/null") != 0) {
            GTEST_SKIP() << "kwin_wayland or python3-dbusmock is not installed";
        }
        std::filesystem::create_directories(Runtime());
        std::filesystem::copy_file("/usr/bin/kwin_wayland", dir.File("kwin_wayland"));
        sessionBus = "unix:path=" + dir.File("session");
        Own();
        ChildProcess::Options quiet;
        quiet.Quiet = true;
        quiet.Environment = Environment({});
        for (const char* bus : {"system", "session"}) {
            buses.push_back(std::make_unique<ChildProcess>(
                AsUser({"dbus-daemon", "--session", "--nofork", "--address=unix:path=" + dir.File(bus)}), quiet));
            ASSERT_TRUE(XRig::WaitUntil([&] { return std::filesystem::exists(dir.File(bus)); }, 10s));
        }
        logind = std::make_unique<ChildProcess>(AsUser({"/usr/bin/python3", "-m", "dbusmock", "--template", "logind"}),
                                                quiet);
        compositor = std::make_unique<ChildProcess>(AsUser({dir.File("kwin_wayland"),
                                                            "--virtual",
                                                            "--width",
                                                            "1280",
                                                            "--height",
                                                            "800",
                                                            "--socket",
                                                            kSocket,
                                                            "--no-lockscreen",
                                                            "--no-global-shortcuts",
                                                            "--no-kactivities"}),
                                                    quiet);
        // Up once its scripting answers on the bus.
        if (!XRig::WaitUntil([&] { return Kwin("isScriptLoaded", "s", {"none"}).starts_with("b "); }, 30s)) {
            GTEST_SKIP() << "the virtual KWin did not start here";
        }
    }

    void TearDown() override
    {
        for (auto* child : {program.get(), editor.get(), shell.get(), compositor.get(), logind.get()}) {
            if (child != nullptr) {
                child->Stop();
            }
        }
        for (auto& bus : buses) {
            bus->Stop();
        }
    }

    static constexpr const char* kSocket = "tally-kwin";
    std::string Runtime() const { return dir.File("run"); }

    void Own() const
    {
        ASSERT_EQ(std::system(("chown -R 65534:65534 " + dir.Path().string() + " && chmod 700 " + Runtime()).c_str()),
                  0);
    }

    static std::vector<std::string> AsUser(std::vector<std::string> argv)
    {
        argv.insert(argv.begin(), {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
        return argv;
    }

    std::vector<std::string> Environment(std::vector<std::string> more) const
    {
        std::vector<std::string> env {"XDG_RUNTIME_DIR=" + Runtime(),
                                      "HOME=" + dir.Path().string(),
                                      "DISPLAY=",
                                      "XDG_SESSION_TYPE=wayland",
                                      "XDG_CONFIG_HOME=" + dir.File("config"),
                                      "XDG_DATA_HOME=" + dir.File("share"),
                                      "DBUS_SYSTEM_BUS_ADDRESS=unix:path=" + dir.File("system"),
                                      "DBUS_SESSION_BUS_ADDRESS=" + sessionBus,
                                      "WAYLAND_DISPLAY=" + std::string(kSocket)};
        env.insert(env.end(), more.begin(), more.end());
        return env;
    }

    std::unique_ptr<ChildProcess> Start(const std::vector<std::string>& argv, bool pipes = false) const
    {
        ChildProcess::Options options;
        options.Environment = Environment({"QT_QPA_PLATFORM=wayland"});
        options.Quiet = true;
        options.PipeStdin = pipes;
        options.PipeStdout = pipes;
        return std::make_unique<ChildProcess>(AsUser(argv), options);
    }

    // A window of our own; the time it came on screen.
    Clock::time_point Show(std::unique_ptr<ChildProcess>& window, const std::string& title)
    {
        window = Start({TALLY_WAYLAND_WINDOW, "--title", title, "--app-id", "tally-test"}, true);
        EXPECT_EQ(window->ReadLine(20s).value_or("nothing"), "shown");
        return Clock::now();
    }

    // Runs a script of the test's own in KWin, as the user's own would.
    std::string Kwin(const std::string& method, const std::string& types, const std::vector<std::string>& args) const
    {
        std::vector<std::string> argv = AsUser({"busctl", "--address=" + sessionBus, "call", "org.kde.KWin"});
        const bool scripting = method != "run";
        argv.insert(
            argv.end(),
            {scripting ? "/Scripting" : args[0], scripting ? "org.kde.kwin.Scripting" : "org.kde.kwin.Script", method});
        if (scripting) {
            argv.push_back(types);
            argv.insert(argv.end(), args.begin(), args.end());
        }
        return RunCapturing(argv, Environment({}), 10s).Out;
    }

    void FocusCaption(const std::string& caption)
    {
        const std::string file = dir.File("focus.js");
        WriteFile(
            file,
            "var six = typeof workspace.windowList === 'function';\n"
            "var all = six ? workspace.windowList() : workspace.clientList();\n"
            "for (var i = 0; i < all.length; ++i) {\n"
            "    if (all[i].caption === '"
                + caption
                + "') {\n"
                  "        if (six) { workspace.activeWindow = all[i]; } else { workspace.activeClient = all[i]; }\n"
                  "    }\n"
                  "}\n");
        Own();
        const std::string loaded = Kwin("loadScript", "ss", {file, "tally-test-focus"});
        ASSERT_EQ(loaded.rfind("i ", 0), 0u) << loaded;
        const std::string id = loaded.substr(2, loaded.find_first_not_of("0123456789", 2) - 2);
        // Plasma 5 keeps the script at /<id>, Plasma 6 under /Scripting.
        Kwin("run", "", {"/" + id});
        Kwin("run", "", {"/Scripting/Script" + id});
        Kwin("unloadScript", "s", {"tally-test-focus"});
    }

    void StartProgram(const std::string& settings)
    {
        WriteFile(dir.File("tallyhourlite.ini"),
                  "[main]\nLogActive=1\nLogDetail=0\nSplashOn=0\nAutoRun=0\nFirstLaunch=1\n" + settings);
        Own();
        ChildProcess::Options options;
        options.Environment = Environment({"QT_QPA_PLATFORM=wayland",
                                           kWaylandNoDecorations,
                                           "TALLYHOUR_DATA_DIR=" + dir.Path().string(),
                                           "TALLYHOUR_PROBE_URL=http://127.0.0.1:9/"});
        options.Quiet = true;
        program = std::make_unique<ChildProcess>(AsUser({TALLY_PROGRAM}), options);
        ASSERT_TRUE(XRig::WaitUntil([&] { return Log().find("actOpenExecute->") != std::string::npos; }, 30s))
            << "no window opened; run log:\n"
            << Log();
    }

    void SaveTimers(const std::vector<std::tuple<std::string, TimerType, std::string>>& timers)
    {
        TimeModel model;
        for (const auto& [name, type, identifier] : timers) {
            TMyTimer& timer = model.Timers.Create();
            timer.Name = name;
            timer.TimerType = type;
            if (!identifier.empty()) {
                timer.Identifiers = {identifier};
            }
            timer.SetEnabled(true);
        }
        DataFile data = Data(model);
        data.Save(data.Paths().DataFile);
    }

    std::string Log() const
    {
        return std::filesystem::exists(dir.File("log.txt")) ? ReadFile(dir.File("log.txt")) : std::string();
    }

    DataFile Data(TimeModel& model) const
    {
        return DataFile(model, quietLog, clock, SystemFiles(), DataFilePaths::InDirectory(dir.Path()));
    }

    void EndProgram(TimeModel& model)
    {
        ::kill(program->Pid(), SIGTERM);
        ASSERT_EQ(program->Wait(30s), 0);
        DataFile data = Data(model);
        ASSERT_EQ(data.Load(data.Paths().DataFile).State, LoadResult::Status::Loaded);
    }

    static double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

    TempDir dir;
    std::string sessionBus;
    std::vector<std::unique_ptr<ChildProcess>> buses; // the system bus and the session bus
    std::unique_ptr<ChildProcess> logind;
    std::unique_ptr<ChildProcess> compositor;
    std::unique_ptr<ChildProcess> program;
    std::unique_ptr<ChildProcess> editor;
    std::unique_ptr<ChildProcess> shell;
    FakeClock clock;
    mutable TBrisvaleLog quietLog {clock};
};

TEST_F(KwinProgramTest, CountsWindowsAsTheFocusAndTitlesMoveAndUnloadsItsScript)
{
    SaveTimers({{"Test program", ttApplication, "tally-wayland-window"},
                {"Editor", ttCaption, "Editor"},
                {"Shell", ttCaption, "Shell"}});
    ASSERT_NO_FATAL_FAILURE(StartProgram("IdleInterval=3600\n"));
    EXPECT_NE(Log().find("windows from KWin script, idle time from ext idle notify; not seen: keystrokes"),
              std::string::npos)
        << Log();
    EXPECT_NE(Kwin("isScriptLoaded", "s", {"tallyhour-zide-windows"}).find("b true"), std::string::npos);

    const auto editorShown = Show(editor, "Editor One"); // a new window takes the focus
    std::this_thread::sleep_for(4s);
    const auto shellShown = Show(shell, "Shell");
    std::this_thread::sleep_for(4s);
    editor->WriteLine("title Notes One");
    const auto renamed = Clock::now();
    std::this_thread::sleep_for(2s);
    ASSERT_NO_FATAL_FAILURE(FocusCaption("Notes One"));
    const auto editorFocused = Clock::now();
    std::this_thread::sleep_for(4s);
    const auto ended = Clock::now();

    TimeModel model;
    ASSERT_NO_FATAL_FAILURE(EndProgram(model));
    EXPECT_NE(Kwin("isScriptLoaded", "s", {"tallyhour-zide-windows"}).find("b false"), std::string::npos)
        << "the program's script is gone after its exit";
    ASSERT_EQ(model.Timers.Count(), 3u);
    const TMyTimer& app = model.Timers[0];
    const TMyTimer& editorTimer = model.Timers[1];
    const TMyTimer& shellTimer = model.Timers[2];
    EXPECT_NEAR(app.ActiveTime * kSecondsPerDay, Seconds(ended - editorShown), 2.0);
    EXPECT_NEAR(editorTimer.ActiveTime * kSecondsPerDay, Seconds(shellShown - editorShown), 2.0);
    EXPECT_NEAR(editorTimer.BackgroundTime * kSecondsPerDay, Seconds(renamed - shellShown), 2.0)
        << "the rename ends the caption's time";
    EXPECT_NEAR(shellTimer.ActiveTime * kSecondsPerDay, Seconds(editorFocused - shellShown), 2.0);
    EXPECT_NEAR(shellTimer.BackgroundTime * kSecondsPerDay, Seconds(ended - editorFocused), 2.0);
}

TEST_F(KwinProgramTest, IdleTimeCountsFromTheCompositorsNotice)
{
    SaveTimers({{"Away", ttIdleTime, ""}});
    const auto started = Clock::now();
    // No input device: KWin calls the seat idle once the program's timeout
    // (5 s) has passed since it connected.
    ASSERT_NO_FATAL_FAILURE(StartProgram("IdleInterval=2\n"));
    const auto opened = Clock::now();
    std::this_thread::sleep_for(10s);
    const auto ended = Clock::now();
    TimeModel model;
    ASSERT_NO_FATAL_FAILURE(EndProgram(model));
    ASSERT_EQ(model.Timers.Count(), 1u);
    const double idle = model.Timers[0].ActiveTime * kSecondsPerDay;
    EXPECT_GT(idle, Seconds(ended - opened) - 5.0 - 1.5) << Log();
    EXPECT_LT(idle, Seconds(ended - started) - 2.0 + 1.0);
}

} // namespace
} // namespace tally::test
