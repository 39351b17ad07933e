#include "model/datetime.h"
#include "model/settings_store.h"
#include "platform/autostart.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_desktop.h"
#include "platform/system/idle_threads.h"
#include "platform/system/no_system_proxy.h"
#include "platform/system/posix_file_system.h"
#include "shell/app/application.h"
#include "shell/main_window/main_window.h"
#include "shell/main_window/timer_list_view.h"
#include "shell/projects/project_dialog.h"
#include "shell/projects/projects_controller.h"
#include "shell/projects/projects_window.h"
#include "support/temp_dir.h"

#include <QTest>
#include <QTimer>

#include "gui_fixture.h"

#include <gtest/gtest.h>

namespace tally {
namespace {

using Answer = ProjectsController::Answer;

class ProjectsTest : public test::AppTest
{
protected:
    void SetUp() override
    {
        auto memory = std::make_unique<MemorySettings>();
        settings = memory.get();
        WriteQuietSettings(*settings);
        StartApp(std::move(memory));
    }

    TTimeProject& AddProject(std::int32_t id, const std::string& name)
    {
        TTimeProject& p = app->Model().Projects.Create();
        p.Id = id;
        p.Name = name;
        return p;
    }

    TMyTimer& AddTimer(const std::string& name, std::int32_t projectId)
    {
        TMyTimer& t = app->Model().Timers.Create();
        t.Name = name;
        t.ProjectId = projectId;
        return t;
    }

    ProjectsController& Projects() { return app->Projects(); }
    ProjectListView& List() { return Projects().Form()->List(); }

    // Opens the window with the given row stored as the last picked one.
    void Open(int selectedIndex = 0)
    {
        settings->WriteInteger("Projects", "SelectedIndex", selectedIndex);
        Projects().actShowHideProjectsExecute();
        ASSERT_TRUE(Projects().Exists());
    }

    void ClickRow(int row)
    {
        List().SelectRow(row);
        Projects().lvPrjClick();
    }

    // The next project dialog gets `act` once it runs its own loop.
    void OnDialog(std::function<void(TFormNewProject&)> act)
    {
        Projects().DialogOpening = [act](TFormNewProject& dialog) {
            QTimer::singleShot(0, &dialog, [act, &dialog] {
                act(dialog);
                // Whatever the test left open ends, so the test cannot hang.
                if (dialog.isVisible()) {
                    QTimer::singleShot(0, &dialog, [&dialog] { dialog.reject(); });
                }
            });
        };
    }

    std::size_t Count(const std::string& what) const
    {
        const std::string log = test::ReadFile(dir.File("log.txt"));
        std::size_t n = 0;
        for (auto pos = log.find(what); pos != std::string::npos; pos = log.find(what, pos + 1)) {
            ++n;
        }
        return n;
    }

    std::vector<std::string> MainListNames()
    {
        std::vector<std::string> names;
        for (int i = 0; i < app->Window().List().count(); ++i) {
            names.push_back(TimerListView::TimerOf(app->Window().List().item(i))->Name);
        }
        return names;
    }

