#include "shell/projects/projects_controller.h"

#include "model/project_ops.h"
#include "runlog/brisvale_log.h"
#include "shell/common/screen_fit.h"
#include "shell/main_window/main_window.h"
#include "shell/main_window/timer_list_view.h"
#include "shell/projects/project_dialog.h"
#include "shell/projects/projects_window.h"
#include "storage/options.h"
#include "tracking/tracking_engine.h"
#include "view/main_list.h"

#include <QApplication>
#include <QDropEvent>
#include <QEvent>

namespace tally {

ProjectsController::ProjectsController(ProjectsEnv env, QObject* parent)
    : SideWindowController(env.Window, env.Parts, parent)
    , m_env(std::move(env))
{
    MainWindow* w = &m_env.Window;
    connect(w, &MainWindow::showHideProjectsRequested, this, [this] {
        // The menu item has written its log line.
        Guarded([this] { ShowHide(); });
    });
    connect(w, &MainWindow::dockSideWindows, this, &ProjectsController::SetHomePos);
}

ProjectsController::~ProjectsController()
{
    delete m_form.data();
}

void ProjectsController::MainShownOrHidden(bool)
{
    // Shown and hidden together with the main window.
    SetHomePos();
}

void ProjectsController::actShowHideProjectsExecute()
{
    Log().WriteLine(0, "actShowHideProjectsExecute->");
    ShowHide();
}

void ProjectsController::ShowHide()
{
    if (m_form) {
        Release(*m_form);
        m_form = nullptr;
        m_rows.clear();
        m_env.Window.SetProjectsChecked(false);
        RememberOpen(setting::ProjectsVisible, false);
        return;
    }
    CreateForm();
    SetHomePos();
    DrawProjects();
    m_env.Window.SetProjectsChecked(true);
}

void ProjectsController::CreateForm()
{
    Log().WriteLine(0, "Proj.FormCreate");
    m_form = new TFormProj;
    m_form->setAttribute(Qt::WA_ShowWithoutActivating);
    TFormProj* f = m_form;
    f->List().AcceptsDrag = [this](const QDropEvent* event) {
        const TimerListView& source = m_env.Window.List();
        return event->source() == &source || event->source() == source.viewport();
    };
    connect(&f->List(), &ProjectListView::timersDropped, this, [this](int row) {
        Guarded([this, row] { lvPrjDragDrop(row); });
    });
    connect(f, &TFormProj::rowClicked, this, [this] { Guarded([this] { lvPrjClick(); }); });
    connect(f, &TFormProj::rowDoubleClicked, this, [this](int row) {
        if (IsProjectRow(row)) {
            Guarded([this] { actProjPropExecute(); });
        }
    });
    connect(f, &TFormProj::selectionMoved, this, &ProjectsController::SetProjControlsState);
    connect(f, &TFormProj::menuOpening, this, &ProjectsController::SetProjControlsState);
    connect(f->actAddProject, &QAction::triggered, this, [this] { Guarded([this] { actAddProjectExecute(); }); });
    connect(f->actDelProject, &QAction::triggered, this, [this] { Guarded([this] { actDelProjectExecute(); }); });
    connect(
        f->actStartProject, &QAction::triggered, this, [this] { Guarded([this] { actStartProjectExecute(true); }); });
    connect(
        f->actStopProjects, &QAction::triggered, this, [this] { Guarded([this] { actStartProjectExecute(false); }); });
    connect(f->actProjProp, &QAction::triggered, this, [this] { Guarded([this] { actProjPropExecute(); }); });
    connect(f->actHideProjects, &QAction::triggered, this, [this] { Guarded([this] { actHideProjectsExecute(); }); });
    m_env.Window.SetProjectsChecked(true);
    RememberOpen(setting::ProjectsVisible, true);
}

void ProjectsController::SetHomePos()
{
    if (!m_form) {
        return;
    }
    Log().WriteLine(1, "Proj.SetHomePos");
    // On the main window's left, or its right (past the statistics window)
    // where the left has no room.
    std::optional<WindowGeometry> stat;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        // By class name: the statistics window comes from a part loaded
        // when it is first opened.
        if (window->inherits("tally::TFormStat") && window->isVisible()) {
            stat = ToGeometry(window->frameGeometry());
        }
    }
    const WindowGeometry home = DockBeside(ToGeometry(m_env.Window.frameGeometry()),
                                           m_form->width(),
                                           m_form->height(),
                                           TFormProj::kHomeOffsetY,
                                           DockSide::Left,
                                           WorkAreaOf(m_env.Window),
                                           stat);
    m_form->move(home.X, home.Y);
    m_form->setVisible(m_env.Window.MainWindowShown);
}

void ProjectsController::DrawProjects()
{
    if (!m_form) {
        return;
    }
    Log().WriteLine(0, "DrawProjects");
    m_rows = ProjectRows(m_env.Model);
    m_form->List().SetRows(m_rows);
    const int row = RowForSelectedIndex(ReadSelectedIndex(Settings()), m_rows.size());
    m_form->List().SelectRow(row);
    m_env.Model.CurrPrjId = m_rows[static_cast<std::size_t>(row)].Id;
    m_env.Window.Draw();
    SetProjControlsState();
}

