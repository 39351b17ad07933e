#pragma once

#include "shell/statistics/histogram_page.h"
#include "stats/stat_dates.h"
#include "stats/stat_log.h"
#include "stats/text_stat.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QSlider>
#include <QStackedWidget>
#include <QTabBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QWidget>

#include <vector>

namespace tally {

// The text page: the chosen day's figures and the totals.
class TextStatPage : public QWidget
{
    Q_OBJECT

public:
    explicit TextStatPage(QWidget* parent = nullptr);
    void Show(const TextStat& page);

    QLabel* lbOnDate;
    QLabel* lbtodayact;
    QLabel* lbtodayBack;
    QLabel* lbtodaySumm;
    QLabel* lbtotalAct;
    QLabel* lbtotalBack;
    QLabel* lbtotalSumm;
    QLabel* lbCreation;
};

// The time-log page: one day's closed active periods of one timer.
class LogStatPage : public QWidget
{
    Q_OBJECT

public:
    explicit LogStatPage(QWidget* parent = nullptr);
    // Rebuilds the list in one batch; the rows keep their records.
    void Show(const LogPage& page);
    std::vector<const TWorkPeriod*> SelectedPeriods() const;

    QLabel* lbLog;
    QTreeWidget* lvLog;
    QMenu* pMenuLog;
};

// The statistics window docked to the main window's right side. It decides
// nothing: its commands reach the controller as actions and signals.
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

    QToolButton* tBtnMonBack;
    QToolButton* tBtnDayBack;
    QToolButton* tBtnDayForw;
    QToolButton* tBtnMonForw;
    QAction* actGotoToday;
    QAction* actAddLogItem;
    QAction* actDelLogItem;
    QAction* pSetPeriod;
    QAction* pShowMarks;
    QAction* pShowBorders;
    QAction* pShowLegend;
    QAction* pShowFullDate;
    QAction* pSec;
    QAction* pMin;
    QAction* pHour;
    QAction* pPrint;
    QAction* pExport;
    QAction* pClose;

signals:
    void shown();
    // A close request from the window system (FormCloseQuery).
    void closeRequested();
    void captionPressed();
    void captionReleased();
    void maximiseClicked();
    void closeClicked();
    void tabPressed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateMask();

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
};

} // namespace tally
