#include "model/time_model.h"
#include "program_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <string>
#include <thread>

namespace tally::test {
namespace {

class StatisticsWindowTest : public ProgramTest
{
protected:
    void TearDown() override
    {
        if (HasFailure()) {
            std::cout << "---- run log ----\n" << Log() << "---- end of run log ----\n";
        }
    }

    std::optional<WindowInfo> StatWindow()
    {
        for (const WindowInfo& w : rig->FindWindows("Statistic")) {
            if (w.Viewable && w.Width == 350 && w.Height == 232) {
                return w;
            }
        }
        return std::nullopt;
    }

    static std::string N(int v) { return std::to_string(v); }
};

// The main window's statistic button opens the window flush against the
// main window's right edge; the next start opens it again.
TEST_F(StatisticsWindowTest, ButtonOpensItDockedAndItReopensAtTheNextStart)
{
    {
        TimeModel model;
        model.Timers.Create().Name = "Write";
        SaveData(model);
    }
    WriteSettings("FirstLaunch=1\n");
    auto program = StartProgram();
    ASSERT_TRUE(XRig::WaitUntil([&] { return MainWindow().has_value(); }, 40s));
    const WindowInfo main = *MainWindow();

    // The statistic button, 18 x 18 at (439, 287) of the skin.
    bool opened = false;
    for (int attempt = 0; attempt < 3 && !opened; ++attempt) {
        ASSERT_EQ(rig->Xdotool({"mousemove", N(main.X + 448), N(main.Y + 296), "click", "1"}), 0);
        opened = XRig::WaitUntil([&] { return StatWindow().has_value(); }, 10s);
    }
    ASSERT_TRUE(opened);
    const WindowInfo stat = *StatWindow();
    EXPECT_EQ(stat.X, main.X + main.Width);
    EXPECT_EQ(stat.Y, main.Y + 93);
    EXPECT_TRUE(LogHas("Stat.SetHomePos-<"));
    EXPECT_TRUE(LogHas("FillTextStat") || LogHas("TabSet1Click"));
    EXPECT_EQ(Terminate(*program), 0);

    const std::string ini = ReadFile(dir.File("tallyhourlite.ini"));
    EXPECT_NE(ini.find("StatVisible=1"), std::string::npos) << ini;
    EXPECT_NE(ini.find("Position=367"), std::string::npos) << ini;

    auto again = StartProgram();
    ASSERT_TRUE(XRig::WaitUntil([&] { return Count(Log(), "Stat.SetHomePos-<") >= 2; }, 40s));
    EXPECT_EQ(Terminate(*again), 0);
}

// A folder without the statistics part: the program starts (the window was
// left open), counts, and says why the window does not open when asked.
TEST_F(StatisticsWindowTest, WithoutItsPartTheProgramCountsAndSaysWhyTheWindowStaysShut)
{
    std::filesystem::remove(dir.Path() / "tallyhour-zide-statistics.so");
    {
        TimeModel model;
        TMyTimer& timer = model.Timers.Create();
        timer.Name = "Write";
        timer.SetEnabled(true);
        SaveData(model);
    }
    WriteSettings("FirstLaunch=1\nStatVisible=1\n");
    auto program = StartProgram();
    ASSERT_TRUE(XRig::WaitUntil([&] { return MainWindow().has_value(); }, 40s));
    EXPECT_TRUE(LogHas("Statistics unavailable: its part tallyhour-zide-statistics.so is missing"));
    const WindowInfo main = *MainWindow();
    // Each request tries the part again, and the user is told (a tray message).
    bool tried = false;
    for (int attempt = 0; attempt < 3 && !tried; ++attempt) {
        ASSERT_EQ(rig->Xdotool({"mousemove", N(main.X + 448), N(main.Y + 296), "click", "1"}), 0);
        tried = XRig::WaitUntil([&] { return Count(Log(), "Statistics unavailable") >= 2; }, 10s);
    }
    EXPECT_TRUE(tried);
    EXPECT_FALSE(StatWindow().has_value());
    std::this_thread::sleep_for(3s);
    EXPECT_EQ(Terminate(*program), 0);

    TimeModel model;
    LoadData(model);
    ASSERT_EQ(model.Timers.Count(), 1u);
    // Counted from the first tick, a second after start-up, until the end.
    EXPECT_GT(model.Timers[0].ActiveTime, 2 * kOneSecond);
    // The setting stays: the window opens again once the part is back.
    EXPECT_NE(ReadFile(dir.File("tallyhourlite.ini")).find("StatVisible=1"), std::string::npos);
}

} // namespace
} // namespace tally::test
