#include "shell/main_window/timer_list_view.h"

#include "shell/common/qt_colors.h"
#include "shell/common/skin_images.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <QScopeGuard>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <algorithm>

namespace tally {

namespace {

constexpr int kCellWidth = 100;
constexpr int kCellHeight = 78;
constexpr int kIconCellWidth = 46;
constexpr int kIconCellHeight = 38;
constexpr int kLineHeight = 12;
// A notice stands apart from the times: amber, 0x00BBGGRR.
constexpr std::uint32_t kNoticeColor = 0x40C0FF;

class TimerRowDelegate : public QStyledItemDelegate
{
public:
    explicit TimerRowDelegate(TimerListView* list)
        : QStyledItemDelegate(list)
        , m_list(list)
    { }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override { return {kCellWidth, kCellHeight}; }

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const TMyTimer* timer = TimerListView::TimerOf(m_list->item(index.row()));
        if (!timer) {
            return;
        }
        const TimerRowView row = m_list->ViewToPaint(index.row(), *timer, option.rect);
        const TimerListView::RowParts parts = m_list->PartsOf(option.rect);

        p->save();
        p->setFont(m_list->RowFont());
        const bool selected = option.state & QStyle::State_Selected;
        p->setPen(FromBgr(selected ? kRowSelectedTextColor : kRowTextColor));
        // Every part is drawn inside its own rectangle, so a part outside the
        // painted region would change no pixel and is left out.
        auto line = [&](int n, const std::string& text) {
            const QRect& r = parts.Lines[n];
            if (!m_list->Exposed(r)) {
                return;
            }
            if (n > 0 && m_list->ClockText().Draw(*p, r, text)) {
                return;
            }
            // Cut at the right edge with an ellipsis; '&' stays literal.
            p->drawText(r,
                        Qt::AlignLeft | Qt::TextSingleLine,
                        m_list->RowMetrics().elidedText(QString::fromStdString(text), Qt::ElideRight, r.width()));
        };
        if (m_list->Exposed(parts.Lines[0])) {
            p->drawStaticText(parts.Lines[0].topLeft(),
                              m_list->NameLine(index.row(), row.Name, parts.Lines[0].width()));
        }
        line(1, row.ActiveText);
        if (row.BackgroundLine) {
            line(2, *row.BackgroundLine);
        } else if (row.Notice && m_list->Exposed(parts.Lines[2])) {
            p->setPen(FromBgr(kNoticeColor));
            line(2, *row.Notice);
        }
        if (m_list->Exposed(parts.Stopwatch)) {
            p->drawPixmap(parts.Stopwatch.topLeft(), m_list->StopwatchIcon());
        }
        if (row.ColorBar && m_list->Exposed(parts.Bar)) {
            p->fillRect(parts.Bar, FromBgr(*row.ColorBar));
        }
        if (row.Mark != StateMark::None && m_list->Exposed(parts.Mark)) {
            p->drawPixmap(parts.Mark.topLeft(),
                          row.Mark == StateMark::Green ? m_list->GreenDot() : m_list->YellowDot());
        }
        p->restore();
    }

private:
    TimerListView* m_list;
};

QFont RowFontMade()
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(8);
    return font;
}

QRect PixmapRect(QPoint at, const QPixmap& pixmap)
{
    return {at, pixmap.deviceIndependentSize().toSize()};
}

} // namespace