    MemorySettings* settings = nullptr;
};

TEST_F(ProjectsTest, ShowProjectsOpensDocksAndClosesTheWindow)
{
    MainWindow& main = app->Window();
    // The main window stands at the screen's left edge: no room on the left,
    // so the window docks on its right.
    const auto home = [&main] { return main.pos() + QPoint(main.width(), 93); };
    main.MainWindowShown = true;
    main.show();
    Open();
    TFormProj* form = Projects().Form();
    EXPECT_EQ(form->size(), QSize(152, 216));
    EXPECT_EQ(form->pos(), home());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(settings->Read("main", "ProjectsVisible"), "1");
    EXPECT_EQ(Count("Proj.FormCreate"), 1u);

    // It follows the main window, and hides and shows with it.
    const QPoint before = main.pos();
    main.move(before + QPoint(60, 40));
    EXPECT_NE(main.pos(), before);
    EXPECT_EQ(form->pos(), home());
    main.MinimiseToTray();
    EXPECT_FALSE(form->isVisible());
    main.MainWindowShown = true;
    main.show();
    EXPECT_TRUE(form->isVisible());

    // The close mark closes it as "Show projects" does.
    form->actHideProjects->trigger();
    EXPECT_FALSE(Projects().Exists());
    EXPECT_EQ(settings->Read("main", "ProjectsVisible"), "0");
    EXPECT_EQ(Count("actHideProjectsExecute"), 1u);
}

TEST_F(ProjectsTest, StoredRowIsSelectedByTheRulesAndSetsTheCurrentProject)
{
    AddProject(5, "Garden");
    AddProject(9, "Roof");
    AddTimer("a", 9);
    AddTimer("b", 0);
    struct Case
    {
        int Stored;
        int Row;
        std::int32_t CurrPrjId;
    };
    const Case cases[] = {{2, 1, 0}, {4, 4, 9}, {99, 4, 9}, {-3, 0, -1}, {3, 3, 5}};
    for (const Case& c : cases) {
        Open(c.Stored);
        EXPECT_EQ(List().SelectedRow(), c.Row) << c.Stored;
        EXPECT_EQ(app->Model().CurrPrjId, c.CurrPrjId) << c.Stored;
        Projects().actShowHideProjectsExecute();
    }

    // Without projects the last row is the separator: "Non project timers".
    app->Model().Projects.Clear();
    Open(5);
    EXPECT_EQ(List().SelectedRow(), 1);
    EXPECT_EQ(List().count(), 3);
}

TEST_F(ProjectsTest, ClicksPickTheCurrentProjectAndTheSeparatorMeansRowOne)
{
    AddProject(5, "Garden");
    AddTimer("in garden", 5);
    AddTimer("loose", 0);
    Open();
    EXPECT_EQ(MainListNames(), (std::vector<std::string> {"in garden", "loose"}));

    ClickRow(3);
    EXPECT_EQ(app->Model().CurrPrjId, 5);
    EXPECT_EQ(MainListNames(), (std::vector<std::string> {"in garden"}));
    EXPECT_EQ(settings->Read("Projects", "SelectedIndex"), "3");

    ClickRow(2);
    EXPECT_EQ(List().SelectedRow(), 1);
    EXPECT_EQ(app->Model().CurrPrjId, 0);
    EXPECT_EQ(MainListNames(), (std::vector<std::string> {"loose"}));
    EXPECT_EQ(settings->Read("Projects", "SelectedIndex"), "1");

    // Moving with the keyboard changes only the enablement.
    List().SelectRow(3);
    EXPECT_EQ(app->Model().CurrPrjId, 0);
    EXPECT_TRUE(Projects().Form()->actProjProp->isEnabled());
    EXPECT_TRUE(Projects().Form()->actStartProject->isEnabled());
    List().SelectRow(0);
    EXPECT_FALSE(Projects().Form()->actProjProp->isEnabled());
    EXPECT_FALSE(Projects().Form()->actDelProject->isEnabled());
    EXPECT_FALSE(Projects().Form()->actStopProjects->isEnabled());
}

TEST_F(ProjectsTest, DropsAssignTheSelectedTimersExceptOnTheSeparatorOrEmptySpace)
{
    AddProject(5, "Garden");
    struct Case
    {
        int Row;
        std::int32_t Expected;
    };
    const Case cases[] = {{2, 7}, {-1, 7}, {0, -1}, {1, 0}, {3, 5}};
    for (const Case& c : cases) {
        app->Model().Timers.Clear();
        TMyTimer& timer = AddTimer("t", 7);
        AddTimer("other", 7);
        Open(0);
        app->Window().List().item(0)->setSelected(true);
        Projects().lvPrjDragDrop(c.Row);
        EXPECT_EQ(timer.ProjectId, c.Expected) << c.Row;
        EXPECT_EQ(app->Model().Timers[1].ProjectId, 7) << c.Row;
        Projects().actShowHideProjectsExecute();
    }

    // Under a project view, timers dropped elsewhere leave the list.
    app->Model().Timers.Clear();
    AddTimer("g1", 5);
    AddTimer("g2", 5);
    Open(3);
    app->Window().List().item(0)->setSelected(true);
    Projects().lvPrjDragDrop(1);
    EXPECT_EQ(MainListNames(), (std::vector<std::string> {"g2"}));
}

TEST_F(ProjectsTest, CreateProposesTheNextNameAndAddsWithoutSaving)
{
    AddProject(1, "A");
    AddProject(2, "B");
    AddProject(3, "C");
    Open(1);
    const std::size_t saves = Count("SafeSave->");
    OnDialog([](TFormNewProject& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "New Project");
        EXPECT_EQ(dialog.size(), QSize(510, 357));
        EXPECT_EQ(dialog.NameEdit().text(), "New Project4");
        EXPECT_EQ(dialog.SwatchColor(), 0xFF000002u);
        EXPECT_TRUE(dialog.PriceEdit().text().isEmpty());
        dialog.OkButton().click();
    });
    Projects().Form()->actAddProject->trigger();
    ASSERT_EQ(app->Model().Projects.Count(), 4u);
    const TTimeProject& made = app->Model().Projects[3];
    EXPECT_EQ(made.Name, "New Project4");
    EXPECT_EQ(made.Id, 4);
    EXPECT_EQ(made.Color, 0xFF000002u);
    EXPECT_EQ(made.TotalPrice, Money {});
    EXPECT_EQ(made.StartDate, 0.0);
    EXPECT_EQ(made.CreationDate, clock.Now());
    EXPECT_EQ(List().count(), 7);
    EXPECT_EQ(List().SelectedRow(), 1); // the stored row, not the new one
    EXPECT_EQ(Count("SafeSave->"), saves);

