#pragma once

#include "shell/statistics/histogram_page.h"
#include "stats/histogram.h"
#include "stats/stat_dates.h"
#include "stats/stat_log.h"
#include "stats/text_stat.h"
#include "view/all_computers.h"
#include "view/stat_window.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QSlider>
#include <QStackedWidget>
#include <QTabBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QWidget>

#include <string>
#include <vector>

namespace tally {

// The text page: the chosen day's figures and the totals.
class TextStatPage : public QWidget
{
    Q_OBJECT

public:
    explicit TextStatPage(QWidget* parent = nullptr);
    void Show(const TextStat& page);
    // The computers' lines under the figures; none hides them.
    void ShowComputers(const std::vector<std::string>& lines);

    QLabel* lbOnDate;
    QLabel* lbtodayact;
    QLabel* lbtodayBack;
    QLabel* lbtodaySumm;
    QLabel* lbtotalAct;
    QLabel* lbtotalBack;
    QLabel* lbtotalSumm;
    QLabel* lbCreation;
    QLabel* lbComputers;
};

// The time-log page: one day's closed active periods of one timer.
class LogStatPage : public QWidget
{
    Q_OBJECT

public:
    explicit LogStatPage(QWidget* parent = nullptr);
    // Rebuilds the list in one batch; the rows keep their records.
    void Show(const LogPage& page);
    // Every computer's rows, with a column naming the computer.
    void Show(const ComputerLogPage& page);
    std::vector<const TWorkPeriod*> SelectedPeriods() const;
    // Per selected row: whether it is another computer's.
    std::vector<bool> SelectedReadOnly() const;

    QLabel* lbLog;
    QTreeWidget* lvLog;
    QMenu* pMenuLog;
};

// The window's menu commands besides the date steps and the view ticks.
enum class StatCommand { AddLogItem, DeleteLogItems, SetPeriod, Print, Export, Close };
// The chart's view ticks.
enum class ViewTick { Marks, Borders, Legend, FullDate };

// The statistics window docked to the main window's right side. It decides
// nothing: it hands out its view options as a value and takes them back, and
// tells through its signals what the user asked for.
class TFormStat : public QWidget
{
    Q_OBJECT

public:
    explicit TFormStat(QWidget* parent = nullptr);

    void SetCaption(const std::string& text);
    void SetMaximisedPicture(bool maximised);
    StatPage ShownPage() const;
    void ShowPage(StatPage page);
    void ApplyControls(const StatControls& controls);
    // The view ticks and the checked unit; Set checks the items without
    // emitting their signals.
    ChartOptions ViewOptions() const;
    void SetViewOptions(const ChartOptions& options);

    TextStatPage& TextPage() { return *m_tsInfo; }
    LogStatPage& LogPage() { return *m_tsLog; }
    THistogramPage& ChartPage() { return *m_tsChart; }
    QTabBar& Tabs() { return *m_TabSet1; }
    QSlider& DateBar() { return *m_trbPos; }
    QSlider& VisibleDaysBar() { return *m_trbScaleX; }
    bool VisibleDaysShown() const { return m_scaleXAction->isVisible(); }
    QMenu& PopupMenu() { return *m_PopupMenu1; }
    QToolButton& MenuButton() { return *m_menuButton; }
    QLabel& Caption() { return *m_panCapt; }
    // The items behind the signals, by name, for the tests: the day and
    // month buttons ("Goto today" is the action of DateButton::Today).
    QToolButton& StepButton(DateButton button);
    QAction& TodayItem() { return *m_actGotoToday; }
    QAction& Command(StatCommand command);
    QAction& Tick(ViewTick tick);
    QAction& UnitItem(ChartUnit unit);
    // "All computers": shown only while a folder is shared.
    QAction& AllComputersItem() { return *m_allComputers; }
    void SetAllComputers(bool offered, bool ticked);

signals:
    void shown();
    // A close request from the window system (FormCloseQuery).
    void closeRequested();
    void captionPressed();
    void captionReleased();
    void maximiseClicked();
    void closeClicked();
    void tabPressed();
    void dateStepClicked(tally::DateButton button);
    void commandChosen(tally::StatCommand command);
    void viewTickToggled(tally::ViewTick tick, bool ticked);
    void unitChosen(tally::ChartUnit unit);
    void allComputersToggled(bool ticked);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateMask();
    void BuildMenu();

    QLabel* m_panCapt;
    QLabel* m_Image1;
    QLabel* m_Label14;
    QStackedWidget* m_pages;
    TextStatPage* m_tsInfo;
    THistogramPage* m_tsChart;
    LogStatPage* m_tsLog;
    QWidget* m_tabStrip;
    QTabBar* m_TabSet1;
    QSlider* m_trbPos;
    QSlider* m_trbScaleX;
    QAction* m_scaleXAction;
    QAction* m_logSeparator; // the bottom bar's, before the log buttons
    QAction* m_N2;           // the menu's, after the log items
    QMenu* m_PopupMenu1;
    QToolButton* m_menuButton;
    QToolButton* m_tBtnMonBack;
    QToolButton* m_tBtnDayBack;
    QToolButton* m_tBtnDayForw;
    QToolButton* m_tBtnMonForw;
    QAction* m_actGotoToday;
    QAction* m_actAddLogItem;
    QAction* m_actDelLogItem;
    QAction* m_pSetPeriod;
    QAction* m_pPrint;
    QAction* m_pExport;
    QAction* m_pClose;
    QAction* m_ticks[4];
    QAction* m_units[3];
    QAction* m_allComputers;
};

} // namespace tally
