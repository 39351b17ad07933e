#pragma once

#include "model/chart_unit.h"
#include "model/run_log_sink.h"
#include "model/timer_list.h"
#include "stats/stat_dates.h"
#include "stats/stat_object.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tally {

// The histogram covers today and the 367 days before it.
inline constexpr int kHistogramDays = kDatePositionMax + 1;

// A duration (days) as a bar height in the unit.
double DurationInUnit(TDateTime duration, ChartUnit unit);

// Each channel of an 0x00BBGGRR colour moved `percent` of the way to 255,
// rounded half away from zero. The colour must already be resolved.
std::uint32_t LightenColor(std::uint32_t rgb, int percent);

// Turns a stored colour, which may refer to a system colour (0xFF000000 plus
// an index), into RGB. The shell resolves through the palette.
using ColorResolver = std::function<std::uint32_t(std::uint32_t)>;
// Without a palette: system references become the active caption's blue.
std::uint32_t DefaultResolveColor(std::uint32_t color);

struct ChartPoint
{
    TDateTime Day = 0.0; // midnight of the day
    double Value = 0.0;  // in the chart's unit
    std::string Label;   // the duration text, whatever the unit
};

struct ChartSeries
{
    std::string Title;
    std::uint32_t Color = 0;        // resolved RGB
    std::uint32_t OutlineColor = 0; // LightenColor(Color, 30)
    std::vector<ChartPoint> Points; // increasing days, only days with time
};

struct ChartOptions
{
    bool ShowMarks = true;
    bool ShowBorders = true;
    bool ShowLegend = true;
    bool ShowFullDate = true;
    ChartUnit Unit = ChartUnit::Hours;
};

// What the histogram page shows. FillChart fills the series and leaves the
// axis maximum at the present instant; UpdateChart sets the visible period
// and the bar width.
struct HistogramChart
{
    std::vector<ChartSeries> Series;
    ChartOptions Options;
    bool BottomLabels = false;
    // The oldest day charted (midnight); the bars are FirstDay..FirstDay+367.
    TDateTime FirstDay = 0.0;
    // Bottom axis bounds as date-times.
    TDateTime AxisMin = 0.0;
    TDateTime AxisMax = 0.0;
    // Fixed bar width in pixels; 0 leaves the chart's automatic width.
    int BarWidth = 0;
};

// One series of a timer's active time per day, today-367..today. A closed
// period counts on the day it began, the running one only on today.
ChartSeries TimerSeries(const TMyTimer& timer, ChartUnit unit, TDateTime now, const ColorResolver& resolve);

// One series summing every timer of the list that belongs to the project,
// listed in the main window or not.
ChartSeries ProjectSeries(
    const TTimeProject& project, const TimerList& timers, ChartUnit unit, TDateTime now, const ColorResolver& resolve);

// Removes every series.
void FreeSeries(HistogramChart& chart, RunLogSink& log);

// No statistic object: no series and no day labels.
void ClearChartPage(HistogramChart& chart, RunLogSink& log);

// Rebuilds the series: one per selected timer (in list order) for a timer
// object, one for the projects list's selected project for a project object.
void FillChart(HistogramChart& chart,
               const StatObject& object,
               const StatSelection& selection,
               const TimerList& timers,
               const ChartOptions& options,
               TDateTime now,
               const ColorResolver& resolve,
               RunLogSink& log);

// Bar width in pixels for the plot width: one slot per visible day plus the
// day before, shared by the series. 0 means the chart's automatic width.
int ChartBarWidth(int plotWidth, int visibleDays, std::size_t seriesCount);

// Applies the visible period (the day before the chosen day to its end,
// both at the current time of day) and the bar width. False, changing
// nothing, while there is no series.
bool UpdateChart(HistogramChart& chart, const StatDates& dates, int plotWidth, RunLogSink& log);

// The bottom axis's day label: "dd.mm" or, with the full date, "dd.mm.yy".
std::string ChartDayLabel(TDateTime day, bool fullDate);

// The dialog accepts only an end date later than the start date; otherwise
// it gives the message to show.
std::optional<std::string> CheckPeriod(TDateTime start, TDateTime end);

} // namespace tally
