#include "user_session.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>
#include <vector>

namespace tally::test {
namespace {

constexpr const char* kUuid = "tallyhour-zide@tallyhour.org";

// The real program inside a headless GNOME Shell that runs our extension
// from the user's own extensions folder, in a session of its own.
class GnomeProgramTest : public UserSessionTest
{
protected:
    GnomeProgramTest()
        : UserSessionTest("tally-gnome", {"XDG_CURRENT_DESKTOP=GNOME"})
    { }

    void StartShell(bool enabled)
    {
        if (!std::filesystem::exists("/usr/bin/gnome-shell") || !HasDbusmock()) {
            GTEST_SKIP() << "gnome-shell or python3-dbusmock is not installed";
        }
        std::filesystem::create_directories(Runtime());
        const std::filesystem::path extensions = dir.File("share") + "/gnome-shell/extensions";
        std::filesystem::create_directories(extensions);
        // The user's session without the overview and the welcome tour it
        // opens at the start, which would keep the focus from every window
        // (GNOME Shell reads modes from the system's data folders only).
        std::filesystem::create_directories(dir.File("modes") + "/gnome-shell/modes");
        WriteFile(dir.File("modes") + "/gnome-shell/modes/tally-test.json",
                  "{\"parentMode\": \"user\", \"hasOverview\": false, \"showWelcomeDialog\": false}\n");
        std::filesystem::copy(std::string(TALLY_GNOME_EXTENSION) + "/" + kUuid,
                              extensions / kUuid,
                              std::filesystem::copy_options::recursive);
        ASSERT_NO_FATAL_FAILURE(StartBuses());
        const std::string list = enabled ? "['" + std::string(kUuid) + "']" : "[]";
        ASSERT_EQ(RunCapturing(
                      AsUser({"gsettings", "set", "org.gnome.shell", "enabled-extensions", list}), Environment({}), 30s)
                      .Status,
                  0);
        // No X layer: the Wayland clients are all the test needs.
        const ChildProcess::Options shell
            = Quiet({"XDG_DATA_DIRS=" + dir.File("modes") + ":/usr/local/share:/usr/share"});
        compositor = std::make_unique<ChildProcess>(AsUser({"/usr/bin/gnome-shell",
                                                            "--headless",
                                                            "--wayland",
                                                            "--no-x11",
                                                            "--mode=tally-test",
                                                            "--virtual-monitor",
                                                            "1280x800",
                                                            "--wayland-display",
                                                            Socket()}),
                                                    shell);
        // Up once it has dealt with our extension, which comes after its
        // idle monitor and its panel.
        // (1: enabled; 6: found, never enabled.)
        const std::string wanted = enabled ? "\"state\" d 1 " : "\"state\" d 6 ";
        if (!XRig::WaitUntil([&] { return Shell("GetExtensionInfo").find(wanted) != std::string::npos; }, 90s)) {
            FAIL() << "GNOME Shell did not load the extension; it says: " << Shell("GetExtensionInfo");
        }
        // What the extension pushes to the program, read as it goes.
        ChildProcess::Options piped = Quiet();
        piped.PipeStdout = true;
        monitor = std::make_unique<ChildProcess>(
            AsUser({"dbus-monitor",
                    "--address",
                    sessionBus,
                    "type='method_call',interface='org.tallyhour.Zide.WindowFeed',member='Push'"}),
            piped);
    }

    // Waits until the extension has told the program that the window with
    // this caption has the focus (or, with `focused` false, that it exists).
    void WaitForFocus(const std::string& caption, bool focused = true)
    {
        const auto deadline = Clock::now() + 60s;
        std::string seen = "nothing";
        while (Clock::now() < deadline) {
            const auto line
                = monitor->ReadLine(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()));
            if (!line) {
                break;
            }
            if (!focused && line->find("\"caption\":\"" + caption + "\"") != std::string::npos) {
                return;
            }
            std::smatch active;
            if (!std::regex_search(*line, active, std::regex("\"active\":\"([0-9]*)\""))) {
                continue;
            }
            std::smatch found;
            const std::regex window("\\{\"id\":\"" + active[1].str() + "\",\"caption\":\"([^\"]*)\"");
            seen = std::regex_search(*line, found, window) ? found[1].str() : "no window";
            if (seen == caption && focused) {
                return;
            }
        }
        FAIL() << "the extension never told the focus on " << caption << "; last it told " << seen;
    }

    void TearDown() override
    {
        if (monitor) {
            monitor->Stop();
        }
        UserSessionTest::TearDown();
    }

    std::string Shell(const std::string& method) const
    {
        return RunCapturing(AsUser({"busctl",
                                    "--address=" + sessionBus,
                                    "call",
                                    "org.gnome.Shell",
                                    "/org/gnome/Shell",
                                    "org.gnome.Shell.Extensions",
                                    method,
                                    "s",
                                    kUuid}),
                            Environment({}),
                            10s)
            .Out;
    }

