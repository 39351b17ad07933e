#include "model/time_model.h"
#include "program_fixture.h"

#include <gtest/gtest.h>

#include <iostream>
#include <string>

namespace tally::test {
namespace {

class ProjectsWindowTest : public ProgramTest
{
protected:
    void TearDown() override
    {
        if (HasFailure()) {
            std::cout << "---- run log ----\n" << Log() << "---- end of run log ----\n";
        }
    }

    std::optional<WindowInfo> ProjectsWindow()
    {
        for (const WindowInfo& w : rig->FindWindows("Projects")) {
            if (w.Viewable && w.Width == 152 && w.Height == 216) {
                return w;
            }
        }
        return std::nullopt;
    }

    int Xdo(const std::vector<std::string>& args) { return rig->Xdotool(args); }

    static std::string N(int v) { return std::to_string(v); }
};

// A project made with the window's "+" button, a timer dragged onto it with
// the pointer, the project row picked: all of it is there after a restart.
TEST_F(ProjectsWindowTest, ProjectMadeAndTimerDroppedSurviveARestart)
{
    {
        TimeModel model;
        model.Timers.Create().Name = "Drag me";
        model.Timers.Create().Name = "Stay";
        SaveData(model);
    }
    WriteSettings("FirstLaunch=1\nProjectsVisible=1\n");
    auto program = StartProgram();
    ASSERT_TRUE(XRig::WaitUntil([&] { return MainWindow() && ProjectsWindow(); }, 40s));
    const WindowInfo main = *MainWindow();
    WindowInfo panel = *ProjectsWindow();
    EXPECT_EQ(panel.X, main.X - 152);
    EXPECT_EQ(panel.Y, main.Y + 93);

    // "Create project", the first button of the bottom bar; Return is "Ok".
    bool opened = false;
    for (int attempt = 0; attempt < 3 && !opened; ++attempt) {
        ASSERT_EQ(Xdo({"mousemove", N(panel.X + 7), N(panel.Y + 216 - 7), "click", "1"}), 0);
        opened = XRig::WaitUntil([&] { return !rig->FindWindows("New Project").empty(); }, 10s);
    }
    ASSERT_TRUE(opened);
    // The modal dialog has the keyboard once it shows.
    ASSERT_EQ(Xdo({"search", "--sync", "--onlyvisible", "--name", "^New Project$"}), 0);
    ASSERT_EQ(Xdo({"sleep", "0.3", "key", "--delay", "80", "Return"}), 0);
    ASSERT_TRUE(XRig::WaitUntil([&] { return Count(Log(), "DrawProjects") >= 2; }, 20s));

    // The first timer of the main list dragged onto the new row (row 3:
    // under the two fixed rows and the separator, 18 pixels each).
    const int fromX = main.X + 22 + 50;
    const int fromY = main.Y + 94 + 20;
    const int toX = panel.X + 4 + 40;
    const int toY = panel.Y + 17 + 3 * 18 + 9;
    ASSERT_EQ(Xdo({"mousemove", N(fromX),      N(fromY),      "mousedown",  "1",         "sleep",
                   "0.3",       "mousemove",   N(fromX + 20), N(fromY + 5), "sleep",     "0.3",
                   "mousemove", N(fromX - 60), N(fromY),      "sleep",      "0.3",       "mousemove",
                   N(toX + 20), N(toY),        "sleep",       "0.3",        "mousemove", N(toX),
                   N(toY),      "sleep",       "0.5",         "mouseup",    "1"}),
              0);
    ASSERT_TRUE(LogHas("lvPrjDragDrop"));
    ASSERT_TRUE(LogHas("MoveTimers->"));

    // Picking the row is what is remembered.
    ASSERT_EQ(Xdo({"mousemove", N(toX), N(toY), "click", "1"}), 0);
    ASSERT_TRUE(LogHas("Draw, CurrPrjId:1"));
    EXPECT_EQ(Terminate(*program), 0);

    TimeModel saved;
    LoadData(saved);
    ASSERT_EQ(saved.Projects.Count(), 1u);
    EXPECT_EQ(saved.Projects[0].Name, "New Project1");
    EXPECT_EQ(saved.Projects[0].Id, 1);
    ASSERT_EQ(saved.Timers.Count(), 2u);
    EXPECT_EQ(saved.Timers[0].ProjectId, 1);
    EXPECT_EQ(saved.Timers[1].ProjectId, 0);
    const std::string ini = ReadFile(dir.File("tallyhourlite.ini"));
    EXPECT_NE(ini.find("SelectedIndex=3"), std::string::npos) << ini;
    EXPECT_NE(ini.find("ProjectsVisible=1"), std::string::npos) << ini;

    // The next start reopens the window on the remembered row.
    const std::size_t before = Count(Log(), "Draw, CurrPrjId:1");
    auto again = StartProgram();
    ASSERT_TRUE(XRig::WaitUntil([&] { return Count(Log(), "Draw, CurrPrjId:1") > before; }, 40s));
    EXPECT_EQ(Terminate(*again), 0);
}

} // namespace
} // namespace tally::test
