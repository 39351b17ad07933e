#include "model/datetime.h"
#include "model/time_model.h"
#include "platform/system/system_clock.h"
#include "program_fixture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <thread>

namespace tally::test {
namespace {

// The rig's screen.
constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 1024;

// A first week's windows, each looked at on the screen after the change
// that used to push it off or out of shape; the pictures stay in the build
// folder for a look by eye.
class FirstWeekTest : public ProgramTest
{
protected:
    void TearDown() override
    {
        if (HasFailure()) {
            std::cout << "---- run log ----\n" << Log() << "---- end of run log ----\n";
        }
    }

    std::optional<WindowInfo> Shown(const std::string& title, int width = 0, int height = 0)
    {
        for (const WindowInfo& w : rig->FindWindows(title)) {
            if (w.Viewable && w.Width > 64 && (width == 0 || w.Width == width) && (height == 0 || w.Height == height)) {
                return w;
            }
        }
        return std::nullopt;
    }

    WindowInfo WaitShown(const std::string& title, int width = 0, int height = 0)
    {
        std::optional<WindowInfo> found;
        XRig::WaitUntil([&] { return (found = Shown(title, width, height)).has_value(); }, 30s);
        EXPECT_TRUE(found) << title;
        return found.value_or(WindowInfo {});
    }

    static bool OnScreen(const WindowInfo& w)
    {
        return w.X >= 0 && w.Y >= 0 && w.X + w.Width <= kScreenWidth && w.Y + w.Height <= kScreenHeight;
    }

    std::string Shot(const std::string& name)
    {
        const auto artifacts = std::filesystem::path(TALLY_E2E_ARTIFACT_DIR);
        std::filesystem::create_directories(artifacts);
        const std::string file = (artifacts / ("first_week_" + name + ".png")).string();
        // A moment for the last change to paint.
        std::this_thread::sleep_for(600ms);
        EXPECT_EQ(rig->Screenshot(file), 0);
        return file;
    }

