#include "model/datetime.h"
#include "model/project_ops.h"
#include "platform/fake/fake_clock.h"
#include "runlog/brisvale_log.h"
#include "shell/main_window/main_window.h"
#include "shell/main_window/timer_list_view.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "gui_fixture.h"

#include <gtest/gtest.h>

namespace tally {
namespace {

// Answers the next modal message box with the given button.
void AnswerNextQuestion(QMessageBox::StandardButton answer, bool* asked)
{
    QTimer::singleShot(0, [answer, asked] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            return;
        }
        *asked = true;
        box->button(answer)->click();
    });
}

class MainWindowActions : public test::GuiTest
{
protected:
    void SetUp() override
    {
        clock.Set(EncodeDateTime(2026, 7, 1, 10, 0, 0));
        log.SetLogFileName(dir.File("run.log"));
        log.SetActive(true);
        CreatePrjDefObjs(model, log);
        window = std::make_unique<MainWindow>(model, log, [this] { return clock.Now(); });
        QObject::connect(window.get(), &MainWindow::deleteConfirmed, [this](std::vector<TMyTimer*> timers) {
            deleted.push_back(timers);
        });
    }

    TMyTimer& Timer(const std::string& name, std::int32_t project = 0)
    {
        TMyTimer& t = model.Timers.Create();
        t.Name = name;
        t.ProjectId = project;
        return t;
    }

    // What a menu offers while it is open (it is all lifted as it closes).
    struct Offered
    {
        bool Start = false;
        bool Delete = false;
        bool Properties = false;
        bool SelectAll = false;
        bool MoveTo = false;
    };
    Offered Capture() const
    {
        Offered o;
        o.Start = window->actStartTimer->isEnabled();
        o.Delete = window->actDelTimer->isEnabled();
        o.Properties = window->actProperties->isEnabled();
        o.SelectAll = window->actSelectAll->isEnabled();
        for (QAction* a : window->TimersMenu().actions()) {
            if (a->text() == "Assign selected timers to the project") {
                o.MoveTo = a->isEnabled();
            }
        }
        return o;
    }

    // Opens and closes the list's menu, which sets the enablement.
    Offered PopupTimersMenu()
    {
        Offered seen;
        QTimer::singleShot(0, [this, &seen] {
            seen = Capture();
            window->TimersMenu().close();
        });
        emit window->List().customContextMenuRequested(QPoint(1, 1));
        QApplication::processEvents();
        window->TimersMenu().close();
        return seen;
    }

    void PopupMainMenu()
    {
        QTimer::singleShot(0, [this] { window->MainMenu().close(); });
        window->MainMenu().popup(QPoint(0, 0));
        QApplication::processEvents();
        window->MainMenu().close();
    }

    test::TempDir dir;
    FakeClock clock;
    TBrisvaleLog log {clock};
    TimeModel model;
    std::unique_ptr<MainWindow> window;
    std::vector<std::vector<TMyTimer*>> deleted;
};

TEST_F(MainWindowActions, MenuEnablementFollowsSelectionAndProjects)
{
    Timer("elsewhere", 9); // exists but is not listed
    window->Draw();
    Offered offered = PopupTimersMenu();
    EXPECT_FALSE(offered.Start);
    EXPECT_FALSE(offered.Delete);
    EXPECT_FALSE(offered.Properties);
    EXPECT_TRUE(offered.SelectAll);
    // Selecting all under a filter that lists nothing selects nothing.
    window->actSelectAll->trigger();
    EXPECT_TRUE(window->List().SelectedTimers().empty());

    Timer("listed");
    window->Draw();
    window->List().item(0)->setSelected(true);
    offered = PopupTimersMenu();
    EXPECT_TRUE(offered.Start);
    EXPECT_TRUE(offered.Delete);
    EXPECT_FALSE(offered.MoveTo); // no project yet
}

