#pragma once

#include "model/time_model.h"
#include "view/menu_options.h"
#include "view/timer_row.h"

#include <QAction>
#include <QMenu>
#include <QPixmap>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

namespace tally {

class TBrisvaleLog;
class TImageBtn;
class TimerListView;

// The main window: a frameless skinned window with picture buttons, the timer
// list and the menus. It decides nothing itself: every rule comes from the
// core, every command goes out as a signal to the application.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    MainWindow(TimeModel& model, TBrisvaleLog& log, std::function<TDateTime()> now, QWidget* parent = nullptr);

    TimerListView& List() { return *m_list; }
    // Rebuilds the list for the current project.
    void Draw();
    // Repaints the rows whose text or marks changed since they were drawn.
    void RepaintList();
    // What the desktop lets the program see; rows and hints of the timers
    // that need more say so.
    void SetDesktopSight(DesktopSight sight) { m_sight = sight; }
    const DesktopSight& Sight() const { return m_sight; }

    void SetOptionChecked(MenuOption item, bool checked);
    bool OptionChecked(MenuOption item) const;
    // The option's menu item (tests click it).
    QAction& OptionItem(MenuOption item);
    // The options menu's sharing items.
    void ShowSharing(const SharingMenu& menu);
    QAction& ShareItem() { return *m_actShare; }
    QAction& StopSharingItem() { return *m_actStopSharing; }
    void SetStatChecked(bool on) { m_actShowHideStat->setChecked(on); }
    void SetProjectsChecked(bool on) { m_actShowHideProjects->setChecked(on); }

    // While set (the statistics window is dragged), moves neither snap nor dock.
    bool SnapSuspended = false;
    bool MainWindowShown = false;
    bool InTaskbar() const { return m_inTaskbar; }

    // The actions, for the tray menu and tests.
    QAction* actExit = nullptr;
    QAction* actOpen = nullptr;
    QAction* actNewTimer = nullptr;
    QAction* actDelTimer = nullptr;
    QAction* actStartTimer = nullptr;
    QAction* actStopTimer = nullptr;
    QAction* actProperties = nullptr;
    QAction* actSelectAll = nullptr;
    QAction* actHelp = nullptr;
    QAction* actAbout = nullptr;
    QAction* actHomePage = nullptr;
    QAction* actSendComments = nullptr;

    QMenu& TimersMenu() { return *m_pMenuTimers; }
    QMenu& MainMenu() { return *m_pMenuMain; }

    // Runs the "Delete selected timers" question and, on Yes, the deletion.
    void DeleteSelectedWithQuestion();
    // Minimises to the notification area, or to the taskbar where there is
    // no notification area to come back from.
    void MinimiseToTray();
    // Where no tray icon can show: the window keeps a taskbar entry, so a
    // minimised window can be brought back. Call before the first show.
    void KeepInTaskbar();
    // Centres the window on its screen before it is first shown.
    void CentreOnFirstShow();
    // Stops the hint timer until the next mouse movement over the list.
    std::function<void()> StopHintTimer;

signals:
    void newTimerRequested();
    void propertiesRequested(tally::TMyTimer* timer);
    void startRequested(std::vector<tally::TMyTimer*> timers);
    void stopRequested(std::vector<tally::TMyTimer*> timers);
    // After the question: the application deletes, saves and redraws.
    void deleteConfirmed(std::vector<tally::TMyTimer*> timers);
    void moveToRequested(std::vector<tally::TMyTimer*> timers, std::int32_t projectId);
    void showHideStatRequested();
    void showHideProjectsRequested();
    void helpRequested();
    void aboutRequested();
    void homePageRequested();
    void sendCommentsRequested();
    void openRequested();
    void exitRequested();
    // The window manager closed the window (Alt+F4, its close button).
    void closedByWindowManager();
    void optionToggled(tally::MenuOption item, bool checked);
    void shareRequested();
    void stopSharingRequested();
    void clickSound();
    void minimised();
    // The list selection changed by a click (for the statistics window).
    void listClicked(tally::TMyTimer* first);
    void listMouseMoved(QPoint listPos, QPoint globalPos);
    void hideHintRequested();
    // Side windows follow the main window.
    void dockSideWindows();
    // The window came in front or went behind another.
    void activationChanged();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void DrawSkin();
    void CreateActions();
    void CreateMenus();
    void CreateButtons();
    TImageBtn* AddButton(const QString& name, QPoint pos, QSize size, const QString& hint);
    // Menu enablement, set as a menu opens and lifted as it closes: the skin
    // buttons, the double click and the keys act whatever a menu last showed.
    void SetControlsState();
    void EnableAllControls();
    void StartExecute();
    void StopExecute();
    void PropertiesExecute();
    void FillMoveToItems();
    void Log(const char* text);

    TimeModel& m_model;
    TBrisvaleLog& m_log;
    std::function<TDateTime()> m_now;
    // What every row of one repaint is made with.
    struct RowBatch
    {
        ListOptions Options;
        TDateTime Now = 0;
    };
    RowBatch CurrentRowBatch() const;
    std::optional<RowBatch> m_rowBatch; // during RepaintList
    QPixmap m_skin;
    TimerListView* m_list = nullptr;
    QMenu* m_pMenuTimers = nullptr;
    QMenu* m_pMenuMain = nullptr;
    QMenu* m_pMoveTo = nullptr;
    QMenu* m_options = nullptr;
    QAction* m_actShowHideStat = nullptr;
    QAction* m_actShowHideProjects = nullptr;
    std::vector<std::pair<MenuOption, QAction*>> m_optionActions;
    QAction* m_actShare = nullptr;
    QAction* m_actStopSharing = nullptr;
    bool m_snapping = false;
    bool m_placed = false;
    bool m_inTaskbar = false;
    DesktopSight m_sight;
};

} // namespace tally
