#include "view/stat_window.h"

#include <gtest/gtest.h>

namespace tally {
namespace {

TEST(StatWindowTest, HomeIsFlushRightOfTheMainWindowAndMaximisingHalvesTheScreen)
{
    EXPECT_EQ(StatHomeRect(100, 50, 466), (StatRect {566, 143, 350, 232}));
    EXPECT_EQ(StatHomeRect(-20, -93, 10), (StatRect {-10, 0, 350, 232}));
    // An odd screen height halves downwards for both windows.
    const StatMaximised m = MaximiseStat(1280, 1025);
    EXPECT_EQ(m.MainTop, 512);
    EXPECT_EQ(m.MaxHeight, 512);
    EXPECT_EQ(m.Stat, (StatRect {0, 0, 1280, 512}));
}

TEST(StatWindowTest, ObjectsGoneFromTheListsAreNoLongerShown)
{
    TimerList timers;
    ProjectList projects;
    TMyTimer& kept = timers.Create();
    TMyTimer& gone = timers.Create();
    TTimeProject& project = projects.Create();
    std::vector<TMyTimer*> selected {&gone, &kept};

    EXPECT_EQ(StatTimer(SelectedTimerObject(selected)), &gone);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(SelectedTimerObject({})));

    const StatObject timer = &gone;
    EXPECT_EQ(StatTimer(LiveStatObject(timer, timers, projects)), &gone);
    const StatObject prj = &project;
    EXPECT_EQ(StatProject(LiveStatObject(prj, timers, projects)), &project);

    timers.Delete(&gone);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(LiveStatObject(timer, timers, projects)));
    projects.Clear();
    EXPECT_TRUE(std::holds_alternative<std::monostate>(LiveStatObject(prj, timers, projects)));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(LiveStatObject({}, timers, projects)));
}

} // namespace
} // namespace tally
