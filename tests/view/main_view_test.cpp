#include "model/datetime.h"
#include "model/project_ops.h"
#include "model/settings_store.h"
#include "platform/fake/fake_clock.h"
#include "runlog/brisvale_log.h"
#include "support/temp_dir.h"
#include "view/help_file.h"
#include "view/hint_logic.h"
#include "view/main_list.h"
#include "view/time_format.h"
#include "view/timer_row.h"
#include "view/window_snap.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace tally {
namespace {

TEST(TimerRow, LinesFollowTypeAndTodayOption)
{
    const TDateTime now = EncodeDateTime(2026, 5, 2, 10, 0, 0);
    TMyTimer timer;
    timer.Name = "Editor";
    timer.ActiveTime = 2 * kOneHour;
    timer.BackgroundTime = 30 * kOneMinute;
    // Ran yesterday only: today's lines read zero.
    timer.ActivePeriods.Add(now - 1.0, now - 1.0 + kOneHour);
    timer.BackgroundPeriods.Add(now - 1.0, now - 1.0 + kOneMinute);

    for (TimerType type : {ttApplication, ttCaption}) {
        timer.TimerType = type;
        TimerRowView today = MakeTimerRow(timer, {true, false}, now);
        EXPECT_EQ(today.ActiveText, "0:00:00");
        EXPECT_EQ(today.BackgroundLine, "0:00:00");
        TimerRowView total = MakeTimerRow(timer, {false, false}, now);
        EXPECT_EQ(total.Name, "Editor");
        EXPECT_EQ(total.ActiveText, "2:00:00");
        EXPECT_EQ(total.BackgroundLine, "0:30:00");
    }
    for (TimerType type : {ttManual, ttTyping, ttInternet, ttWorkTime, ttIdleTime}) {
        timer.TimerType = type;
        EXPECT_FALSE(MakeTimerRow(timer, {false, false}, now).BackgroundLine.has_value()) << int(type);
    }
}

TEST(TimerRow, ColourBarAndStateMark)
{
    TMyTimer timer;
    timer.Color = 0x123456;
    EXPECT_FALSE(MakeTimerRow(timer, {true, false}, 0).ColorBar.has_value());
    EXPECT_EQ(MakeTimerRow(timer, {true, true}, 0).ColorBar, 0x123456u);

    EXPECT_EQ(TimerStateMark(timer), StateMark::None);
    timer.Suspended = true;
    EXPECT_EQ(TimerStateMark(timer), StateMark::None);
    timer.Enabled = true;
    EXPECT_EQ(TimerStateMark(timer), StateMark::Yellow);
    timer.Suspended = false;
    EXPECT_EQ(TimerStateMark(timer), StateMark::Green);
}

TEST(TimerHint, ShowsTotalsAndStateInItsColour)
{
    TMyTimer timer;
    timer.Name = "Mail";
    timer.ActiveTime = 90 * kOneSecond;
    timer.BackgroundTime = 30 * kOneSecond;
    TimerHintView hint = MakeTimerHint(timer);
    EXPECT_EQ(hint.ActiveText, "0:01:30");
    EXPECT_EQ(hint.BackgroundText, "...");
    EXPECT_EQ(hint.TotalText, "0:02:00");
    EXPECT_EQ(hint.StateText, "Timer disabled");
    EXPECT_EQ(hint.StateColor, 0x000080u);

    timer.TimerType = ttCaption;
    timer.Enabled = true;
    timer.Suspended = true;
    hint = MakeTimerHint(timer);
    EXPECT_EQ(hint.BackgroundText, "0:00:30");
    EXPECT_EQ(hint.StateText, "Timer is in suspend mode");
    EXPECT_EQ(hint.StateColor, 0x008080u);
    timer.Suspended = false;
    EXPECT_EQ(MakeTimerHint(timer).StateText, "Timer enabled");
    EXPECT_EQ(MakeTimerHint(timer).StateColor, 0x008000u);
}

TEST(HintLogic, MouseMoveAndTimerDecisions)
{
    EXPECT_EQ(OnListMouseMove(false, true, true), HintMove::Hide);
    EXPECT_EQ(OnListMouseMove(true, false, true), HintMove::Wait);
    EXPECT_EQ(OnListMouseMove(true, true, true), HintMove::MoveAndFill);
    EXPECT_EQ(OnListMouseMove(true, false, false), HintMove::MoveAndFill);

    HintTimerState s;
    s.RowUnderPointer = s.MainWindowVisible = s.MainWindowInFront = true;
    EXPECT_TRUE(HintTimerPlaces(s));
    for (bool HintTimerState::*blocker :
         {&HintTimerState::Sleeping, &HintTimerState::DesktopLocked, &HintTimerState::HintVisible}) {
        HintTimerState blocked = s;
        blocked.*blocker = true;
        EXPECT_FALSE(HintTimerPlaces(blocked));
    }
    for (bool HintTimerState::*needed : {&HintTimerState::RowUnderPointer,
                                         &HintTimerState::ShowHints,
                                         &HintTimerState::MainWindowVisible,
                                         &HintTimerState::MainWindowInFront}) {
        HintTimerState missing = s;
        missing.*needed = false;
        EXPECT_FALSE(HintTimerPlaces(missing));
    }
    EXPECT_EQ(HintPosition({1910, 1070}).X, 1926);
    EXPECT_EQ(HintPosition({1910, 1070}).Y, 1086);
}

TEST(WindowSnap, EdgesSnapAndSnappedWindowsStayInside)
{
    const WorkArea area {0, 0, 1920, 1040};
    // Near the left edge: exactly on it.
    SnapResult r = SnapToWorkArea({30, 400, 465, 329}, area, false);
    EXPECT_TRUE(r.Snapped);
    EXPECT_EQ(r.X, 0);
    EXPECT_EQ(r.Y, 400);
    // Near the right and bottom edges.
    r = SnapToWorkArea({1920 - 465 - 20, 1040 - 329 - 32, 465, 329}, area, false);
    EXPECT_EQ(r.X, 1920 - 465);
    EXPECT_EQ(r.Y, 1040 - 329);
    // Far from every edge: unchanged, but the side windows still follow.
    r = SnapToWorkArea({500, 300, 465, 329}, area, false);
    EXPECT_FALSE(r.Snapped);
    EXPECT_EQ(r.X, 500);
    EXPECT_TRUE(r.DockSideWindows);
    // Partly outside: pulled fully inside.
    r = SnapToWorkArea({-200, -50, 465, 329}, area, false);
    EXPECT_EQ(r.X, 0);
    EXPECT_EQ(r.Y, 0);
    // A window wider than the work area cannot fit: the right edge wins.
    r = SnapToWorkArea({100, 100, 2000, 329}, area, false);
    EXPECT_EQ(r.X, 1920 - 2000);
    // Suspended: passes unaltered and docks nothing.
    r = SnapToWorkArea({-200, 5, 465, 329}, area, true);
    EXPECT_EQ(r.X, -200);
    EXPECT_EQ(r.Y, 5);
    EXPECT_FALSE(r.Snapped);
    EXPECT_FALSE(r.DockSideWindows);
    // A work area that does not start at the origin (a panel on the left).
    r = SnapToWorkArea({60, 500, 465, 329}, {48, 24, 1920, 1080}, false);
    EXPECT_EQ(r.X, 48);
}

class MainListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        clock.Set(EncodeDateTime(2026, 5, 2, 8, 0, 0));
        log.SetLogFileName(dir.File("run.log"));
        log.SetActive(true);
        CreatePrjDefObjs(model, log);
    }

    TMyTimer& Timer(const std::string& name, std::int32_t project)
    {
        TMyTimer& t = model.Timers.Create();
        t.Name = name;
        t.ProjectId = project;
        return t;
    }

    std::string LogText() const { return test::ReadFile(dir.File("run.log")); }

    test::TempDir dir;
    FakeClock clock;
    TBrisvaleLog log {clock};
    MemorySettings settings;
    TimeModel model;
};