    // Cancel creates nothing.
    OnDialog([](TFormNewProject& dialog) { dialog.CancelButton().click(); });
    Projects().Form()->actAddProject->trigger();
    EXPECT_EQ(app->Model().Projects.Count(), 4u);
}

TEST_F(ProjectsTest, NameTakesSixtyFourCharactersAndPriceOnlyDigitsOrANumber)
{
    Open();
    const std::string long65(65, 'n');
    OnDialog([&](TFormNewProject& dialog) {
        dialog.NameEdit().clear();
        QTest::keyClicks(&dialog.NameEdit(), QString::fromStdString(long65));
        EXPECT_EQ(dialog.NameEdit().text().size(), 64);
        QTest::keyClicks(&dialog.PriceEdit(), "1a.2 ");
        EXPECT_EQ(dialog.PriceEdit().text(), "12");
        QTest::keyClick(&dialog.PriceEdit(), Qt::Key_Backspace);
        EXPECT_EQ(dialog.PriceEdit().text(), "1");

        // Text that came in otherwise (pasted) and is no number keeps the
        // dialog open with a message.
        dialog.PriceEdit().setText("1,5x");
        dialog.OkButton().click();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_FALSE(dialog.PriceError().isHidden());
        EXPECT_FALSE(dialog.Values());

        dialog.PriceEdit().setText("125");
        EXPECT_TRUE(dialog.PriceError().isHidden());
        dialog.OkButton().click();
    });
    Projects().Form()->actAddProject->trigger();
    ASSERT_EQ(app->Model().Projects.Count(), 1u);
    EXPECT_EQ(app->Model().Projects[0].Name, std::string(64, 'n'));
    EXPECT_EQ(app->Model().Projects[0].TotalPrice, Money {1250000});
}

TEST_F(ProjectsTest, EditKeepsIdCreationDateAndReservedAmountAndSavesAtOnce)
{
    TTimeProject& project = AddProject(8, "Roof");
    project.CreationDate = 45000.5;
    project.ReservedAmount = Money {777};
    project.TotalPrice = Money {125000};
    project.StartDate = 46000;
    Open(3);
    const std::size_t saves = Count("SafeSave->");
    OnDialog([](TFormNewProject& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Project properties");
        EXPECT_EQ(dialog.NameEdit().text(), "Roof");
        EXPECT_EQ(dialog.PriceEdit().text(), "12.5");
        EXPECT_EQ(dialog.State().StartDate, 46000);
        EXPECT_EQ(dialog.State().EndDate, 0.0);
        dialog.NameEdit().setText("Roof and gutter");
        dialog.DescriptionEdit().setPlainText("north side");
        dialog.OkButton().click();
    });
    Projects().Form()->actProjProp->trigger();
    EXPECT_EQ(project.Name, "Roof and gutter");
    EXPECT_EQ(project.Description, "north side");
    EXPECT_EQ(project.Id, 8);
    EXPECT_EQ(project.CreationDate, 45000.5);
    EXPECT_EQ(project.ReservedAmount, Money {777});
    EXPECT_EQ(project.TotalPrice, Money {125000});
    EXPECT_EQ(project.StartDate, 46000);
    EXPECT_EQ(Count("SafeSave->"), saves + 1);
    EXPECT_EQ(List().item(3)->text(), "Roof and gutter");

    // A wrong price changes nothing and saves nothing.
    OnDialog([](TFormNewProject& dialog) {
        dialog.PriceEdit().setText("lots");
        dialog.NameEdit().setText("Changed");
        dialog.OkButton().click();
    });
    Projects().Form()->actProjProp->trigger();
    EXPECT_EQ(project.Name, "Roof and gutter");
    EXPECT_EQ(Count("SafeSave->"), saves + 1);
}

TEST_F(ProjectsTest, DeleteAsksTwiceAndOnlyAnAnswerDeletes)
{
    struct Case
    {
        std::vector<Answer> Answers;
        bool ProjectGone;
        std::size_t TimersLeft;
        std::int32_t LeftTimerProject;
    };
    const Case cases[] = {
        {{Answer::Yes, Answer::Yes}, true, 1, 0},   // its timers deleted
        {{Answer::Yes, Answer::No}, true, 3, 0},    // its timers moved
        {{Answer::Yes, Answer::None}, false, 3, 4}, // second question closed
        {{Answer::No}, false, 3, 4},
        {{Answer::None}, false, 3, 4},
    };
    for (const Case& c : cases) {
        app->Model().Timers.Clear();
        app->Model().Projects.Clear();
        AddProject(4, "Doomed");
        AddTimer("one", 4);
        AddTimer("two", 4);
        AddTimer("loose", 0);
        Open(3);
        std::size_t asked = 0;
        Projects().Ask = [&](const QString&) { return asked < c.Answers.size() ? c.Answers[asked++] : Answer::None; };
        Projects().Form()->actDelProject->trigger();
        EXPECT_EQ(asked, c.Answers.size());
        EXPECT_EQ(app->Model().Projects.Empty(), c.ProjectGone);
        ASSERT_EQ(app->Model().Timers.Count(), c.TimersLeft);
        EXPECT_EQ(app->Model().Timers[0].ProjectId, c.TimersLeft == 1 ? 0 : c.LeftTimerProject);
        if (c.ProjectGone) {
            // The stored row 3 is past the end now: the last row, row 1.
            EXPECT_EQ(List().count(), 3);
            EXPECT_EQ(app->Model().CurrPrjId, 0);
        }
        Projects().actShowHideProjectsExecute();
    }
}

TEST_F(ProjectsTest, StartAndStopSwitchAllTimersOfTheProject)
{
    AddProject(4, "Work");
    TMyTimer& a = AddTimer("a", 4);
    TMyTimer& b = AddTimer("b", 4);
    TMyTimer& other = AddTimer("other", 0);
    Open(3);
    Projects().Form()->actStartProject->trigger();
    EXPECT_TRUE(a.Enabled);
    EXPECT_TRUE(b.Enabled);
    EXPECT_FALSE(other.Enabled);
    Projects().Form()->actStopProjects->trigger();
    EXPECT_FALSE(a.Enabled);
    EXPECT_FALSE(b.Enabled);
}

TEST_F(ProjectsTest, ShutdownWhileTheDialogIsOpenTouchesNothing)
{
    Open();
    OnDialog([this](TFormNewProject& dialog) {
        dialog.NameEdit().setText("Late");
        app->FormCloseQuery();
    });
    Projects().Form()->actAddProject->trigger();
    EXPECT_TRUE(app->Model().Projects.Empty());
}

} // namespace
} // namespace tally
