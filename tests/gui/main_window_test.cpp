#include "model/datetime.h"
#include "platform/fake/fake_clock.h"
#include "runlog/brisvale_log.h"
#include "shell/app/splash_about.h"
#include "shell/common/image_button.h"
#include "shell/main_window/hint_window.h"
#include "shell/main_window/main_window.h"
#include "shell/main_window/timer_list_view.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QMenu>
#include <QScreen>
#include <QTest>

#include "gui_fixture.h"

#include <gtest/gtest.h>

namespace tally {
namespace {

class Gui : public test::GuiTest
{
protected:
    void SetUp() override
    {
        clock.Set(EncodeDateTime(2026, 7, 1, 10, 0, 0));
        log.SetLogFileName(dir.File("run.log"));
        log.SetActive(true);
    }

    TMyTimer& Timer(const std::string& name, std::int32_t project = 0)
    {
        TMyTimer& t = model.Timers.Create();
        t.Name = name;
        t.ProjectId = project;
        return t;
    }

    test::TempDir dir;
    FakeClock clock;
    TBrisvaleLog log {clock};
    TimeModel model;
};

TEST_F(Gui, MainWindowIsTheSkinWithTheListOfTheCurrentProject)
{
    Timer("a");
    Timer("elsewhere", 5);
    Timer("b");
    MainWindow window(model, log, [this] { return clock.Now(); });
    EXPECT_EQ(window.size(), QSize(465, 329));
    EXPECT_EQ(window.windowTitle(), "Tallyhour Zide");
    EXPECT_EQ(window.List().geometry(), QRect(22, 94, 419, 179));
    window.Draw();
    ASSERT_EQ(window.List().count(), 2);
    EXPECT_EQ(TimerListView::TimerOf(window.List().item(1))->Name, "b");
    // The options start as their defaults: all checked but the colour bar.
    EXPECT_TRUE(window.OptionChecked(MenuOption::ShowTodayTime));
    EXPECT_FALSE(window.OptionChecked(MenuOption::ShowColor));
    window.SetOptionChecked(MenuOption::ShowColor, true);
    EXPECT_TRUE(window.OptionChecked(MenuOption::ShowColor));
}

TEST_F(Gui, ActionsCarryTheSelectionOut)
{
    TMyTimer& a = Timer("a");
    Timer("b");
    MainWindow window(model, log, [this] { return clock.Now(); });
    window.Draw();
    std::vector<TMyTimer*> started;
    QObject::connect(&window, &MainWindow::startRequested, [&](std::vector<TMyTimer*> t) { started = t; });
    window.List().item(0)->setSelected(true);
    window.actStartTimer->trigger();
    EXPECT_EQ(started, std::vector<TMyTimer*> {&a});

    TMyTimer* properties = nullptr;
    QObject::connect(&window, &MainWindow::propertiesRequested, [&](TMyTimer* t) { properties = t; });
    window.actProperties->trigger();
    EXPECT_EQ(properties, &a);

    window.actSelectAll->trigger();
    EXPECT_EQ(window.List().SelectedTimers().size(), 2u);
    EXPECT_EQ(window.actNewTimer->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
}

// The tick repaints only the parts of rows that changed; what the screen
// shows must still equal a full repaint, also after a change between two
// ticks of which only part of a row was painted.
TEST_F(Gui, ListRepaintedByPartsShowsWhatAFullRepaintShows)
{
    for (const char* name : {"Mail", "Editor", "Browser"}) {
        TMyTimer& t = Timer(name);
        t.Enabled = true;
        t.TimerType = ttApplication;
    }
    MainWindow window(model, log, [this] { return clock.Now(); });
    window.Draw();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    TimerListView& list = window.List();
    const auto shown = [&] {
        QCoreApplication::processEvents();
        return window.screen()->grabWindow(window.winId()).toImage();
    };
    const auto afterFullRepaint = [&] {
        list.viewport()->repaint();
        return shown();
    };
    for (TMyTimer& t : model.Timers) {
        t.IncActiveTime(clock.Read());
        t.IncBackgroundTime(clock.Read());
    }
    window.RepaintList();
    QTest::qWait(50); // the list's first layout is done from a timer and repaints it all
    QImage before = shown();

    // One row at a time, so that the changed parts are not merged into one
    // rectangle over several rows.
    clock.AdvanceSeconds(3725);
    model.Timers[0].IncActiveTime(clock.Read());
    window.RepaintList();
    QImage partly = shown();
    EXPECT_NE(partly, before);
    EXPECT_EQ(partly, afterFullRepaint()) << "active time";

    model.Timers[1].IncBackgroundTime(clock.Read());
    window.RepaintList();
    partly = shown();
    EXPECT_EQ(partly, afterFullRepaint()) << "background time";

    // A ticking time repaints its last digits only: one, then two, then a
    // longer text, then (today's time after midnight) a shorter one.
    for (std::int64_t seconds : {1, 3, 10, 3600 * 10, 3600 * 13}) {
        clock.AdvanceSeconds(seconds);
        model.Timers[0].IncActiveTime(clock.Read());
        model.Timers[1].IncBackgroundTime(clock.Read());
        window.RepaintList();
        partly = shown();
        EXPECT_EQ(partly, afterFullRepaint()) << "ticking on " << seconds << " s";
    }

    model.Timers[2].Enabled = false;
    window.RepaintList();
    partly = shown();
    EXPECT_EQ(partly, afterFullRepaint()) << "state mark";

    // Renamed, the name painted by something else than the tick, and named
    // back before the next tick.
    before = shown();
    model.Timers[0].Name = "Mail and calendar";
    list.viewport()->repaint(list.PartsOf(list.visualItemRect(list.item(0))).Lines[0]);
    model.Timers[0].Name = "Mail";
    window.RepaintList();
    partly = shown();
    EXPECT_EQ(partly, before) << "a row painted in part between two ticks";
}

TEST_F(Gui, ImageButtonShowsHotAndDownPicturesAndClicks)
{
    QPixmap normal(18, 18), hot(18, 18), down(18, 18);
    normal.fill(Qt::red);
    hot.fill(Qt::green);
    down.fill(Qt::blue);
    TImageBtn button(normal, hot, down);
    EXPECT_EQ(button.size(), QSize(18, 18));
    int clicks = 0;
    QObject::connect(&button, &TImageBtn::clicked, [&] { ++clicks; });
    button.show();
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
    // A release outside the button is no click.
    QTest::mousePress(&button, Qt::LeftButton);
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(40, 40));
    EXPECT_EQ(clicks, 1);
}

TEST_F(Gui, HintShowsStateInItsColourAfterTheDelay)
{
    TMyTimer& t = Timer("Mail");
    t.Enabled = true;
    t.Suspended = true;
    TFormHint hint;
    hint.Fill(MakeTimerHint(t));
    EXPECT_EQ(hint.size(), QSize(197, 97));
    EXPECT_EQ(hint.NameLabel().text(), "Mail");
    EXPECT_EQ(hint.StateLabel().text(), "Timer is in suspend mode");
    EXPECT_TRUE(hint.StateLabel().styleSheet().contains("rgb(128, 128, 0)"));
    hint.ShowDelayed();
    EXPECT_FALSE(hint.isVisible());
    EXPECT_TRUE(hint.TimShow().isActive());
    hint.HideHint();
    EXPECT_FALSE(hint.TimShow().isActive());
}

TEST_F(Gui, MovingOverTheSkinHidesTheHintAndTheHintStepsAside)
{
    MainWindow window(model, log, [this] { return clock.Now(); });
    window.show();
    int hides = 0;
    QObject::connect(&window, &MainWindow::hideHintRequested, [&] { ++hides; });
    // No button held: the skin hears the movement all the same (sent as the
    // display sends it, to the window).
    QTest::mouseMove(window.windowHandle(), QPoint(200, 40));
    EXPECT_GE(hides, 1);

    TFormHint hint;
    hint.move(300, 200);
    hint.show();
    const QPoint pointer = hint.mapToGlobal(QPoint(20, 30));
    QTest::mouseMove(hint.windowHandle(), QPoint(20, 30));
    EXPECT_EQ(hint.pos(), pointer + QPoint(16, 16));
}

TEST_F(Gui, VersionLabelsNameTheVersion)
{
    EXPECT_EQ(VersionLabelText("1.1.0.363"), "Version: 1.1.0.363");
    EXPECT_EQ(VersionLabelText(""), "Version: ");
    TFormAbout about("1.1.0.363");
    EXPECT_EQ(about.windowTitle(), "About");
    EXPECT_EQ(about.size(), QSize(463, 310));
}

} // namespace
} // namespace tally
