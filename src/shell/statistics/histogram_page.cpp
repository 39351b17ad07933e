#include "shell/statistics/histogram_page.h"

#include "shell/common/qt_colors.h"
#include "view/chart_marks.h"

#include <QFontMetrics>
#include <QGraphicsLayout>
#include <QGraphicsSimpleTextItem>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QVBoxLayout>
#include <QtCharts/QBarSet>
#include <QtCharts/QLegend>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace tally {

namespace {

const QColor kLime(0, 255, 0);
// Labels run from the day before the oldest charted day to the furthest
// a visible period can reach past today.
constexpr int kFirstLabel = -1;
constexpr int kLastLabel = kHistogramDays + kVisibleDaysMax;
constexpr double kAutomaticBarWidth = 0.5;

QFont SmallMonospace()
{
    QFont font(QStringLiteral("Monospace"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(9);
    return font;
}

} // namespace

HistogramView::HistogramView(QChart* chart, QWidget* parent)
    : QChartView(chart, parent)
{
    setRubberBand(QChartView::NoRubberBand);
    setRenderHint(QPainter::Antialiasing, false);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void HistogramView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_dragging = true;
        m_lastX = event->position().x();
        event->accept();
        return;
    }
    QChartView::mousePressEvent(event);
}

void HistogramView::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging && chart()) {
        const double x = event->position().x();
        // Dragging to the right shows earlier days.
        chart()->scroll(m_lastX - x, 0);
        m_lastX = x;
        event->accept();
        return;
    }
    QChartView::mouseMoveEvent(event);
}

void HistogramView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_dragging = false;
        event->accept();
        return;
    }
    QChartView::mouseReleaseEvent(event);
}

void HistogramView::wheelEvent(QWheelEvent* event)
{
    // No zoom and no vertical scrolling.
    event->accept();
}

