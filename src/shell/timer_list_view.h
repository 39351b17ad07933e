#pragma once

#include "view/timer_row.h"

#include <QListWidget>
#include <QPixmap>

#include <functional>
#include <vector>

namespace tally {

// The main window's timer list: large icons, several rows selectable, every
// row drawn from the core's row view of its timer at each repaint.
class TimerListView : public QListWidget
{
    Q_OBJECT

public:
    using RowSource = std::function<TimerRowView(const TMyTimer&)>;

    explicit TimerListView(QWidget* parent = nullptr);

    void SetRowSource(RowSource source) { m_rowSource = std::move(source); }
    // Rebuilds the rows in one batch; the selection is lost.
    void SetTimers(const std::vector<TMyTimer*>& timers);
    std::vector<TMyTimer*> SelectedTimers() const;
    TMyTimer* TimerAt(const QPoint& pos) const;

    TimerRowView RowFor(const TMyTimer& timer) const;
    const QPixmap& StopwatchIcon() const { return m_stopwatch; }
    const QPixmap& GreenDot() const { return m_greenDot; }
    const QPixmap& YellowDot() const { return m_yellowDot; }

    static TMyTimer* TimerOf(const QListWidgetItem* item);

private:
    RowSource m_rowSource;
    QPixmap m_stopwatch;
    QPixmap m_greenDot;
    QPixmap m_yellowDot;
};

} // namespace tally