    // The mean brightness (0..255) of a part of a picture.
    double Brightness(const std::string& picture, int x, int y, int w, int h)
    {
        const std::string raw = dir.File("crop.gray");
        const std::string crop = N(w) + "x" + N(h) + "+" + N(x) + "+" + N(y);
        if (RunProgram({"convert", picture, "-crop", crop, "+repage", "-depth", "8", "gray:" + raw}, {}, 30s) != 0) {
            return -1;
        }
        std::ifstream in(raw, std::ios::binary);
        const std::string bytes {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        double sum = 0;
        for (const char c : bytes) {
            sum += static_cast<unsigned char>(c);
        }
        return bytes.empty() ? -1 : sum / static_cast<double>(bytes.size());
    }

    int Xdo(const std::vector<std::string>& args) { return rig->Xdotool(args); }

    int Keys(const std::string& window, const std::vector<std::string>& keys)
    {
        Xdo({"search", "--sync", "--onlyvisible", "--name", "^" + window + "$", "windowactivate", "--sync", "%1"});
        std::vector<std::string> args {"key", "--delay", "120"};
        args.insert(args.end(), keys.begin(), keys.end());
        return Xdo(args);
    }

    int Click(int x, int y) { return Xdo({"mousemove", N(x), N(y), "sleep", "0.2", "click", "1"}); }

    // Moves the main window; its move snaps it and docks the side windows.
    WindowInfo MoveMain(int x, int y)
    {
        Xdo({"windowmove", N(MainWindow()->Id), N(x), N(y)});
        std::optional<WindowInfo> moved;
        XRig::WaitUntil(
            [&] {
                moved = MainWindow();
                return moved && std::abs(moved->X - x) <= 40 && std::abs(moved->Y - y) <= 40;
            },
            20s);
        std::this_thread::sleep_for(500ms);
        return *MainWindow();
    }

    static std::string N(int v) { return std::to_string(v); }
};

TEST_F(FirstWeekTest, WindowsStayOnScreenAndFitTheirContent)
{
    const std::string longName(64, 'W');
    {
        SystemClock wall;
        const TDateTime now = wall.Read().Now;
        const TDateTime today = static_cast<TDateTime>(DayOf(now));
        TimeModel model;
        TMyTimer& manual = model.Timers.Create();
        manual.Name = longName;
        manual.TimerType = ttManual;
        TMyTimer& editor = model.Timers.Create();
        editor.Name = "Code editor";
        editor.TimerType = ttApplication;
        editor.Identifiers = {"editor"};
        // Active time every day, background time on some: a zero-height
        // bar beside a tall one, and a mark for today at the right edge.
        for (int back = 0; back <= 12; ++back) {
            const TDateTime start = today - back + 9 * kOneHour;
            editor.ActivePeriods.Add(start, start + (20 + back * 7) * kOneMinute);
            editor.ActiveTime += (20 + back * 7) * kOneMinute;
            if (back % 3 == 0) {
                editor.BackgroundPeriods.Add(start + 5 * kOneHour, start + 5 * kOneHour + 90 * kOneMinute);
                editor.BackgroundTime += 90 * kOneMinute;
            }
        }
        // Enough timers for the list to scroll.
        for (int i = 0; i < 24; ++i) {
            model.Timers.Create().Name = "Timer " + std::to_string(i + 1);
        }
        TTimeProject& home = model.Projects.Create();
        home.Id = 1;
        home.Name = "Home";
        TTimeProject& office = model.Projects.Create();
        office.Id = 2;
        office.Name = "Office";
        SaveData(model);
    }
    WriteSettings("FirstLaunch=1\nProjectsVisible=1\nStatVisible=1\nPrjIdCounter=2\n[Statistic]\nStatPage=1\n"
                  "ScaleX=99\nShowMarks=1\n");
    auto program = StartProgram();
    ASSERT_TRUE(XRig::WaitUntil([&] { return MainWindow() && Shown("Projects") && Shown("Statistic"); }, 40s));
    WindowInfo main = *MainWindow();

    // 10: the timer list's scroll bar is dark like the panel (the list ends
    // at x 441 of the skin, the bar takes its right 10 pixels).
    {
        // Above where the hint of a pointer left over the list would show.
        ASSERT_EQ(Xdo({"mousemove", "5", "5", "sleep", "1.5"}), 0);
        const std::string shot = Shot("10_scroll_bar");
        const double bar = Brightness(shot, main.X + 441 - 10, main.Y + 96, 10, 60);
        EXPECT_GE(bar, 0);
        EXPECT_LT(bar, 100) << "see " << shot;
    }

    // 7: snapped to the left edge, the projects window docks on the right,
    // past the statistics window; snapped to the right edge, the statistics
    // window docks on the left, past the projects window.
    main = MoveMain(5, 300);
    EXPECT_EQ(main.X, 0);
    {
        const WindowInfo stat = WaitShown("Statistic", 350, 232);
        const WindowInfo projects = WaitShown("Projects");
        EXPECT_TRUE(OnScreen(projects));
        EXPECT_EQ(stat.X, main.X + main.Width);
        EXPECT_EQ(projects.X, stat.X + stat.Width);
        Shot("07_docked_left");
    }
    main = MoveMain(kScreenWidth - main.Width - 5, 300);
    EXPECT_EQ(main.X + main.Width, kScreenWidth);
    {
        const WindowInfo stat = WaitShown("Statistic", 350, 232);
        const WindowInfo projects = WaitShown("Projects");
        EXPECT_TRUE(OnScreen(stat));
        EXPECT_EQ(projects.X + projects.Width, main.X);
        EXPECT_EQ(stat.X + stat.Width, projects.X);
        Shot("07_docked_right");
    }

    // 3: the long name's caption is elided; the window keeps its home size.
    // The list's cells are 100 x 78, four to a row.
    std::size_t captions = Count(Log(), "FillCaptInfo");
    ASSERT_EQ(Click(main.X + 22 + 50, main.Y + 94 + 39), 0);
    ASSERT_TRUE(XRig::WaitUntil([&] { return Count(Log(), "FillCaptInfo") > captions; }, 20s));
    EXPECT_TRUE(WaitShown("Statistic", 350, 232).Width == 350);
    Shot("03_long_caption");

    // 2: the hint of the long-named manual timer: the name ends in "...",
    // the values stand clear of their captions.
    ASSERT_EQ(Xdo({"mousemove", N(main.X + 22 + 55), N(main.Y + 94 + 45)}), 0);
    std::this_thread::sleep_for(1500ms);
    Shot("02_hint");

    // 5: the second timer's histogram over 99 days with its marks.
    captions = Count(Log(), "FillCaptInfo");
    ASSERT_EQ(Click(main.X + 22 + 150, main.Y + 94 + 39), 0);
    ASSERT_TRUE(XRig::WaitUntil([&] { return Count(Log(), "FillCaptInfo") > captions; }, 20s));
    Shot("05_marks");

    // 6: "Add new log item" from the time log: the set-time dialog opens in
    // the middle of the screen and keeps it while its message comes and goes.
    {
        const WindowInfo stat = WaitShown("Statistic", 350, 232);
        ASSERT_EQ(Click(stat.X + 190, stat.Y + stat.Height - 22 - 9), 0);
        std::this_thread::sleep_for(800ms);
        const std::vector<std::string> menu {
            "click", "3", "sleep", "0.5", "key", "Down", "sleep", "0.3", "key", "Return"};
        ASSERT_EQ(Xdo({"mousemove", N(stat.X + 170), N(stat.Y + 110)}), 0);
        ASSERT_EQ(Xdo(menu), 0);
        const WindowInfo opened = WaitShown("Set new timer log event time");
        const auto centred = [](const WindowInfo& w) {
            return std::abs(w.X + w.Width / 2 - kScreenWidth / 2) <= 20
                   && std::abs(w.Y + w.Height / 2 - kScreenHeight / 2) <= 40;
        };
        EXPECT_TRUE(centred(opened)) << opened.X << "," << opened.Y;
        ASSERT_EQ(Keys("Set new timer log event time", {"Up", "Up", "Up", "Up", "Up"}), 0);
        std::this_thread::sleep_for(500ms);
        const WindowInfo message = WaitShown("Set new timer log event time");
        EXPECT_TRUE(centred(message)) << message.X << "," << message.Y;
        EXPECT_TRUE(OnScreen(message));
        Shot("06_set_time_message");
        ASSERT_EQ(Keys("Set new timer log event time", {"Down", "Down", "Down", "Down", "Down"}), 0);
        std::this_thread::sleep_for(500ms);
        const WindowInfo after = WaitShown("Set new timer log event time");
        EXPECT_EQ(after.Width, opened.Width);
        EXPECT_TRUE(centred(after));
        ASSERT_EQ(Keys("Set new timer log event time", {"Escape"}), 0);
        EXPECT_TRUE(XRig::WaitUntil([&] { return !Shown("Set new timer log event time"); }, 10s));
    }

    // 1: the new-timer dialog with the main window in the bottom-right
    // corner: it grows about its centre for the identifier list, stays on
    // the screen, and shrinks back for a manual timer.
    main = MoveMain(kScreenWidth - main.Width - 5, kScreenHeight - main.Height - 5);
    ASSERT_TRUE(ClickNewTimerButton(*rig, [&] { return Shown("New timer").has_value(); }));
    const WindowInfo small = WaitShown("New timer");
    EXPECT_TRUE(OnScreen(small));
    ASSERT_EQ(Keys("New timer", {"Tab", "Down"}), 0);
    XRig::WaitUntil([&] { return Shown("New timer") && Shown("New timer")->Height > small.Height + 50; }, 10s);
    const WindowInfo grown = WaitShown("New timer");
    EXPECT_GT(grown.Height, small.Height + 50);
    EXPECT_TRUE(OnScreen(grown));
    Shot("01_new_timer_application");
    ASSERT_EQ(Keys("New timer", {"Up"}), 0);
    XRig::WaitUntil([&] { return Shown("New timer") && Shown("New timer")->Height < grown.Height; }, 10s);
    const WindowInfo back = WaitShown("New timer");
    EXPECT_EQ(back.Height, small.Height);
    EXPECT_LE(back.Width, small.Width + 2);
    EXPECT_TRUE(OnScreen(back));
    Shot("01_new_timer_manual");

    // 9: a pasted text with a tab and a line break becomes a one-line name.
    WriteFile(dir.File("paste.txt"), "Pasted\tname\nsecond line");
    ASSERT_EQ(RunProgram({"xclip", "-selection", "clipboard", "-loops", "1", "-i", dir.File("paste.txt")},
                         rig->Environment(),
                         30s),
              0);
    ASSERT_EQ(Keys("New timer", {"shift+Tab", "ctrl+a", "ctrl+v"}), 0);
    Shot("09_pasted_name");
    ASSERT_EQ(Keys("New timer", {"Return"}), 0);
    ASSERT_TRUE(LogHas("FormNewTimerRelease-<"));
    EXPECT_TRUE(LogHas("Pasted name second line"));

    // 4: the new project's empty start date opens its calendar at today's
    // month.
    main = MoveMain(400, 300);
    {
        const WindowInfo projects = WaitShown("Projects");
        bool opened = false;
        for (int attempt = 0; attempt < 3 && !opened; ++attempt) {
            ASSERT_EQ(Click(projects.X + 7, projects.Y + projects.Height - 7), 0);
            opened = XRig::WaitUntil([&] { return Shown("New Project").has_value(); }, 10s);
        }
        ASSERT_TRUE(opened);
        const WindowInfo dialog = WaitShown("New Project");
        ASSERT_EQ(Click(dialog.X + 136 + 121 - 8, dialog.Y + 92 + 10), 0);
        Shot("04_calendar");
        ASSERT_EQ(Xdo({"key", "Escape", "sleep", "0.3", "key", "Escape"}), 0);
        EXPECT_TRUE(XRig::WaitUntil([&] { return !Shown("New Project"); }, 10s));
    }

    // 8: "Help" where no browser is set up says where the manual lies.
    ASSERT_EQ(Click(main.X + 391, main.Y + 25), 0);
    ASSERT_TRUE(LogHas("actHelpExecute->"));
    if (RunProgram({"sh", "-c", "command -v xdg-open"}, {}, 10s) != 0) {
        std::optional<WindowInfo> box;
        EXPECT_TRUE(XRig::WaitUntil(
            [&] {
                for (const WindowInfo& w : rig->FindWindows(kTitle)) {
                    if (w.Viewable && w.Width > 64 && w.Width != kSkinWidth) {
                        box = w;
                    }
                }
                return box.has_value();
            },
            20s));
        ASSERT_TRUE(box);
        EXPECT_TRUE(OnScreen(*box));
        Shot("08_open_by_hand");
        ASSERT_EQ(Xdo({"windowactivate", "--sync", std::to_string(box->Id), "key", "Return"}), 0);
    }
    // 7: maximised, the statistics window lies inside the screen.
    {
        // The maximise picture, left of the close cross; a click that comes
        // while the window settles is tried again. (Maximised, the picture
        // lies under the rig's tray host, so this comes last.)
        const auto clickPicture = [&](int width, const std::string& done) {
            const std::size_t before = Count(Log(), done);
            for (int attempt = 0; attempt < 3; ++attempt) {
                const WindowInfo stat = WaitShown("Statistic", width);
                Click(stat.X + stat.Width - 19, stat.Y + 8);
                if (XRig::WaitUntil([&] { return Count(Log(), done) > before; }, 5s)) {
                    return true;
                }
            }
            return false;
        };
        ASSERT_TRUE(clickPicture(350, "MaxHeight"));
        const WindowInfo maximised = WaitShown("Statistic", kScreenWidth);
        EXPECT_TRUE(OnScreen(maximised));
        EXPECT_TRUE(OnScreen(*MainWindow()));
        Shot("07_maximised");
    }

    EXPECT_EQ(Terminate(*program), 0);

    TimeModel saved;
    LoadData(saved);
    ASSERT_EQ(saved.Timers.Count(), 27u);
    EXPECT_EQ(saved.Timers[26].Name, "Pasted name second line");
}

} // namespace
} // namespace tally::test