TEST_F(MainListTest, DrawListsTheCurrentProjectInOrder)
{
    TMyTimer& a = Timer("a", 0);
    Timer("b", 3);
    TMyTimer& c = Timer("c", 0);
    EXPECT_EQ(Draw(model, log), (std::vector<TMyTimer*> {&a, &c}));
    model.CurrPrjId = ShowAllId;
    EXPECT_EQ(Draw(model, log).size(), 3u);
    EXPECT_NE(LogText().find("Draw, CurrPrjId:0\r\n"), std::string::npos);
    EXPECT_NE(LogText().find("Draw, CurrPrjId:-1\r\n"), std::string::npos);
}

TEST_F(MainListTest, ControlsFollowSelectionProjectsAndTimers)
{
    ControlsState none = SetControlsState(0, model, log);
    EXPECT_FALSE(none.StartTimer || none.StopTimer || none.DeleteTimers || none.Properties || none.MoveTo);
    EXPECT_FALSE(none.SelectAll);
    EXPECT_NE(LogText().find("SetControlsState->\r\n"), std::string::npos);
    EXPECT_NE(LogText().find("lv.Selected=nil\r\n"), std::string::npos);

    Timer("elsewhere", 7); // not listed, yet "Select all" is enabled
    EXPECT_TRUE(SetControlsState(0, model, log).SelectAll);
    ControlsState one = SetControlsState(1, model, log);
    EXPECT_TRUE(one.StartTimer && one.StopTimer && one.DeleteTimers && one.Properties);
    EXPECT_FALSE(one.MoveTo);
    ProjectValues values;
    values.Name = "P";
    AddProject(model, values, clock.Now(), settings, log);
    EXPECT_TRUE(SetControlsState(1, model, log).MoveTo);
}