TEST_F(MainWindowActions, ButtonsDoubleClickAndKeysWorkAfterAMenuOfferedNothing)
{
    std::vector<std::string> seen;
    QObject::connect(window.get(), &MainWindow::startRequested, [&](auto t) {
        seen.push_back("start " + std::to_string(t.size()));
    });
    QObject::connect(
        window.get(), &MainWindow::stopRequested, [&](auto t) { seen.push_back("stop " + std::to_string(t.size())); });
    QObject::connect(
        window.get(), &MainWindow::propertiesRequested, [&](TMyTimer* t) { seen.push_back("properties " + t->Name); });
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    // The menus open on an empty list with nothing selected: everything is off
    // while they show.
    PopupMainMenu();
    PopupTimersMenu();

    Timer("a");
    Timer("b");
    window->Draw();
    window->List().item(0)->setSelected(true);
    for (const char* name : {"btn_start", "btn_stop"}) {
        auto* button = window->findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    emit window->List().itemDoubleClicked(window->List().item(0));
    EXPECT_EQ(seen, (std::vector<std::string> {"start 1", "stop 1", "properties a"}));

    bool asked = false;
    AnswerNextQuestion(QMessageBox::Yes, &asked);
    QTest::mouseClick(window->findChild<QWidget*>(QStringLiteral("btn_delete")), Qt::LeftButton);
    EXPECT_TRUE(asked);
    ASSERT_EQ(deleted.size(), 1u);

    window->List().clearSelection();
    window->activateWindow(); // the question took the focus
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(window->List().SelectedTimers().size(), 2u);
}

TEST_F(MainWindowActions, DeleteAsksAndOnlyYesDeletes)
{
    TMyTimer& a = Timer("a");
    Timer("b");
    window->Draw();
    window->List().item(0)->setSelected(true);

    bool asked = false;
    AnswerNextQuestion(QMessageBox::No, &asked);
    window->DeleteSelectedWithQuestion();
    EXPECT_TRUE(asked);
    EXPECT_TRUE(deleted.empty());

    asked = false;
    AnswerNextQuestion(QMessageBox::Yes, &asked);
    window->DeleteSelectedWithQuestion();
    EXPECT_TRUE(asked);
    ASSERT_EQ(deleted.size(), 1u);
    EXPECT_EQ(deleted[0], std::vector<TMyTimer*> {&a});

    // Nothing selected: the question still comes, and Yes passes an empty
    // selection on (the application then saves and rebuilds).
    window->List().clearSelection();
    asked = false;
    AnswerNextQuestion(QMessageBox::Yes, &asked);
    window->DeleteSelectedWithQuestion();
    EXPECT_TRUE(asked);
    ASSERT_EQ(deleted.size(), 2u);
    EXPECT_TRUE(deleted[1].empty());
}

TEST_F(MainWindowActions, OptionItemsReportTheirNewState)
{
    std::vector<std::pair<MenuOption, bool>> toggles;
    QObject::connect(window.get(), &MainWindow::optionToggled, [&](MenuOption option, bool checked) {
        toggles.emplace_back(option, checked);
    });
    QMenu* options = nullptr;
    for (QAction* action : window->MainMenu().actions()) {
        if (action->text() == "Options") {
            options = action->menu();
        }
    }
    ASSERT_NE(options, nullptr);
    const auto items = options->actions();
    // The six ticks, then a separator and the sharing items.
    ASSERT_EQ(items.size(), 9);
    EXPECT_EQ(items[0]->text(), "Load at windows startup");
    EXPECT_EQ(items[5]->text(), "Show timers color");
    EXPECT_EQ(items[7], &window->ShareItem());
    EXPECT_EQ(items[8], &window->StopSharingItem());
    EXPECT_EQ(items[5], &window->OptionItem(MenuOption::ShowColor));
    window->OptionItem(MenuOption::ShowColor).trigger();
    window->OptionItem(MenuOption::SoundOn).trigger();
    ASSERT_EQ(toggles.size(), 2u);
    EXPECT_EQ(toggles[0], std::make_pair(MenuOption::ShowColor, true));
    EXPECT_EQ(toggles[1], std::make_pair(MenuOption::SoundOn, false));
}

TEST_F(MainWindowActions, RowsShowTheirDotsAndColourBar)
{
    TMyTimer& running = Timer("running");
    running.Enabled = true;
    running.Color = 0x0000FF; // red in BGR
    window->SetOptionChecked(MenuOption::ShowColor, true);
    window->Draw();
    window->List().resize(419, 179);
    window->show();
    QApplication::processEvents();
    const QImage image = window->List().viewport()->grab().toImage();
    const QRect cell = window->List().visualItemRect(window->List().item(0));
    // The colour bar sits under the icon, 8 x 2 pixels.
    QRect red;
    int redPixels = 0;
    bool green = false;
    for (int y = cell.top(); y <= cell.bottom(); ++y) {
        for (int x = cell.left(); x <= cell.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() == 255 && c.green() == 0 && c.blue() == 0) {
                red = red.united(QRect(x, y, 1, 1));
                ++redPixels;
            }
            green = green || (c.green() > 150 && c.red() < 120 && c.blue() < 140);
        }
    }
    EXPECT_EQ(red.size(), QSize(8, 2));
    EXPECT_EQ(redPixels, 16);
    EXPECT_TRUE(green);
}

} // namespace
} // namespace tally
