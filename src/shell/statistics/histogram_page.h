#pragma once

#include "stats/histogram.h"

#include <QWidget>
#include <QtCharts/QBarSeries>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QValueAxis>

#include <vector>

class QGraphicsSimpleTextItem;
class QPrinter;

namespace tally {

// The chart's view: dragging with the mouse pans sideways; nothing zooms.
class HistogramView : public QChartView
{
    Q_OBJECT

public:
    explicit HistogramView(QChart* chart, QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    bool m_dragging = false;
    double m_lastX = 0.0;
};

// The histogram page: the series the core computed as bars over one slot per
// day. The X axis counts days from the oldest charted day, so the visible
// period can start and end at any time of day, as the core's bounds do.
class THistogramPage : public QWidget
{
    Q_OBJECT

public:
    explicit THistogramPage(QWidget* parent = nullptr);

    // Rebuilds the bars, labels and legend (after FillChart or ClearChartPage).
    void Show(const HistogramChart& chart);
    // Applies the visible period and the bar width (after UpdateChart).
    void ApplyBounds(const HistogramChart& chart);
    // The plot's width in pixels, with the layout brought up to date.
    int PlotWidth();
    // One landscape page on white; false when the printer cannot be opened.
    bool Print(QPrinter& printer);

    QChart& Chart() { return *m_chart; }
    HistogramView& View() { return *m_view; }
    int SeriesCount() const;
    // Where the middle of a series' bar for the day at the given height is,
    // in the view's coordinates.
    QPoint BarPoint(int series, TDateTime day, double value) const;
    // The day labels of the bottom axis in view, in day order.
    QStringList DayLabels() const;
    // The mark texts shown at the moment.
    QStringList VisibleMarks() const;

private:
    struct Mark
    {
        QGraphicsSimpleTextItem* Item = nullptr;
        int Series = 0;
        double Index = 0.0;
        double Value = 0.0;
    };

    double IndexOf(TDateTime t) const;
    double BarCentre(int series, double index) const;
    void Paint(bool paper);
    void PlaceMarks();
    void ClearMarks();
    void SetLabels(bool fullDate);

    QChart* m_chart;
    HistogramView* m_view;
    QCategoryAxis* m_axisX;
    QValueAxis* m_axisY;
    QBarSeries* m_bars = nullptr;
    std::vector<Mark> m_marks;
    std::vector<QGraphicsSimpleTextItem*> m_dayLabels; // kFirstLabel..kLastLabel
    TDateTime m_firstDay = 0.0;
    bool m_fullDate = true;
    bool m_labelsShown = false;
    bool m_flatLabels = true;
};

} // namespace tally