TEST_F(MainListTest, MoveToOffersRealProjectsAndMovesTheSelection)
{
    ProjectValues values;
    values.Name = "Site";
    const std::int32_t id = AddProject(model, values, clock.Now(), settings, log).Id;
    auto items = FillMoveToItems(model.Projects, log);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].Caption, "Site");
    EXPECT_EQ(items[0].ProjectId, id);

    TMyTimer& a = Timer("a", 0);
    TMyTimer* selection[] = {&a};
    EXPECT_TRUE(MoveSelectedTimers(selection, id, log));
    EXPECT_EQ(a.ProjectId, id);
    EXPECT_TRUE(Draw(model, log).empty());
    EXPECT_FALSE(MoveSelectedTimers({}, 0, log));
    EXPECT_EQ(a.ProjectId, id);
}

TEST_F(MainListTest, DeleteRemovesSelectedTimersLastFirst)
{
    TMyTimer& a = Timer("a", 0);
    Timer("b", 0);
    TMyTimer& c = Timer("c", 0);
    TMyTimer* selection[] = {&a, &c};
    DeleteSelectedTimers(model, selection, log);
    ASSERT_EQ(model.Timers.Count(), 1u);
    EXPECT_EQ(model.Timers[0].Name, "b");
    const std::string text = LogText();
    EXPECT_LT(text.find("Delete timer c\r\n"), text.find("Delete timer a\r\n"));
    DeleteSelectedTimers(model, {}, log);
    EXPECT_EQ(model.Timers.Count(), 1u);
}

TEST(TimeEditFormat, FollowsTheCLibrarysTimePatterns)
{
    EXPECT_EQ(TimeEditFormat("%H:%M:%S"), "HH:mm:ss");
    EXPECT_EQ(TimeEditFormat("%T"), "HH:mm:ss");
    EXPECT_EQ(TimeEditFormat("%r"), "hh:mm:ss AP");
    EXPECT_EQ(TimeEditFormat("%l:%M:%S %P %Z"), "h:mm:ss ap ");
    EXPECT_EQ(TimeEditFormat("%-H.%M.%S"), "H.mm.ss");
    // Literal letters and quotes are quoted, a lone "%" is kept.
    EXPECT_EQ(TimeEditFormat("%Hh%M'%"), "HH'h'mm''%");
}

TEST(HelpFile, OwnManualUnlessAChmLiesBesideTheProgram)
{
    test::TempDir dir;
    const std::string folder = dir.Path().string();
    EXPECT_EQ(HelpFile(folder), (dir.Path() / "help" / "index.html").string());
    test::WriteFile(dir.File("help.chm"), "x");
    EXPECT_EQ(HelpFile(folder), dir.File("help.chm"));
}

// A program installed into <prefix>/bin finds the manual the package puts in
// <prefix>/share; a manual or help.chm beside the program still wins.
TEST(HelpFile, FindsTheInstalledManualUnderShare)
{
    const std::filesystem::path beside = "usr/bin/help/index.html";
    const std::filesystem::path shared = "usr/share/tallyhour-zide/help/index.html";
    const std::filesystem::path chm = "usr/bin/help.chm";
    struct Case
    {
        std::vector<std::filesystem::path> present;
        std::filesystem::path expected;
    };
    const Case cases[] = {
        {{}, beside},
        {{shared}, shared},
        {{beside, shared}, beside},
        {{chm, shared}, chm},
        // Another program's manual in the share folder is not ours.
        {{"usr/share/other/help/index.html"}, beside},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        for (const auto& file : c.present) {
            std::filesystem::create_directories((dir.Path() / file).parent_path());
            test::WriteFile((dir.Path() / file).string(), "x");
        }
        SCOPED_TRACE(c.expected.string());
        EXPECT_EQ(std::filesystem::path(HelpFile((dir.Path() / "usr" / "bin").string())).make_preferred(),
                  (dir.Path() / c.expected).make_preferred());
    }
}

} // namespace
} // namespace tally