THistogramPage::THistogramPage(QWidget* parent)
    : QWidget(parent)
    , m_chart(new QChart)
    , m_view(new HistogramView(m_chart, this))
    , m_axisX(new QCategoryAxis(this))
    , m_axisY(new QValueAxis(this))
{
    setObjectName(QStringLiteral("tsChart"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);

    m_chart->setObjectName(QStringLiteral("Chart1"));
    m_chart->setAnimationOptions(QChart::NoAnimation);
    m_chart->setBackgroundRoundness(0);
    m_chart->setBackgroundPen(Qt::NoPen);
    m_chart->setMargins(QMargins(2, 2, 6, QFontMetrics(SmallMonospace()).height() + 6));
    m_chart->layout()->setContentsMargins(0, 0, 0, 0);
    m_chart->setPlotAreaBackgroundVisible(true);
    m_chart->legend()->setAlignment(Qt::AlignTop);
    m_chart->legend()->setFont(SmallMonospace());

    const QFont font = SmallMonospace();
    m_dayLabels.reserve(kLastLabel - kFirstLabel + 1);
    for (QAbstractAxis* axis : {static_cast<QAbstractAxis*>(m_axisX), static_cast<QAbstractAxis*>(m_axisY)}) {
        axis->setGridLineVisible(false);
        axis->setMinorGridLineVisible(false);
        axis->setShadesVisible(false);
        axis->setLabelsFont(font);
        axis->setTitleVisible(false);
    }
    // One tick per day at the day's midnight. The axis would shorten a label
    // that is wider than its day to "...", so the day labels are our own
    // items; the axis keys its categories by label, hence plain numbers.
    m_axisX->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    m_axisX->setStartValue(kFirstLabel - 1);
    for (int i = kFirstLabel; i <= kLastLabel; ++i) {
        m_axisX->append(QString::number(i), i);
        auto* label = new QGraphicsSimpleTextItem(m_chart);
        label->setFont(font);
        label->setVisible(false);
        m_dayLabels.push_back(label);
    }
    m_axisX->setLabelsVisible(false);
    m_axisY->setLabelFormat(QStringLiteral("%g"));
    m_axisY->setRange(0, 1);
    m_chart->addAxis(m_axisX, Qt::AlignBottom);
    m_chart->addAxis(m_axisY, Qt::AlignLeft);
    SetLabels(m_fullDate);
    m_axisX->setRange(kHistogramDays - 1 - 1, kHistogramDays - 1 + kVisibleDaysDefault);

    connect(m_axisX, &QValueAxis::rangeChanged, this, [this] { PlaceMarks(); });
    connect(m_axisY, &QValueAxis::rangeChanged, this, [this] { PlaceMarks(); });
    connect(m_chart, &QChart::plotAreaChanged, this, [this] { PlaceMarks(); });
    Paint(false);
}

double THistogramPage::IndexOf(TDateTime t) const
{
    return t - m_firstDay;
}

void THistogramPage::SetLabels(bool fullDate)
{
    m_fullDate = fullDate;
    for (int i = kFirstLabel; i <= kLastLabel; ++i) {
        m_dayLabels[static_cast<std::size_t>(i - kFirstLabel)]->setText(
            QString::fromStdString(ChartDayLabel(m_firstDay + i, fullDate)));
    }
    PlaceMarks();
}

void THistogramPage::ClearMarks()
{
    for (const Mark& mark : m_marks) {
        delete mark.Item;
    }
    m_marks.clear();
}

void THistogramPage::Show(const HistogramChart& chart)
{
    ClearMarks();
    if (m_bars) {
        m_chart->removeSeries(m_bars);
        delete m_bars;
        m_bars = nullptr;
    }
    if (chart.BottomLabels && (chart.FirstDay != m_firstDay || chart.Options.ShowFullDate != m_fullDate)) {
        m_firstDay = chart.FirstDay;
        SetLabels(chart.Options.ShowFullDate);
    }
    m_labelsShown = chart.BottomLabels;
    m_chart->legend()->setVisible(chart.Options.ShowLegend && !chart.Series.empty());
    if (chart.Series.empty()) {
        m_axisY->setRange(0, 1);
        // The range may not have changed, so its signal may not come.
        PlaceMarks();
        return;
    }

    m_bars = new QBarSeries;
    double low = 0.0;
    double high = 0.0;
    const QFont font = SmallMonospace();
    for (std::size_t k = 0; k < chart.Series.size(); ++k) {
        const ChartSeries& series = chart.Series[k];
        auto* set = new QBarSet(QString::fromStdString(series.Title));
        QList<qreal> values(kHistogramDays, 0.0);
        for (const ChartPoint& point : series.Points) {
            const auto index = static_cast<long>(std::lround(IndexOf(point.Day)));
            if (index < 0 || index >= kHistogramDays) {
                continue;
            }
            values[index] = point.Value;
            low = std::min(low, point.Value);
            high = std::max(high, point.Value);
            if (chart.Options.ShowMarks) {
                auto* item = new QGraphicsSimpleTextItem(QString::fromStdString(point.Label), m_chart);
                item->setFont(font);
                item->setZValue(10);
                m_marks.push_back({item, static_cast<int>(k), static_cast<double>(index), point.Value});
            }
        }
        set->append(values);
        set->setColor(FromBgr(series.Color));
        set->setPen(chart.Options.ShowBorders ? QPen(FromBgr(series.OutlineColor), 1) : QPen(Qt::NoPen));
        m_bars->append(set);
    }
    m_chart->addSeries(m_bars);
    m_bars->attachAxis(m_axisX);
    m_bars->attachAxis(m_axisY);
    m_axisY->setRange(low, high > low ? high : low + 1);
    m_axisY->applyNiceNumbers();
    Paint(false);
    ApplyBounds(chart);
}

void THistogramPage::ApplyBounds(const HistogramChart& chart)
{
    double lo = IndexOf(chart.AxisMin);
    double hi = IndexOf(chart.AxisMax);
    // Before the first visible period is applied: the default one at today.
    if (!(hi > lo) || lo < kFirstLabel - 1 || hi > kLastLabel + 1) {
        hi = IndexOf(chart.AxisMax);
        lo = hi - (kVisibleDaysDefault + 1);
    }
    m_axisX->setRange(lo, hi);
    // Every day keeps its label: turned upright when the days are too narrow
    // for it to lie flat.
    const QFontMetrics metrics(SmallMonospace());
    const int labelWidth = metrics.horizontalAdvance(m_dayLabels.front()->text());
    const bool flat = labelWidth + 4 <= PlotWidth() / (hi - lo);
    if (flat != m_flatLabels) {
        m_flatLabels = flat;
        // Room below the plot for the labels, lying or standing.
        m_chart->setMargins(QMargins(2, 2, 6, (flat ? metrics.height() : labelWidth) + 6));
    }
    const double dayPixels = PlotWidth() / (hi - lo);
    if (!m_bars) {
        return;
    }
    double width = kAutomaticBarWidth;
    if (chart.BarWidth > 0) {
        // The axis counts in days; a pixel width becomes a share of a day.
        if (dayPixels > 0) {
            width = std::min(1.0, chart.BarWidth * static_cast<double>(m_bars->count()) / dayPixels);
        }
    }
    m_bars->setBarWidth(width);
    PlaceMarks();
}

int THistogramPage::PlotWidth()
{
    m_chart->layout()->activate();
    return static_cast<int>(m_chart->plotArea().width());
}

int THistogramPage::SeriesCount() const
{
    return m_bars ? static_cast<int>(m_bars->count()) : 0;
}

double THistogramPage::BarCentre(int series, double index) const
{
    const double width = m_bars ? m_bars->barWidth() : kAutomaticBarWidth;
    const int count = std::max(1, SeriesCount());
    return index - width / 2 + (series + 0.5) * width / count;
}

QPoint THistogramPage::BarPoint(int series, TDateTime day, double value) const
{
    if (!m_bars) {
        return {};
    }
    const QPointF inChart = m_chart->mapToPosition(QPointF(BarCentre(series, IndexOf(day)), value), m_bars);
    return m_view->mapFromScene(m_chart->mapToScene(inChart));
}

QStringList THistogramPage::DayLabels() const
{
    QStringList labels;
    for (const QGraphicsSimpleTextItem* label : m_dayLabels) {
        if (label->isVisible()) {
            labels.push_back(label->text());
        }
    }
    return labels;
}

QStringList THistogramPage::VisibleMarks() const
{
    QStringList texts;
    for (const Mark& mark : m_marks) {
        if (mark.Item->isVisible()) {
            texts.push_back(mark.Item->text());
        }
    }
    return texts;
}

void THistogramPage::PlaceMarks()
{
    if (!m_bars) {
        for (QGraphicsSimpleTextItem* label : m_dayLabels) {
            label->setVisible(false);
        }
        return;
    }
    const QRectF plot = m_chart->plotArea();
    for (int i = kFirstLabel; i <= kLastLabel; ++i) {
        QGraphicsSimpleTextItem* label = m_dayLabels[static_cast<std::size_t>(i - kFirstLabel)];
        const double x = m_chart->mapToPosition(QPointF(i, 0), m_bars).x();
        const bool inView = x >= plot.left() - 0.5 && x <= plot.right() + 0.5;
        label->setVisible(m_labelsShown && inView);
        if (!label->isVisible()) {
            continue;
        }
        const QRectF box = label->boundingRect();
        if (m_flatLabels) {
            label->setRotation(0);
            label->setPos(x - box.width() / 2, plot.bottom() + 3);
        } else {
            // Turned about its top left corner: the text reads upwards.
            label->setRotation(-90);
            label->setPos(x - box.height() / 2, plot.bottom() + 3 + box.width());
        }
    }
    // The bars of a mark's day and the days beside it, which a wide mark
    // may reach over.
    const double barWidth = m_bars->barWidth() / std::max(1, SeriesCount());
    const auto barsNear = [&](double index) {
        std::vector<PixelBox> boxes;
        for (int k = 0; k < SeriesCount(); ++k) {
            for (double day = index - 1; day <= index + 1; ++day) {
                if (day < 0 || day >= kHistogramDays) {
                    continue;
                }
                const double centre = BarCentre(k, day);
                const double value = m_bars->barSets().at(k)->at(static_cast<qsizetype>(day));
                const QPointF a = m_chart->mapToPosition(QPointF(centre - barWidth / 2, value), m_bars);
                const QPointF b = m_chart->mapToPosition(QPointF(centre + barWidth / 2, 0), m_bars);
                boxes.push_back(
                    {std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::abs(b.x() - a.x()), std::abs(b.y() - a.y())});
            }
        }
        return boxes;
    };
    const PixelBox plotBox {plot.left(), plot.top(), plot.width(), plot.height()};
    // The day's marks placed before are kept clear of too (the days'
    // marks beside each other may touch: lifting them over one another
    // would climb a staircase when the days are narrow).
    std::vector<std::pair<double, PixelBox>> placed;
    for (const Mark& mark : m_marks) {
        const QPointF top = m_chart->mapToPosition(QPointF(BarCentre(mark.Series, mark.Index), mark.Value), m_bars);
        const QRectF box = mark.Item->boundingRect();
        std::vector<PixelBox> clear = barsNear(mark.Index);
        for (const auto& [day, other] : placed) {
            if (day == mark.Index) {
                clear.push_back(other);
            }
        }
        const MarkPlace at
            = PlaceMark(top.x(), top.y(), box.width(), box.height(), clear, plotBox, m_chart->rect().top());
        mark.Item->setPos(at.X, at.Y);
        mark.Item->setVisible(at.Visible);
        if (at.Visible) {
            placed.push_back({mark.Index, {at.X, at.Y, box.width(), box.height()}});
        }
    }
}

void THistogramPage::Paint(bool paper)
{
    // On screen: black, lime axes, white text. On paper the text and axes
    // turn black too, or the white labels would vanish on the white page.
    const QColor background = paper ? Qt::white : Qt::black;
    const QColor text = paper ? Qt::black : Qt::white;
    const QColor line = paper ? Qt::black : kLime;
    m_chart->setBackgroundBrush(background);
    m_chart->setPlotAreaBackgroundBrush(background);
    m_view->setBackgroundBrush(background);
    m_chart->legend()->setLabelColor(text);
    for (QAbstractAxis* axis : {static_cast<QAbstractAxis*>(m_axisX), static_cast<QAbstractAxis*>(m_axisY)}) {
        axis->setLinePen(QPen(line, 1));
        axis->setLabelsBrush(text);
    }
    for (const Mark& mark : m_marks) {
        mark.Item->setBrush(text);
    }
    for (QGraphicsSimpleTextItem* label : m_dayLabels) {
        label->setBrush(text);
    }
}

bool THistogramPage::Print(QPrinter& printer)
{
    const QPageLayout::Orientation before = printer.pageLayout().orientation();
    printer.setPageOrientation(QPageLayout::Landscape);
    Paint(true);
    QPainter painter;
    const bool opened = painter.begin(&printer);
    if (opened) {
        // The scene is drawn afresh at the printer's resolution.
        m_view->render(&painter);
        painter.end();
    }
    Paint(false);
    printer.setPageOrientation(before);
    return opened;
}

} // namespace tally
