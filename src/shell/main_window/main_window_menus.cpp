#include "shell/main_window/main_window.h"

#include "runlog/brisvale_log.h"
#include "shell/main_window/timer_list_view.h"

#include <QMenu>

// The main window's actions and menus.
namespace tally {

void MainWindow::CreateActions()
{
    auto make = [this](const QString& caption, const char* logLine, auto signal) {
        auto* action = new QAction(caption, this);
        connect(action, &QAction::triggered, this, [this, logLine, signal] {
            if (logLine) {
                Log(logLine);
            }
            (this->*signal)();
        });
        addAction(action);
        return action;
    };
    actExit = make(QStringLiteral("Exit"), "actExitExecute->", &MainWindow::exitRequested);
    // "Open" logs where it runs, since the first launch opens without the action.
    actOpen = make(QStringLiteral("Open"), nullptr, &MainWindow::openRequested);
    actNewTimer = make(QStringLiteral("New timer"), "actNewTimerExecute->", &MainWindow::newTimerRequested);
    actNewTimer->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    actHelp = make(QStringLiteral("Help"), "actHelpExecute->", &MainWindow::helpRequested);
    actAbout = make(QStringLiteral("About Tallyhour Zide"), "actAboutExecute->", &MainWindow::aboutRequested);
    actHomePage = make(QStringLiteral("Homepage"), "actHomePageExecute->", &MainWindow::homePageRequested);
    actSendComments
        = make(QStringLiteral("Send comments"), "actSendCommentsExecute->", &MainWindow::sendCommentsRequested);

    actDelTimer = new QAction(QStringLiteral("Delete selected timers"), this);
    connect(actDelTimer, &QAction::triggered, this, [this] {
        Log("actDelTimerExecute->");
        DeleteSelectedWithQuestion();
    });
    actStartTimer = new QAction(QStringLiteral("Start timer"), this);
    connect(actStartTimer, &QAction::triggered, this, &MainWindow::StartExecute);
    actStopTimer = new QAction(QStringLiteral("Stop timer"), this);
    connect(actStopTimer, &QAction::triggered, this, &MainWindow::StopExecute);
    actProperties = new QAction(QStringLiteral("Timer properties"), this);
    connect(actProperties, &QAction::triggered, this, &MainWindow::PropertiesExecute);
    actSelectAll = new QAction(QStringLiteral("Select all timers"), this);
    actSelectAll->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    addAction(actSelectAll);
    connect(actSelectAll, &QAction::triggered, this, [this] {
        Log("actSelectAllExecute->");
        m_list->selectAll();
        Log("lvClick->");
        emit hideHintRequested();
        auto selected = m_list->SelectedTimers();
        emit listClicked(selected.empty() ? nullptr : selected.front());
        m_list->viewport()->update();
    });
    m_actShowHideStat = new QAction(QStringLiteral("Show statistic"), this);
    m_actShowHideStat->setCheckable(true);
    connect(m_actShowHideStat, &QAction::triggered, this, [this] {
        Log("actShowHideStatExecute->");
        emit showHideStatRequested();
    });
    m_actShowHideProjects = new QAction(QStringLiteral("Show projects"), this);
    m_actShowHideProjects->setCheckable(true);
    connect(m_actShowHideProjects, &QAction::triggered, this, [this] {
        Log("actShowHideProjectsExecute->");
        emit showHideProjectsRequested();
    });
}

void MainWindow::CreateMenus()
{
    m_pMenuTimers = new QMenu(this);
    m_pMenuTimers->addAction(actNewTimer);
    m_pMenuTimers->addAction(actDelTimer);
    m_pMenuTimers->addSeparator();
    m_pMenuTimers->addAction(actStartTimer);
    m_pMenuTimers->addAction(actStopTimer);
    m_pMenuTimers->addAction(actSelectAll);
    m_pMoveTo = m_pMenuTimers->addMenu(QStringLiteral("Assign selected timers to the project"));
    m_pMenuTimers->addSeparator();
    m_pMenuTimers->addAction(m_actShowHideStat);
    m_pMenuTimers->addAction(actProperties);

    m_pMenuMain = new QMenu(this);
    QMenu* timers = m_pMenuMain->addMenu(QStringLiteral("Timers"));
    timers->addAction(actNewTimer);
    timers->addAction(actDelTimer);
    timers->addSeparator();
    timers->addAction(actStartTimer);
    timers->addAction(actStopTimer);
    timers->addAction(actSelectAll);
    timers->addSeparator();
    QAction* properties = timers->addAction(QStringLiteral("Timer properties"));
    properties->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Return));
    connect(properties, &QAction::triggered, actProperties, &QAction::trigger);
    connect(actProperties, &QAction::changed, properties, [properties, this] {
        properties->setEnabled(actProperties->isEnabled());
    });
    m_pMenuMain->addAction(m_actShowHideStat);
    m_pMenuMain->addAction(m_actShowHideProjects);
    m_pMenuMain->addAction(actHomePage);
    m_pMenuMain->addAction(actHelp);
    m_pMenuMain->addAction(actAbout);
    m_pMenuMain->addSeparator();
    m_options = m_pMenuMain->addMenu(QStringLiteral("Options"));
    const std::pair<MenuOption, QString> items[] = {
        {MenuOption::AutoRun, QStringLiteral("Load at windows startup")},
        {MenuOption::SoundOn, QStringLiteral("Sound on")},
        {MenuOption::ShowSplash, QStringLiteral("Show loading window")},
        {MenuOption::ShowHints, QStringLiteral("Show hints")},
        {MenuOption::ShowTodayTime, QStringLiteral("Show today time")},
        {MenuOption::ShowColor, QStringLiteral("Show timers color")},
    };
    for (const auto& [item, caption] : items) {
        QAction* action = m_options->addAction(caption);
        action->setCheckable(true);
        action->setChecked(item != MenuOption::ShowColor);
        const MenuOption which = item;
        connect(action, &QAction::triggered, this, [this, which](bool checked) { emit optionToggled(which, checked); });
        m_optionActions.emplace_back(item, action);
    }
    m_options->addSeparator();
    m_actShare = m_options->addAction(QString::fromLatin1(kShareItem));
    connect(m_actShare, &QAction::triggered, this, &MainWindow::shareRequested);
    m_actStopSharing = m_options->addAction(QString::fromLatin1(kStopSharingItem));
    m_actStopSharing->setEnabled(false);
    connect(m_actStopSharing, &QAction::triggered, this, &MainWindow::stopSharingRequested);
    m_options->setToolTipsVisible(true);
    m_pMenuMain->addSeparator();
    m_pMenuMain->addAction(actExit);
    connect(m_pMenuMain, &QMenu::aboutToShow, this, [this] {
        Log("PMenuMainPopup->");
        SetControlsState();
        if (StopHintTimer) {
            StopHintTimer();
        }
    });
    // The enablement is for the open menu only: the shortcuts (Ctrl+A) live
    // on the same actions and must not stay off once the menu is gone.
    connect(m_pMenuMain, &QMenu::aboutToHide, this, &MainWindow::EnableAllControls);
    connect(m_pMenuTimers, &QMenu::aboutToHide, this, &MainWindow::EnableAllControls);
}

void MainWindow::ShowSharing(const SharingMenu& menu)
{
    m_actStopSharing->setEnabled(menu.StopEnabled);
    m_actShare->setToolTip(QString::fromStdString(menu.ShareTip));
}

} // namespace tally
