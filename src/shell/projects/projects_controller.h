#pragma once

#include "model/time_model.h"
#include "shell/common/side_window.h"
#include "shell/projects/projects_window.h"
#include "view/projects_logic.h"

#include <QPointer>
#include <QString>

#include <functional>
#include <string>
#include <vector>

namespace tally {

class MainWindow;
class TFormNewProject;
class TrackingEngine;

// What the projects window works with; all of it outlives the controller.
struct ProjectsEnv
{
    SideWindowParts Parts;
    TimeModel& Model;
    MainWindow& Window;
    TrackingEngine& Engine;
    // The safe save, its failures reported by the caller.
    std::function<void()> Save;
    std::function<TDateTime()> Now;
    std::function<void()> PlayClick;
};

// The projects window's life and commands: "Show projects" creates and
// destroys the window, it follows the main window, and its actions create,
// edit, delete, start and stop projects.
class ProjectsController : public SideWindowController
{
    Q_OBJECT

public:
    explicit ProjectsController(ProjectsEnv env, QObject* parent = nullptr);
    ~ProjectsController() override;

    // "Show projects": opens the window, or closes it when it is open.
    void actShowHideProjectsExecute();
    bool Exists() const { return m_form != nullptr; }
    // The window while it exists, else null.
    TFormProj* Form() const { return m_form; }
    // Docks the window to the main window's left side; only while it exists.
    void SetHomePos();
    void DrawProjects();
    void SetProjControlsState();
    // The project of the selected row; null for the fixed rows, no row or a
    // closed window.
    const TTimeProject* SelectedProject() const;

    void lvPrjClick();
    void lvPrjDragDrop(int row);
    void actAddProjectExecute();
    void actDelProjectExecute();
    void actStartProjectExecute(bool on);
    void actProjPropExecute();
    void actHideProjectsExecute();

    // The statistics window, once it exists: whether it is open and visible,
    // and what it shows (null for nothing).
    std::function<bool()> StatVisible;
    std::function<void(const TTimeProject*)> SetStatObject;

    // Called with each project dialog before it opens (tests drive it).
    std::function<void(TFormNewProject&)> DialogOpening;

protected:
    QWidget* SideWindow() const override { return m_form; }
    void MainShownOrHidden(bool shown) override;

private:
    void ShowHide();
    void CreateForm();
    void TellStatistics(const TTimeProject* project);

    ProjectsEnv m_env;
    QPointer<TFormProj> m_form;
    std::vector<ProjectRow> m_rows;
};

} // namespace tally
