#include "shell/projects_controller.h"

#include "model/project_ops.h"
#include "runlog/brisvale_log.h"
#include "shell/main_window.h"
#include "shell/project_dialog.h"
#include "shell/projects_window.h"
#include "shell/screen_fit.h"
#include "shell/stat_window.h"
#include "shell/timer_list_view.h"
#include "storage/options.h"
#include "tracking/tracking_engine.h"
#include "view/main_list.h"

#include <QApplication>
#include <QDropEvent>
#include <QEvent>
#include <QMessageBox>
#include <QPushButton>

namespace tally {

namespace {

ProjectsController::Answer AskWithMessageBox(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirmation"), text, QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(QMessageBox::Yes);
    QPushButton* no = box.addButton(QMessageBox::No);
    // Closing the question is no answer, not "No": a hidden button takes
    // Esc and the window's close.
    QPushButton* none = box.addButton(QMessageBox::Cancel);
    none->hide();
    box.setEscapeButton(none);
    box.setDefaultButton(no);
    box.exec();
    if (box.clickedButton() == yes) {
        return ProjectsController::Answer::Yes;
    }
    if (box.clickedButton() == no) {
        return ProjectsController::Answer::No;
    }
    return ProjectsController::Answer::None;
}

} // namespace

ProjectsController::ProjectsController(ProjectsEnv env, QObject* parent)
    : QObject(parent)
    , m_env(std::move(env))
{
    Ask = [this](const QString& text) { return AskWithMessageBox(m_form, text); };
    MainWindow* w = &m_env.Window;
    connect(w, &MainWindow::showHideProjectsRequested, this, [this] {
        // The menu item has written its log line.
        Guarded([this] { ShowHide(); });
    });
    connect(w, &MainWindow::dockSideWindows, this, &ProjectsController::SetHomePos);
    // Shown and hidden together with the main window.
    w->installEventFilter(this);
}

ProjectsController::~ProjectsController()
{
    m_env.Window.removeEventFilter(this);
    delete m_form.data();
}

template <typename F>
void ProjectsController::Guarded(F&& f)
{
    try {
        f();
    } catch (const std::exception& e) {
        if (m_env.ReportError) {
            m_env.ReportError(e.what());
        }
    }
}

bool ProjectsController::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_env.Window && (event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
        SetHomePos();
    }
    return QObject::eventFilter(watched, event);
}

void ProjectsController::Remember(const char* what, const std::function<void()>& write)
{
    // A settings file that cannot be written must not undo what the user
    // just did on the screen.
    try {
        write();
    } catch (const std::exception& e) {
        m_env.Log.WriteLine(0, std::string(what) + " failed");
        if (m_env.ReportError) {
            m_env.ReportError(e.what());
        }
    }
}

void ProjectsController::actShowHideProjectsExecute()
{
    m_env.Log.WriteLine(0, "actShowHideProjectsExecute->");
    ShowHide();
}

void ProjectsController::ShowHide()
{
    if (m_form) {
        // Destroyed once the event that asked for it (a press on its own
        // close mark, say) has been handled.
        m_form->hide();
        m_form->deleteLater();
        m_form = nullptr;
        m_rows.clear();
        m_env.Window.SetProjectsChecked(false);
        Remember("ProjectsVisible", [this] { WriteSetting(m_env.Settings, setting::ProjectsVisible, false); });
        return;
    }
    CreateForm();
    SetHomePos();
    DrawProjects();
    m_env.Window.SetProjectsChecked(true);
}

void ProjectsController::CreateForm()
{
    m_env.Log.WriteLine(0, "Proj.FormCreate");
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
    Remember("ProjectsVisible", [this] { WriteSetting(m_env.Settings, setting::ProjectsVisible, true); });
}

void ProjectsController::SetHomePos()
{
    if (!m_form) {
        return;
    }
    m_env.Log.WriteLine(1, "Proj.SetHomePos");
    // On the main window's left, or its right (past the statistics window)
    // where the left has no room.
    std::optional<WindowGeometry> stat;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (qobject_cast<TFormStat*>(window) && window->isVisible()) {
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
    m_env.Log.WriteLine(0, "DrawProjects");
    m_rows = ProjectRows(m_env.Model);
    m_form->List().SetRows(m_rows);
    const int row = RowForSelectedIndex(ReadSelectedIndex(m_env.Settings), m_rows.size());
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
    m_env.Log.WriteLine(0, "lvPrjClick");
    if (!m_form) {
        return;
    }
    const int selected = m_form->List().SelectedRow();
    if (selected >= 0 && static_cast<std::size_t>(selected) < m_rows.size()) {
        const int row = RowForClick(selected);
        if (row != selected) {
            m_form->List().SelectRow(row);
        }
        Remember("SelectedIndex", [this, row] { WriteSetting(m_env.Settings, setting::SelectedIndex, row); });
        m_env.Model.CurrPrjId = m_rows[static_cast<std::size_t>(row)].Id;
        m_env.Window.Draw();
    }
    TellStatistics(SelectedProject());
}

void ProjectsController::lvPrjDragDrop(int row)
{
    m_env.Log.WriteLine(0, "lvPrjDragDrop");
    const std::optional<std::int32_t> id = DropTargetId(row, m_rows);
    if (!id) {
        return;
    }
    if (MoveSelectedTimers(m_env.Window.List().SelectedTimers(), *id, m_env.Log)) {
        m_env.Window.Draw();
    }
    m_env.Window.Draw();
}

void ProjectsController::actAddProjectExecute()
{
    m_env.Log.WriteLine(0, "actAddProjectExecute");
    m_env.PlayClick();
    TFormNewProject dialog;
    dialog.Load(NewProjectState(m_env.Model.Projects.Count()), false);
    if (DialogOpening) {
        DialogOpening(dialog);
    }
    const int result = dialog.exec();
    if (m_env.ShutDown()) {
        // The program ended while the dialog was open; the lists are gone.
        return;
    }
    if (result == QDialog::Accepted && dialog.Values()) {
        AddProject(m_env.Model, *dialog.Values(), m_env.Now(), m_env.Settings, m_env.Log);
        DrawProjects();
    }
}

void ProjectsController::actProjPropExecute()
{
    m_env.Log.WriteLine(0, "actProjPropExecute");
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
    if (m_env.ShutDown()) {
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
    m_env.Log.WriteLine(0, "actDelProjectExecute");
    m_env.PlayClick();
    const TTimeProject* selected = SelectedProject();
    if (!selected) {
        return;
    }
    const std::int32_t id = selected->Id;
    if (Ask(QStringLiteral("Are you sure you want to delete selected projects?")) != Answer::Yes || m_env.ShutDown()) {
        return;
    }
    const Answer timers = Ask(QStringLiteral("Do you want to delete all timers associated with this project?"));
    const TTimeProject* project = m_env.Model.Projects.FindById(id);
    if (timers == Answer::None || m_env.ShutDown() || !project) {
        return;
    }
    DeleteProject(m_env.Model, *project, timers == Answer::Yes);
    DrawProjects();
    m_env.Window.Draw();
    TellStatistics(nullptr);
}

void ProjectsController::actStartProjectExecute(bool on)
{
    m_env.Log.WriteLine(0, on ? "actStartProjectExecute" : "actStopProjectsExecute");
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
    m_env.Log.WriteLine(0, "actHideProjectsExecute");
    if (m_form) {
        actShowHideProjectsExecute();
    }
}

} // namespace tally
