#pragma once

#include "model/timer.h"
#include "view/log_slider.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QSlider>
#include <QTimeEdit>
#include <QToolButton>
#include <QTreeWidget>

#include <functional>

namespace tally {

// "Set new timer log event time": a start and a stop time of one day.
class TFormSetTime : public QDialog
{
    Q_OBJECT

public:
    explicit TFormSetTime(QWidget* parent = nullptr);

    TDateTime StartTime() const;
    TDateTime StopTime() const;
    void SetTimes(TDateTime start, TDateTime stop);
    const QLabel& DurationLabel() const { return *m_lbDurValue; }
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void UpdateDuration();

    QTimeEdit* m_dtpSt;
    QTimeEdit* m_dtpEn;
    QLabel* m_lbDurValue;
};

// The rows of a timer's log for a day in a list whose rows keep their records.
void FillLogList(QTreeWidget& list, const TMyTimer& timer, TDateTime day);
std::vector<const TWorkPeriod*> SelectedLogPeriods(const QTreeWidget& list);

// "Edit time log": the timer's closed active periods of one day, with adding
// and deleting, and a slider over the last 367 days.
class TFormLog : public QDialog
{
    Q_OBJECT

public:
    TFormLog(TMyTimer& timer, std::function<TDateTime()> now, QWidget* parent = nullptr);

    void SetDate(TDateTime date);
    TDateTime LogDate() const { return m_logDate; }
    QSlider& Slider() { return *m_trbPos; }
    QTreeWidget& List() { return *m_lvLog; }
    void FillEditLog();
    void AddPeriod(TDateTime startTime, TDateTime stopTime);
    // Deletes the selected rows, after the question unless confirmed is given.
    void DeleteSelected(bool confirmed);
    bool BackEnabled() const;
    bool ForwardEnabled() const;

    // Plays the click (set by the application).
    std::function<void()> PlayClick;
    // The calendar of the date field, shown by the calendar button or a
    // click on the date.
    void OpenCalendar();
    QCalendarWidget& Calendar() { return *m_calendar; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void datEdChange(bool fromSlider);
    void UpdateLogButtons();
    TDateTime Today() const;

    TMyTimer& m_timer;
    std::function<TDateTime()> m_now;
    TDateTime m_logDate = 0.0;
    bool m_updating = false;
    QDateEdit* m_datEd;
    QTreeWidget* m_lvLog;
    QSlider* m_trbPos;
    QToolButton* m_tBtnMonBack;
    QToolButton* m_tBtnDayBack;
    QToolButton* m_tBtnDayForw;
    QToolButton* m_tBtnMonForw;
    QFrame* m_calendarPopup;
    QCalendarWidget* m_calendar;
};

} // namespace tally