void ProjectsController::SetProjControlsState()
{
    if (!m_form) {
        return;
    }
    m_form->ApplyControlsState(tally::SetProjControlsState(m_form->List().SelectedRow(), m_rows, m_env.Model));
}

const TTimeProject* ProjectsController::SelectedProject() const
{
    if (!m_form) {
        return nullptr;
    }
    return ProjectOfRow(m_form->List().SelectedRow(), m_rows, m_env.Model.Projects);
}

void ProjectsController::TellStatistics(const TTimeProject* project)
{
    if (SetStatObject && StatVisible && StatVisible()) {
        SetStatObject(project);
    }
}

void ProjectsController::lvPrjClick()
{
    Log().WriteLine(0, "lvPrjClick");
    if (!m_form) {
        return;
    }
    const int selected = m_form->List().SelectedRow();
    if (selected >= 0 && static_cast<std::size_t>(selected) < m_rows.size()) {
        const int row = RowForClick(selected);
        if (row != selected) {
            m_form->List().SelectRow(row);
        }
        Remember("SelectedIndex", [this, row] { WriteSetting(Settings(), setting::SelectedIndex, row); });
        m_env.Model.CurrPrjId = m_rows[static_cast<std::size_t>(row)].Id;
        m_env.Window.Draw();
    }
    TellStatistics(SelectedProject());
}

void ProjectsController::lvPrjDragDrop(int row)
{
    Log().WriteLine(0, "lvPrjDragDrop");
    const std::optional<std::int32_t> id = DropTargetId(row, m_rows);
    if (!id) {
        return;
    }
    if (MoveSelectedTimers(m_env.Window.List().SelectedTimers(), *id, Log())) {
        m_env.Window.Draw();
    }
    m_env.Window.Draw();
}

void ProjectsController::actAddProjectExecute()
{
    Log().WriteLine(0, "actAddProjectExecute");
    m_env.PlayClick();
    TFormNewProject dialog;
    dialog.Load(NewProjectState(m_env.Model.Projects.Count()), false);
    if (DialogOpening) {
        DialogOpening(dialog);
    }
    const int result = dialog.exec();
    if (ShuttingDown()) {
        // The program ended while the dialog was open; the lists are gone.
        return;
    }
    if (result == QDialog::Accepted && dialog.Values()) {
        AddProject(m_env.Model, *dialog.Values(), m_env.Now(), Settings(), Log());
        DrawProjects();
    }
}

void ProjectsController::actProjPropExecute()
{
    Log().WriteLine(0, "actProjPropExecute");
    const TTimeProject* selected = SelectedProject();
    if (!selected) {
        return;
    }
    const std::int32_t id = selected->Id;
    TFormNewProject dialog;
    dialog.Load(EditProjectState(*selected), true);
    if (DialogOpening) {
        DialogOpening(dialog);
    }
    const int result = dialog.exec();
    if (ShuttingDown()) {
        return;
    }
    TTimeProject* project = m_env.Model.Projects.FindById(id);
    if (result == QDialog::Accepted && dialog.Values() && project) {
        UpdateProject(*project, *dialog.Values(), m_env.Save);
        DrawProjects();
    }
}

void ProjectsController::actDelProjectExecute()
{
    Log().WriteLine(0, "actDelProjectExecute");
    m_env.PlayClick();
    const TTimeProject* selected = SelectedProject();
    if (!selected) {
        return;
    }
    const std::int32_t id = selected->Id;
    if (Ask(QStringLiteral("Are you sure you want to delete selected projects?")) != Answer::Yes || ShuttingDown()) {
        return;
    }
    const Answer timers = Ask(QStringLiteral("Do you want to delete all timers associated with this project?"));
    const TTimeProject* project = m_env.Model.Projects.FindById(id);
    if (timers == Answer::None || ShuttingDown() || !project) {
        return;
    }
    DeleteProject(m_env.Model, *project, timers == Answer::Yes);
    DrawProjects();
    m_env.Window.Draw();
    TellStatistics(nullptr);
}

void ProjectsController::actStartProjectExecute(bool on)
{
    Log().WriteLine(0, on ? "actStartProjectExecute" : "actStopProjectsExecute");
    m_env.PlayClick();
    const TTimeProject* project = SelectedProject();
    if (!project) {
        return;
    }
    if (!on) {
        // The running periods get their time up to now before they close.
        std::vector<TMyTimer*> timers;
        for (TMyTimer& timer : m_env.Model.Timers) {
            if (timer.ProjectId == project->Id) {
                timers.push_back(&timer);
            }
        }
        m_env.Engine.CountUpToNow(timers);
    }
    StartProject(m_env.Model.Timers, *project, on);
}

void ProjectsController::actHideProjectsExecute()
{
    Log().WriteLine(0, "actHideProjectsExecute");
    if (m_form) {
        actShowHideProjectsExecute();
    }
}

} // namespace tally
