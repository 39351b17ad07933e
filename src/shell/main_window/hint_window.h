#pragma once

#include "view/timer_row.h"

#include <QLabel>
#include <QTimer>
#include <QWidget>

namespace tally {

// The floating timer hint: name, totals and state of the timer under the
// pointer. Made once, only shown and hidden.
class TFormHint : public QWidget
{
    Q_OBJECT

public:
    explicit TFormHint(QWidget* parent = nullptr);

    void Fill(const TimerHintView& view);
    // Places the hint; it shows after the 300 ms delay.
    void ShowDelayed();
    void HideHint();

    QTimer& TimShow() { return m_timShow; }
    const QLabel& StateLabel() const { return *m_lbActive; }
    const QLabel& NameLabel() const { return *m_lbTimerName; }
    // Shown, under the state, only for a timer whose source this desktop hides.
    const QLabel& NoticeLabel() const { return *m_lbNotice; }

protected:
    // The pointer reached the hint: it steps out of the way again.
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QLabel* m_lbTimerName;
    QLabel* m_lbActTime;
    QLabel* m_lbPassTime;
    QLabel* m_lbTotalTime;
    QLabel* m_lbActive;
    QLabel* m_lbNotice;
    QTimer m_timShow;
};

} // namespace tally
