#include "model/datetime.h"
#include "model/project_ops.h"
#include "platform/fake/fake_clock.h"
#include "runlog/brisvale_log.h"
#include "shell/main_window.h"
#include "shell/timer_list_view.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
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

    // Opens and closes the list's menu, which sets the enablement.
    void PopupTimersMenu()
    {
        QTimer::singleShot(0, [this] { window->TimersMenu().close(); });
        emit window->List().customContextMenuRequested(QPoint(1, 1));
        QApplication::processEvents();
        window->TimersMenu().close();
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
    PopupTimersMenu();
    EXPECT_FALSE(window->actStartTimer->isEnabled());
    EXPECT_FALSE(window->actDelTimer->isEnabled());
    EXPECT_FALSE(window->actProperties->isEnabled());
    EXPECT_TRUE(window->actSelectAll->isEnabled());
    // Selecting all under a filter that lists nothing selects nothing.
    window->actSelectAll->trigger();
    EXPECT_TRUE(window->List().SelectedTimers().empty());

    Timer("listed");
    window->Draw();
    window->List().item(0)->setSelected(true);
    PopupTimersMenu();
    EXPECT_TRUE(window->actStartTimer->isEnabled());
    EXPECT_TRUE(window->actDelTimer->isEnabled());
    const auto moveTo = window->TimersMenu().actions();
    const auto it = std::find_if(
        moveTo.begin(), moveTo.end(), [](QAction* a) { return a->text() == "Assign selected timers to the project"; });
    ASSERT_NE(it, moveTo.end());
    EXPECT_FALSE((*it)->isEnabled()); // no project yet
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
    ASSERT_EQ(items.size(), 6);
    EXPECT_EQ(items[0]->text(), "Load at windows startup");
    EXPECT_EQ(items[5]->text(), "Show timers color");
    items[5]->trigger();
    items[1]->trigger();
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
    bool red = false;
    bool green = false;
    for (int y = cell.top(); y <= cell.bottom(); ++y) {
        for (int x = cell.left(); x <= cell.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            red = red || (c.red() == 255 && c.green() == 0 && c.blue() == 0);
            green = green || (c.green() > 150 && c.red() < 120 && c.blue() < 140);
        }
    }
    EXPECT_TRUE(red);
    EXPECT_TRUE(green);
}

} // namespace
} // namespace tally
