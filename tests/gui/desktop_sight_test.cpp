#include "model/settings_store.h"
#include "shell/app/qt_platform.h"
#include "shell/main_window/hint_placer.h"
#include "shell/main_window/hint_window.h"
#include "shell/main_window/main_window.h"
#include "shell/main_window/timer_list_view.h"

#include <QImage>
#include <QScreen>
#include <QTest>

#include "gui_fixture.h"

#include <gtest/gtest.h>

namespace tally {
namespace {

TEST(QtPlatform, XFirstWhereThereIsADisplayAndWordsWhereNoPluginFits)
{
    struct Case
    {
        const char* Name;
        SessionEnvironment Env;
        const char* Preset;
        bool Xcb;
        bool Wayland;
        const char* Platform;
        const char* ProblemHas; // nullptr: no problem
    };
    const Case cases[] {
        {"X session", {"x11", "", ":0"}, "", true, true, "xcb", nullptr},
        {"Wayland session with its X layer", {"wayland", "wayland-0", ":0"}, "", true, true, "xcb;wayland", nullptr},
        {"Wayland only, plugin missing", {"wayland", "wayland-0", ""}, "", true, false, "", "qt6-wayland"},
        {"X plugin missing, Wayland there", {"wayland", "wayland-0", ":0"}, "", false, true, "wayland", nullptr},
        {"no display at all", {"tty", "", ""}, "", true, true, "", "neither DISPLAY nor WAYLAND_DISPLAY"},
        {"the user's own choice stands", {"tty", "", ""}, "offscreen", true, true, "", nullptr},
    };
    for (const Case& c : cases) {
        const QtPlatformChoice choice = ChooseQtPlatform(c.Env, c.Preset, c.Xcb, c.Wayland);
        EXPECT_EQ(choice.Platform, c.Platform) << c.Name;
        if (c.ProblemHas) {
            EXPECT_NE(choice.Problem.find(c.ProblemHas), std::string::npos) << c.Name << ": " << choice.Problem;
        } else {
            EXPECT_TRUE(choice.Problem.empty()) << c.Name << ": " << choice.Problem;
        }
    }
}

// The whole application on a desktop that hides windows and keystrokes.
class BlindDesktopAppTest : public test::AppTest
{
protected:
    void SetUp() override
    {
        desktop.SetSight({false, false, true});
        auto memory = std::make_unique<MemorySettings>();
        WriteQuietSettings(*memory, "1"); // the first start opens the window
        StartApp(std::move(memory));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&app->Window()));
    }

    QImage ListPicture()
    {
        TimerListView& list = app->Window().List();
        list.viewport()->repaint();
        QCoreApplication::processEvents();
        const QPoint at = list.viewport()->mapTo(&app->Window(), QPoint(0, 0));
        return app->Window()
            .screen()
            ->grabWindow(app->Window().winId())
            .toImage()
            .copy(QRect(at, list.viewport()->size()));
    }

    static int AmberPixels(const QImage& image, const QRect& area)
    {
        int n = 0;
        for (int y = std::max(0, area.top()); y <= std::min(image.height() - 1, area.bottom()); ++y) {
            for (int x = std::max(0, area.left()); x <= std::min(image.width() - 1, area.right()); ++x) {
                const QColor c = image.pixelColor(x, y);
                n += c.red() > 150 && c.green() > 100 && c.blue() < c.green() - 60 ? 1 : 0;
            }
        }
        return n;
    }

    static int LitPixels(const QImage& image)
    {
        int n = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                n += qGray(image.pixel(x, y)) > 128 ? 1 : 0;
            }
        }
        return n;
    }

    TMyTimer& AddTimer(const char* name, TimerType type)
    {
        TMyTimer& timer = app->Model().Timers.Create();
        timer.Name = name;
        timer.TimerType = type;
        timer.SetEnabled(true);
        return timer;
    }
};

TEST_F(BlindDesktopAppTest, EmptyListGuidesToTheFirstTimerUntilOneExists)
{
    TimerListView& list = app->Window().List();
    EXPECT_EQ(list.count(), 0);
    EXPECT_NE(list.Guidance().indexOf(QStringLiteral("Ctrl+N")), -1);
    // The line sits across the middle of the list, below where a first row goes.
    const auto middle = [&] {
        const QImage picture = ListPicture();
        return LitPixels(picture.copy(0, picture.height() / 2 - 4, picture.width(), 12));
    };
    EXPECT_GT(middle(), 20) << "the line is drawn on the black list";

    AddTimer("First", ttManual);
    app->Window().Draw();
    EXPECT_TRUE(list.Guidance().isEmpty());
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(middle(), 0);
}

