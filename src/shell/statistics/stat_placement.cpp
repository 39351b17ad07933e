// Where the statistics window sits: docked beside the main window, or maximised.
#include "shell/statistics/stat_controller.h"

#include "runlog/brisvale_log.h"
#include "shell/common/screen_fit.h"
#include "shell/main_window/main_window.h"
#include "shell/projects/projects_controller.h"
#include "shell/projects/projects_window.h"
#include "view/stat_window.h"

#include <QGuiApplication>
#include <QScreen>

namespace tally {

void StatController::SetHomePos()
{
    if (!m_form) {
        return;
    }
    Log().WriteLine(1, "Stat.SetHomePos->");
    const QRect main = m_env.Window.frameGeometry();
    // On the main window's right, or its left (past the projects window)
    // where the right has no room; the projects window then docks past this.
    const TFormProj* projects = m_env.Projects.Form();
    const auto occupied
        = projects && projects->isVisible() ? std::optional(ToGeometry(projects->frameGeometry())) : std::nullopt;
    const WindowGeometry home = DockBeside(ToGeometry(main),
                                           kStatWidth,
                                           kStatHeight,
                                           kStatHomeOffsetY,
                                           DockSide::Right,
                                           WorkAreaOf(m_env.Window),
                                           occupied);
    m_form->setGeometry(home.X, home.Y, home.Width, home.Height);
    m_env.Projects.SetHomePos();
    m_maximised = false;
    m_form->SetMaximisedPicture(false);
    Log().WriteLine(0, "Stat.SetHomePos-<");
}

void StatController::Image1Click()
{
    if (!m_form) {
        return;
    }
    if (m_maximised) {
        SetHomePos();
        return;
    }
    QScreen* screen = m_form->screen() ? m_form->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        return;
    }
    const QRect area = screen->availableGeometry();
    const StatMaximised to = MaximiseStat(area.width(), area.height());
    // The main window's move docks the side windows first.
    m_env.Window.move(m_env.Window.x(), area.y() + to.MainTop);
    Log().WriteLine(0, "formTop");
    m_env.Window.SnapSuspended = true;
    m_form->setMaximumHeight(to.MaxHeight);
    Log().WriteLine(0, "MaxHeight");
    m_form->setGeometry(area.x() + to.Stat.X, area.y() + to.Stat.Y, to.Stat.Width, to.Stat.Height);
    Log().WriteLine(0, "WH");
    m_maximised = true;
    m_form->SetMaximisedPicture(true);
    m_env.Projects.SetHomePos();
}

} // namespace tally