TimerListView::TimerListView(QWidget* parent)
    : QListWidget(parent)
    , m_stopwatch(SkinPixmap(QStringLiteral("stopwatch_32"), QSize(32, 32)))
    , m_greenDot(SkinPixmap(QStringLiteral("dot_green"), QSize(13, 13)))
    , m_yellowDot(SkinPixmap(QStringLiteral("dot_yellow"), QSize(13, 13)))
    , m_font(RowFontMade())
    , m_metrics(m_font)
{
    setViewMode(QListView::IconMode);
    setMovement(QListView::Static);
    setResizeMode(QListView::Adjust);
    setGridSize(QSize(kCellWidth, kCellHeight));
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFrameShape(QFrame::NoFrame);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setMouseTracking(true);
    setItemDelegate(new TimerRowDelegate(this));
    // An opaque palette rather than a style sheet: the rows then paint over
    // their own black, and a changed row does not make the skin behind the
    // list paint again (a full-size picture blended on every tick).
    QPalette colours = palette();
    colours.setColor(QPalette::Base, Qt::black);
    colours.setColor(QPalette::Window, Qt::black);
    colours.setColor(QPalette::Text, Qt::white);
    colours.setColor(QPalette::WindowText, Qt::white);
    setPalette(colours);
    setAutoFillBackground(true);
    viewport()->setAutoFillBackground(true);
    // The scroll bar alone takes a style sheet: dark and flat like the panel.
    verticalScrollBar()->setStyleSheet(QStringLiteral(
        "QScrollBar:vertical { background: black; width: 10px; margin: 0; border: 0; }"
        "QScrollBar::handle:vertical { background: rgb(64, 64, 64); min-height: 16px; border: 0; }"
        "QScrollBar::handle:vertical:hover, QScrollBar::handle:vertical:pressed { background: rgb(96, 96, 96); }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; border: 0; background: none; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }"));
}

TimerRowView TimerListView::RowFor(const TMyTimer& timer) const
{
    if (m_rowSource) {
        return m_rowSource(timer);
    }
    return MakeTimerRow(timer, {}, 0.0);
}

TMyTimer* TimerListView::TimerOf(const QListWidgetItem* item)
{
    if (!item) {
        return nullptr;
    }
    return reinterpret_cast<TMyTimer*>(item->data(Qt::UserRole).value<quintptr>());
}

TimerListView::RowParts TimerListView::PartsOf(const QRect& cell) const
{
    const QRect icon(
        cell.left() + (cell.width() - kIconCellWidth) / 2, cell.top() + 2, kIconCellWidth, kIconCellHeight);
    const QRect label(cell.left() + 2, icon.bottom() + 2, cell.width() - 4, cell.bottom() - icon.bottom() - 2);
    RowParts parts;
    for (int n = 0; n < 3; ++n) {
        parts.Lines[n] = QRect(label.left(), label.top() - 2 + n * kLineHeight, label.width(), m_metrics.height());
    }
    parts.Stopwatch = PixmapRect({icon.left() + 7, icon.top() + 2}, m_stopwatch);
    // From (18, 34) up to, not including, (26, 36): 8 x 2 pixels.
    parts.Bar = QRect(icon.left() + 18, icon.top() + 34, 8, 2);
    parts.Mark = PixmapRect({icon.right() - 10, icon.top() - 2}, m_greenDot)
                     .united(PixmapRect({icon.right() - 10, icon.top() - 2}, m_yellowDot));
    return parts;
}

const ClockTextPainter& TimerListView::ClockText() const
{
    // Shaped on the first paint, not at start-up: a session spent in the
    // tray never needs it.
    if (!m_clockText) {
        m_clockText.emplace(m_font);
    }
    return *m_clockText;
}

QStaticText TimerListView::NameLine(int row, const std::string& name, int width) const
{
    // A time line painted again overlaps the name's line by a few pixels, so
    // the name is drawn on every tick: laid out once, while it stays the same.
    NameShown fresh;
    NameShown& shown
        = row >= 0 && static_cast<std::size_t>(row) < m_names.size() ? m_names[static_cast<std::size_t>(row)] : fresh;
    if (shown.Width != width || shown.Text != name) {
        shown.Text = name;
        shown.Width = width;
        // Cut at the right edge with an ellipsis; '&' stays literal.
        shown.Layout.setText(m_metrics.elidedText(QString::fromStdString(name), Qt::ElideRight, width));
        shown.Layout.setTextFormat(Qt::PlainText);
    }
    return shown.Layout;
}

bool TimerListView::Exposed(const QRect& rect) const
{
    return !m_painting || m_paintRegion.intersects(rect);
}

void TimerListView::paintEvent(QPaintEvent* event)
{
    m_painting = true;
    m_paintRegion = event->region();
    QListWidget::paintEvent(event);
    m_painting = false;
    if (count() == 0 && !m_guidance.isEmpty()) {
        QPainter p(viewport());
        p.setFont(m_font);
        p.setPen(FromBgr(kRowTextColor));
        p.drawText(viewport()->rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, m_guidance);
    }
}

void TimerListView::SetGuidance(const QString& text)
{
    if (text != m_guidance) {
        m_guidance = text;
        viewport()->update();
    }
}