TEST_F(BlindDesktopAppTest, RowsAndHintOfWindowAndTypingTimersSayWhatIsHidden)
{
    AddTimer("Caption", ttCaption).Identifiers = {"Editor"};
    AddTimer("Manual", ttManual);
    AddTimer("Typing", ttTyping);
    app->Window().Draw();
    app->Window().RepaintList();
    TimerListView& list = app->Window().List();
    ASSERT_EQ(list.count(), 3);

    EXPECT_EQ(list.RowFor(app->Model().Timers[0]).Notice, "Cannot see windows");
    EXPECT_FALSE(list.RowFor(app->Model().Timers[1]).Notice.has_value());
    EXPECT_EQ(list.RowFor(app->Model().Timers[2]).Notice, "Cannot see typing");
    const QImage picture = ListPicture();
    auto noticeLine = [&](int row) { return list.PartsOf(list.visualItemRect(list.item(row))).Lines[2]; };
    EXPECT_GT(AmberPixels(picture, noticeLine(0)), 10) << "caption row";
    EXPECT_EQ(AmberPixels(picture, noticeLine(1)), 0) << "manual row";
    EXPECT_GT(AmberPixels(picture, noticeLine(2)), 10) << "typing row";

    const std::string log = test::ReadFile(dir.File("log.txt"));
    EXPECT_NE(log.find("Notice, Caption: This desktop does not let Tallyhour Zide see other programs' windows"),
              std::string::npos);
    EXPECT_EQ(log.find("Notice, Manual"), std::string::npos);

    // Without "Show hints" the hint is filled as the pointer moves, unshown.
    app->Window().SetOptionChecked(MenuOption::ShowHints, false);
    TFormHint& hint = app->Hints().Hint();
    const int plainHeight = hint.height();
    const QPoint caption = list.visualItemRect(list.item(0)).center();
    app->Hints().OnListMouseMove(caption, list.viewport()->mapToGlobal(caption));
    EXPECT_EQ(hint.NameLabel().text(), QStringLiteral("Caption"));
    EXPECT_EQ(hint.NoticeLabel().text(),
              QStringLiteral("This desktop does not let Tallyhour Zide see other programs' windows"));
    EXPECT_TRUE(hint.NoticeLabel().isVisibleTo(&hint));
    EXPECT_GE(hint.height(), plainHeight + hint.NoticeLabel().height());
    EXPECT_LE(hint.NoticeLabel().geometry().bottom(), hint.height()) << "the whole sentence fits";

    const QPoint manual = list.visualItemRect(list.item(1)).center();
    app->Hints().OnListMouseMove(manual, list.viewport()->mapToGlobal(manual));
    EXPECT_EQ(hint.NameLabel().text(), QStringLiteral("Manual"));
    EXPECT_FALSE(hint.NoticeLabel().isVisibleTo(&hint));
    EXPECT_EQ(hint.height(), plainHeight);
}

// A desktop without a tray: the window is the only way in, so it opens at
// every start, not only the first.
class NoTrayAppTest : public test::AppTest
{
protected:
    void Start(bool withTray)
    {
        auto memory = std::make_unique<MemorySettings>();
        WriteQuietSettings(*memory, "0");
        trayAvailable = [withTray] { return withTray; };
        StartApp(std::move(memory));
    }
};

TEST_F(NoTrayAppTest, WindowOpensAtStartOnlyWhereNoTrayIconCanShow)
{
    for (bool tray : {true, false}) {
        app.reset();
        Start(tray);
        EXPECT_EQ(app->Window().isVisible(), !tray) << "tray " << tray;
        EXPECT_EQ(app->Window().InTaskbar(), !tray) << "tray " << tray;
    }
    // Minimised without a tray, the window stays in the taskbar and comes
    // back from there as if opened from the tray.
    MainWindow& window = app->Window();
    window.MinimiseToTray();
    QCoreApplication::processEvents();
    EXPECT_FALSE(window.MainWindowShown);
    EXPECT_TRUE(window.isVisible());
    window.setWindowState(Qt::WindowNoState);
    QCoreApplication::processEvents();
    EXPECT_TRUE(window.MainWindowShown);
    EXPECT_TRUE(app->Window().isVisible());
}

} // namespace
} // namespace tally
