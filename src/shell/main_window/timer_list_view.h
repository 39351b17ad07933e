#pragma once

#include "shell/main_window/clock_text.h"
#include "view/timer_row.h"

#include <QFont>
#include <QFontMetrics>
#include <QListWidget>
#include <QPixmap>
#include <QRegion>
#include <QStaticText>

#include <functional>
#include <optional>
#include <vector>

namespace tally {

// The main window's timer list: large icons, several rows selectable, every
// row drawn from the core's row view of its timer at each repaint. The list
// keeps what each row showed, so that the tick repaints only the rows whose
// text or marks changed.
class TimerListView : public QListWidget
{
    Q_OBJECT

public:
    using RowSource = std::function<TimerRowView(const TMyTimer&)>;

    explicit TimerListView(QWidget* parent = nullptr);

    void SetRowSource(RowSource source) { m_rowSource = std::move(source); }
    // The line an empty list shows (none when empty).
    void SetGuidance(const QString& text);
    const QString& Guidance() const { return m_guidance; }
    // Rebuilds the rows in one batch; the selection is lost.
    void SetTimers(const std::vector<TMyTimer*>& timers);
    std::vector<TMyTimer*> SelectedTimers() const;
    TMyTimer* TimerAt(const QPoint& pos) const;

    TimerRowView RowFor(const TMyTimer& timer) const;
    // Repaints the rows in sight whose row view differs from what they show.
    void RepaintChangedRows();
    // The view a row is painted with, made afresh unless the tick's repaint
    // just made it.
    TimerRowView ViewToPaint(int row, const TMyTimer& timer, const QRect& rect);
    // A row was painted with this view; when the view is not what the row
    // showed (the timer changed between two ticks and only part of the row
    // was exposed), the whole row is repainted soon after.
    void RowPainted(int row, const TimerRowView& view, const QRect& rect);
    // Where the parts of a row are drawn within its cell; each part is drawn
    // inside its rectangle only.
    struct RowParts
    {
        QRect Lines[3]; // name, active time, background time
        QRect Stopwatch;
        QRect Bar;
        QRect Mark;
    };
    RowParts PartsOf(const QRect& cell) const;
    // While painting, whether a rectangle meets the region being painted.
    bool Exposed(const QRect& rect) const;
    const QFont& RowFont() const { return m_font; }
    const QFontMetrics& RowMetrics() const { return m_metrics; }
    // The name line of a row, cut to width; laid out again only when the
    // name or the width changes.
    QStaticText NameLine(int row, const std::string& name, int width) const;
    // Draws the time lines without shaping them anew.
    const ClockTextPainter& ClockText() const;
    const QPixmap& StopwatchIcon() const { return m_stopwatch; }
    const QPixmap& GreenDot() const { return m_greenDot; }
    const QPixmap& YellowDot() const { return m_yellowDot; }

    static TMyTimer* TimerOf(const QListWidgetItem* item);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    RowSource m_rowSource;
    QString m_guidance;
    // What each row shows, by row; empty before its first paint.
    std::vector<std::optional<TimerRowView>> m_shown;
    QPixmap m_stopwatch;
    QPixmap m_greenDot;
    QPixmap m_yellowDot;
    QFont m_font;
    QFontMetrics m_metrics;
    mutable std::optional<ClockTextPainter> m_clockText;
    struct NameShown
    {
        std::string Text;
        int Width = -1;
        QStaticText Layout;
    };
    mutable std::vector<NameShown> m_names; // by row
    bool m_painting = false;
    bool m_shownIsCurrent = false; // while RepaintChangedRows paints
    QRegion m_paintRegion;
};

} // namespace tally
