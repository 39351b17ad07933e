#include "user_session.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace tally::test {
namespace {

// The real program inside a virtual KWin, in a session of its own.
// KWin runs from a copy: the installed binary carries a file capability
// that an unprivileged start is refused for.
class KwinProgramTest : public UserSessionTest
{
protected:
    KwinProgramTest()
        : UserSessionTest("tally-kwin", {})
    { }

    void SetUp() override
    {
        if (!std::filesystem::exists("/usr/bin/kwin_wayland") || !HasDbusmock()) {
            GTEST_SKIP() << "kwin_wayland or python3-dbusmock is not installed";
        }
        std::filesystem::create_directories(Runtime());
        std::filesystem::copy_file("/usr/bin/kwin_wayland", dir.File("kwin_wayland"));
        ASSERT_NO_FATAL_FAILURE(StartBuses());
        compositor = std::make_unique<ChildProcess>(AsUser({dir.File("kwin_wayland"),
                                                            "--virtual",
                                                            "--width",
                                                            "1280",
                                                            "--height",
                                                            "800",
                                                            "--socket",
                                                            Socket(),
                                                            "--no-lockscreen",
                                                            "--no-global-shortcuts",
                                                            "--no-kactivities"}),
                                                    Quiet());
        // Up once its scripting answers on the bus.
        if (!XRig::WaitUntil([&] { return Kwin("isScriptLoaded", "s", {"none"}).starts_with("b "); }, 30s)) {
            GTEST_SKIP() << "the virtual KWin did not start here";
        }
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
    const auto shellShown = Show(other, "Shell");
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