void TimerListView::RepaintChangedRows()
{
    // A hidden list paints nothing; what its rows show is compared again
    // when they are painted on showing.
    if (!isVisible()) {
        return;
    }
    const QRect sight = viewport()->rect();
    QRegion changed;
    const int rows = std::min(count(), static_cast<int>(m_shown.size()));
    for (int i = 0; i < rows; ++i) {
        const TMyTimer* timer = TimerOf(item(i));
        const QRect rect = visualItemRect(item(i));
        if (!timer || !rect.intersects(sight)) {
            continue;
        }
        TimerRowView view = RowFor(*timer);
        std::optional<TimerRowView>& shown = m_shown[static_cast<std::size_t>(i)];
        if (shown && *shown == view) {
            continue;
        }
        // Most ticks change one time line of a row: only the parts that
        // changed are painted again.
        if (!shown) {
            changed += rect;
        } else {
            const RowParts parts = PartsOf(rect);
            const auto add = [&](bool differs, const QRect& part) {
                if (differs) {
                    changed += part;
                }
            };
            add(shown->Name != view.Name, parts.Lines[0]);
            // A ticking time changes its last digits only.
            const auto addTime = [&](const std::string& before, const std::string& after, const QRect& line) {
                if (before == after) {
                    return;
                }
                changed += ClockText().ChangedRect(before, after, line).value_or(line);
            };
            addTime(shown->ActiveText, view.ActiveText, parts.Lines[1]);
            if (shown->BackgroundLine && view.BackgroundLine) {
                addTime(*shown->BackgroundLine, *view.BackgroundLine, parts.Lines[2]);
            } else {
                add(shown->BackgroundLine != view.BackgroundLine || shown->Notice != view.Notice, parts.Lines[2]);
            }
            add(shown->ColorBar != view.ColorBar, parts.Bar);
            add(shown->Mark != view.Mark, parts.Mark);
        }
        shown = std::move(view);
    }
    // All rows in one paint, at once: a posted update would wake the event
    // loop once more only to paint what is known now. Every row in sight
    // shows what was just made for it, so the paint need not make it again.
    if (!changed.isEmpty()) {
        m_shownIsCurrent = true;
        const auto reset = qScopeGuard([this] { m_shownIsCurrent = false; });
        viewport()->repaint(changed);
    }
}

TimerRowView TimerListView::ViewToPaint(int row, const TMyTimer& timer, const QRect& rect)
{
    if (m_shownIsCurrent && row >= 0 && static_cast<std::size_t>(row) < m_shown.size()
        && m_shown[static_cast<std::size_t>(row)]) {
        return *m_shown[static_cast<std::size_t>(row)];
    }
    TimerRowView view = RowFor(timer);
    RowPainted(row, view, rect);
    return view;
}

void TimerListView::RowPainted(int row, const TimerRowView& view, const QRect& rect)
{
    if (row < 0 || static_cast<std::size_t>(row) >= m_shown.size()) {
        return;
    }
    std::optional<TimerRowView>& shown = m_shown[static_cast<std::size_t>(row)];
    if (shown && *shown == view) {
        return;
    }
    // The rest of the row may still show older text: repaint all of it once
    // this paint is over.
    shown = view;
    QMetaObject::invokeMethod(
        this, [this, rect] { viewport()->update(rect); }, Qt::QueuedConnection);
}

void TimerListView::SetTimers(const std::vector<TMyTimer*>& timers)
{
    m_shown.assign(timers.size(), std::nullopt);
    m_names.assign(timers.size(), {});
    setUpdatesEnabled(false);
    clear();
    for (TMyTimer* timer : timers) {
        auto* item = new QListWidgetItem(this);
        item->setData(Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(timer)));
        item->setSizeHint(QSize(kCellWidth, kCellHeight));
    }
    setUpdatesEnabled(true);
}

std::vector<TMyTimer*> TimerListView::SelectedTimers() const
{
    std::vector<TMyTimer*> result;
    for (int i = 0; i < count(); ++i) {
        if (item(i)->isSelected()) {
            result.push_back(TimerOf(item(i)));
        }
    }
    return result;
}

TMyTimer* TimerListView::TimerAt(const QPoint& pos) const
{
    return TimerOf(itemAt(pos));
}

} // namespace tally
