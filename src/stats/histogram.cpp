#include "stats/histogram.h"

#include "model/duration.h"
#include "stats/time_log.h"

#include <algorithm>
#include <cstdio>

namespace tally {

namespace {

constexpr int kOutlinePercent = 30;
// A system colour reference is 0xFF000000 plus an index.
constexpr std::uint32_t kSystemColorMask = 0xFF000000u;
// The active caption's blue, for system references without a palette.
constexpr std::uint32_t kCaptionBlue = 0x00D77800u;

std::uint32_t Channel(std::uint32_t rgb, int shift)
{
    return (rgb >> shift) & 0xFFu;
}

// a * b / c taken to the nearest integer, halves away from zero.
int MulDiv(int a, int b, int c)
{
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    const long long rounded = product >= 0 ? (product + half) / c : (product - half) / c;
    return static_cast<int>(rounded);
}

TDateTime FirstChartDay(TDateTime now)
{
    return static_cast<TDateTime>(DayOf(now) - kDatePositionMax);
}

ChartSeries MakeSeries(const std::string& title, std::uint32_t color, const ColorResolver& resolve)
{
    ChartSeries series;
    series.Title = title;
    series.Color = resolve ? resolve(color) : DefaultResolveColor(color);
    series.OutlineColor = LightenColor(series.Color, kOutlinePercent);
    return series;
}

void AddPoint(ChartSeries& series, TDateTime day, TDateTime duration, ChartUnit unit)
{
    // The test is on the duration itself: 20 seconds in the minutes unit is
    // a bar of height 0 that still carries its mark.
    if (duration != 0.0) {
        series.Points.push_back({day, DurationInUnit(duration, unit), FormatDuration(duration)});
    }
}

} // namespace

double DurationInUnit(TDateTime duration, ChartUnit unit)
{
    switch (unit) {
        case ChartUnit::Seconds:
            return DurationSeconds(duration);
        case ChartUnit::Minutes:
            return DurationMinutes(duration);
        case ChartUnit::Hours:
            break;
    }
    return DurationHours(duration);
}

std::uint32_t LightenColor(std::uint32_t rgb, int percent)
{
    std::uint32_t result = 0;
    for (int shift : {0, 8, 16}) {
        const int c = static_cast<int>(Channel(rgb, shift));
        const int lighter = std::clamp(c + MulDiv(255 - c, percent, 100), 0, 255);
        result |= static_cast<std::uint32_t>(lighter) << shift;
    }
    return result;
}

std::uint32_t DefaultResolveColor(std::uint32_t color)
{
    if ((color & kSystemColorMask) == kSystemColorMask) {
        return kCaptionBlue;
    }
    return color & 0x00FFFFFFu;
}

ChartSeries TimerSeries(const TMyTimer& timer, ChartUnit unit, TDateTime now, const ColorResolver& resolve)
{
    ChartSeries series = MakeSeries(timer.Name, timer.Color, resolve);
    const TDateTime first = FirstChartDay(now);
    for (int i = 0; i < kHistogramDays; ++i) {
        const TDateTime day = first + i;
        // One kind on one day: the period list's kept day sums answer it.
        AddPoint(series, day, timer.TimeInRange(PeriodKind::Active, day, day, now), unit);
    }
    return series;
}

ChartSeries ProjectSeries(
    const TTimeProject& project, const TimerList& timers, ChartUnit unit, TDateTime now, const ColorResolver& resolve)
{
    ChartSeries series = MakeSeries(project.Name, project.Color, resolve);
    std::vector<const TMyTimer*> members;
    for (const TMyTimer& timer : timers) {
        if (timer.ProjectId == project.Id) {
            members.push_back(&timer);
        }
    }
    const TDateTime first = FirstChartDay(now);
    for (int i = 0; i < kHistogramDays; ++i) {
        const TDateTime day = first + i;
        TDateTime sum = 0.0;
        for (const TMyTimer* timer : members) {
            sum += timer->TimeInRange(PeriodKind::Active, day, day, now);
        }
        AddPoint(series, day, sum, unit);
    }
    return series;
}

void FreeSeries(HistogramChart& chart, RunLogSink& log)
{
    log.WriteLine(0, "FreeSeries");
    chart.Series.clear();
    chart.BarWidth = 0;
}

void ClearChartPage(HistogramChart& chart, RunLogSink& log)
{
    log.WriteLine(0, "ClearChartPage");
    FreeSeries(chart, log);
    chart.BottomLabels = false;
}

void FillChart(HistogramChart& chart,
               const StatObject& object,
               const StatSelection& selection,
               const TimerList& timers,
               const ChartOptions& options,
               TDateTime now,
               const ColorResolver& resolve,
               RunLogSink& log)
{
    log.WriteLine(0, "FillChart");
    if (std::holds_alternative<std::monostate>(object)) {
        return;
    }
    FreeSeries(chart, log);
    chart.Options = options;
    chart.BottomLabels = true;
    chart.FirstDay = FirstChartDay(now);
    chart.AxisMax = now;
    if (StatTimer(object)) {
        // Every selected timer gets a series, not only the object.
        for (const TMyTimer* timer : selection.SelectedTimers) {
            if (timer) {
                chart.Series.push_back(TimerSeries(*timer, options.Unit, now, resolve));
            }
        }
    } else if (selection.SelectedProject) {
        // The projects list's selected row, which keyboard moves can change
        // without a new object; none (the separator row) charts nothing.
        chart.Series.push_back(ProjectSeries(*selection.SelectedProject, timers, options.Unit, now, resolve));
    }
}

int ChartBarWidth(int plotWidth, int visibleDays, std::size_t seriesCount)
{
    if (seriesCount == 0 || plotWidth <= 0) {
        return 0;
    }
    const int slots = ClampVisibleDays(visibleDays) + 1;
    return plotWidth / slots / static_cast<int>(seriesCount);
}

bool UpdateChart(HistogramChart& chart, const StatDates& dates, int plotWidth, RunLogSink& log)
{
    log.WriteLine(2, "UpdateChart");
    if (chart.Series.empty()) {
        return false;
    }
    // Both bounds keep the time of day: the day before the chosen day is cut
    // by it, and the last visible day's bar is in view.
    chart.AxisMin = dates.StatDate - 1;
    chart.AxisMax = dates.StatEnd;
    chart.BarWidth = ChartBarWidth(plotWidth, dates.ScaleX, chart.Series.size());
    return true;
}

std::string ChartDayLabel(TDateTime day, bool fullDate)
{
    const CivilDate d = DecodeDate(day);
    char text[16];
    if (fullDate) {
        std::snprintf(text, sizeof text, "%02d.%02d.%02d", d.Day, d.Month, ((d.Year % 100) + 100) % 100);
    } else {
        std::snprintf(text, sizeof text, "%02d.%02d", d.Day, d.Month);
    }
    return text;
}

std::optional<std::string> CheckPeriod(TDateTime start, TDateTime end)
{
    if (DayOf(end) > DayOf(start)) {
        return std::nullopt;
    }
    return std::string(kEndBeforeStartMessage);
}

} // namespace tally