    std::unique_ptr<ChildProcess> monitor; // dbus-monitor on the extension's pushes
};

TEST_F(GnomeProgramTest, CountsWindowsFromTheExtensionAsTheFocusAndTitlesMove)
{
    ASSERT_NO_FATAL_FAILURE(StartShell(true));
    SaveTimers({{"Test program", ttApplication, "tally-wayland-window"},
                {"Editor", ttCaption, "Editor"},
                {"Other", ttCaption, "Other"}});
    ASSERT_NO_FATAL_FAILURE(StartProgram("IdleInterval=3600\n"));
    EXPECT_NE(
        Log().find("windows from GNOME Shell extension, idle time from Mutter idle monitor; not seen: keystrokes; "
                   "GNOME Shell 43"),
        std::string::npos)
        << Log();

    // The program's own window comes first (no tray here); then each new
    // window takes the focus.
    ASSERT_NO_FATAL_FAILURE(WaitForFocus("Tallyhour Zide"));
    Show(editor, "Editor One");
    ASSERT_NO_FATAL_FAILURE(WaitForFocus("Editor One"));
    const auto editorShown = Clock::now();
    std::this_thread::sleep_for(4s);
    Show(other, "Other");
    ASSERT_NO_FATAL_FAILURE(WaitForFocus("Other"));
    const auto otherShown = Clock::now();
    std::this_thread::sleep_for(4s);
    editor->WriteLine("title Notes One");
    const auto renamed = Clock::now();
    std::this_thread::sleep_for(2s);
    const auto otherClosed = Clock::now();
    other->Stop(); // the focus goes back to the editor
    ASSERT_NO_FATAL_FAILURE(WaitForFocus("Notes One"));
    std::this_thread::sleep_for(4s);
    const auto ended = Clock::now();

    TimeModel model;
    ASSERT_NO_FATAL_FAILURE(EndProgram(model));
    ASSERT_EQ(model.Timers.Count(), 3u);
    const TMyTimer& app = model.Timers[0];
    const TMyTimer& editorTimer = model.Timers[1];
    const TMyTimer& otherTimer = model.Timers[2];
    EXPECT_NEAR(app.ActiveTime * kSecondsPerDay, Seconds(ended - editorShown), 2.0);
    EXPECT_NEAR(editorTimer.ActiveTime * kSecondsPerDay, Seconds(otherShown - editorShown), 2.0);
    EXPECT_NEAR(editorTimer.BackgroundTime * kSecondsPerDay, Seconds(renamed - otherShown), 2.0)
        << "the rename ends the caption's time";
    EXPECT_NEAR(otherTimer.ActiveTime * kSecondsPerDay, Seconds(otherClosed - otherShown), 2.0)
        << "closing the window ends its time";
    EXPECT_NEAR(otherTimer.BackgroundTime * kSecondsPerDay, 0.0, 1.0);
}

TEST_F(GnomeProgramTest, IdleTimeComesFromMutterAndAnExtensionEnabledLaterFeedsTheProgram)
{
    ASSERT_NO_FATAL_FAILURE(StartShell(false));
    SaveTimers({{"Away", ttIdleTime, ""}, {"Editor", ttCaption, "Editor"}});
    // No input device: the headless shell's idle time grows from its start,
    // long past the program's 2 s by the time it opens, so the idle timer
    // counts from the program's first ticks (the reading of one tick
    // starts the timer at the next), somewhere before its window.
    const auto started = Clock::now();
    ASSERT_NO_FATAL_FAILURE(StartProgram("IdleInterval=2\n"));
    const auto opened = Clock::now();
    EXPECT_NE(Log().find("idle time from Mutter idle monitor"), std::string::npos) << Log();
    EXPECT_NE(Log().find("is not enabled: enable it"), std::string::npos) << Log();
    // Enabled as the program's offer does: GNOME Shell starts it at once,
    // and the running program takes its lists (a caption counts as
    // background while the user is idle, whether focused or not: the
    // program's offer to enable the extension may hold the focus).
    ASSERT_EQ(Shell("EnableExtension").rfind("b true", 0), 0u) << Shell("EnableExtension");
    Show(editor, "Editor One");
    ASSERT_NO_FATAL_FAILURE(WaitForFocus("Editor One", false));
    const auto editorSeen = Clock::now();
    std::this_thread::sleep_for(6s);
    const auto ended = Clock::now();
    TimeModel model;
    ASSERT_NO_FATAL_FAILURE(EndProgram(model));
    ASSERT_EQ(model.Timers.Count(), 2u);
    const double idle = model.Timers[0].ActiveTime * kSecondsPerDay;
    EXPECT_GT(idle, Seconds(ended - opened) - 3.0) << Log();
    EXPECT_LT(idle, Seconds(ended - started) + 1.0) << Log();
    EXPECT_NEAR(model.Timers[1].BackgroundTime * kSecondsPerDay, Seconds(ended - editorSeen), 2.0);
}

} // namespace
} // namespace tally::test
