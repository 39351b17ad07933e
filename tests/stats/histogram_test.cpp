#include "model/datetime.h"
#include "model/project.h"
#include "model/run_log_sink.h"
#include "model/timer_list.h"
#include "stats/histogram.h"
#include "stats/stat_dates.h"
#include "view/stat_window.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace tally {
namespace {

struct RecordingLog final : RunLogSink
{
    std::vector<std::pair<int, std::string>> Lines;
    void WriteLine(std::uint8_t level, std::string_view text) override { Lines.emplace_back(level, text); }
};

constexpr std::uint32_t Rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b)
{
    return r | (g << 8) | (b << 16);
}

const TDateTime kToday = EncodeDate(2026, 6, 10);
const TDateTime kNow = kToday + EncodeTime(15, 30, 0);

TDateTime At(TDateTime day, int hour, int minute, int second = 0)
{
    return std::trunc(day) + EncodeTime(hour, minute, second);
}

const ChartPoint* PointOn(const ChartSeries& series, TDateTime day)
{
    for (const ChartPoint& p : series.Points) {
        if (p.Day == std::trunc(day)) {
            return &p;
        }
    }
    return nullptr;
}

TEST(HistogramSeries, OneDayInEachUnit)
{
    TMyTimer timer;
    timer.ActivePeriods.Add(At(kToday - 3, 9, 0), At(kToday - 3, 11, 30));
    // 20 seconds: a point of height 0 in minutes, still marked.
    timer.ActivePeriods.Add(At(kToday - 5, 9, 0), At(kToday - 5, 9, 0, 20));
    struct Case
    {
        ChartUnit Unit;
        double Long;
        double Short;
    };
    for (const Case& c : {Case {ChartUnit::Hours, 2.5, 20.0 / 3600},
                          Case {ChartUnit::Minutes, 150, 0},
                          Case {ChartUnit::Seconds, 9000, 20}}) {
        SCOPED_TRACE(static_cast<int>(c.Unit));
        const ChartSeries s = TimerSeries(timer, c.Unit, kNow, DefaultResolveColor);
        ASSERT_EQ(s.Points.size(), 2u);
        EXPECT_EQ(s.Points[0].Day, kToday - 5); // oldest first
        EXPECT_DOUBLE_EQ(s.Points[0].Value, c.Short);
        EXPECT_EQ(s.Points[0].Label, "0:00:20");
        EXPECT_EQ(s.Points[1].Day, kToday - 3);
        EXPECT_DOUBLE_EQ(s.Points[1].Value, c.Long);
        EXPECT_EQ(s.Points[1].Label, "2:30:00");
    }
}

TEST(HistogramSeries, DaysOfClosedAndRunningPeriods)
{
    TMyTimer timer;
    // Began yesterday before midnight: counts whole on yesterday.
    timer.ActivePeriods.Add(At(kToday - 1, 23, 0), At(kToday, 1, 0));
    // Still running since yesterday: only today holds it.
    timer.ActiveStart = At(kToday - 1, 22, 0);
    timer.ActiveLast = kNow;
    // The oldest charted day and the one before it.
    timer.ActivePeriods.Add(At(kToday - 367, 8, 0), At(kToday - 367, 9, 0));
    timer.ActivePeriods.Add(At(kToday - 368, 8, 0), At(kToday - 368, 9, 0));
    // Background time never shows.
    timer.BackgroundPeriods.Add(At(kToday - 2, 8, 0), At(kToday - 2, 9, 0));

    const ChartSeries s = TimerSeries(timer, ChartUnit::Hours, kNow, DefaultResolveColor);
    ASSERT_EQ(s.Points.size(), 3u);
    EXPECT_EQ(s.Points[0].Day, kToday - 367);
    ASSERT_NE(PointOn(s, kToday - 1), nullptr);
    EXPECT_EQ(PointOn(s, kToday - 1)->Label, "2:00:00");
    ASSERT_NE(PointOn(s, kToday), nullptr);
    EXPECT_EQ(PointOn(s, kToday)->Label, "17:30:00");
}

TEST(HistogramSeries, LightenColor)
{
    struct Case
    {
        std::uint32_t In;
        int Percent;
        std::uint32_t Out;
    };
    for (const Case& c : {Case {Rgb(100, 200, 255), 30, Rgb(147, 217, 255)},
                          Case {Rgb(0, 0, 0), 30, Rgb(77, 77, 77)},
                          Case {Rgb(255, 0, 0), 30, Rgb(255, 77, 77)},
                          Case {Rgb(255, 255, 255), 30, Rgb(255, 255, 255)},
                          Case {Rgb(1, 2, 3), 0, Rgb(1, 2, 3)},
                          Case {Rgb(10, 20, 30), 100, Rgb(255, 255, 255)}}) {
        EXPECT_EQ(LightenColor(c.In, c.Percent), c.Out) << std::hex << c.In;
    }
    // A system colour is resolved before it is lightened.
    TMyTimer timer;
    timer.Color = kActiveCaptionColor;
    const ChartSeries s = TimerSeries(timer, ChartUnit::Hours, kNow, [](std::uint32_t) { return Rgb(0, 0, 0); });
    EXPECT_EQ(s.Color, 0u);
    EXPECT_EQ(s.OutlineColor, Rgb(77, 77, 77));
}

class FillChartTest : public testing::Test
{
protected:
    FillChartTest()
    {
        a.Name = "Write";
        a.Color = Rgb(255, 0, 0);
        a.ProjectId = 4;
        a.ActivePeriods.Add(At(kToday, 9, 0), At(kToday, 10, 0));
        b.Name = "Read";
        b.Color = Rgb(0, 0, 255);
        b.ProjectId = 4;
        b.ActivePeriods.Add(At(kToday, 11, 0), At(kToday, 11, 30));
        b.ActivePeriods.Add(At(kToday - 1, 11, 0), At(kToday - 1, 11, 45));
        c.ProjectId = 5;
        c.ActivePeriods.Add(At(kToday, 12, 0), At(kToday, 17, 0));
        project.Id = 4;
        project.Name = "Garden";
        project.Color = Rgb(0, 128, 0);
    }

    HistogramChart Fill(const StatObject& object, std::vector<TMyTimer*> selected, const TTimeProject* row)
    {
        HistogramChart chart;
        std::vector<TMyTimer*> listed {&a};
        FillChart(chart, object, {selected, listed, row}, timers, {}, kNow, DefaultResolveColor, log);
        return chart;
    }

    TimerList timers;
    TMyTimer& a = timers.Create();
    TMyTimer& b = timers.Create();
    TMyTimer& c = timers.Create();
    TTimeProject project;
    RecordingLog log;
};

TEST_F(FillChartTest, TimersGetOneSeriesEachInListOrder)
{
    const HistogramChart chart = Fill(&b, {&b, &a}, nullptr);
    ASSERT_EQ(chart.Series.size(), 2u);
    EXPECT_EQ(chart.Series[0].Title, "Read");
    EXPECT_EQ(chart.Series[0].Color, Rgb(0, 0, 255));
    EXPECT_EQ(chart.Series[0].OutlineColor, Rgb(77, 77, 255));
    EXPECT_EQ(chart.Series[0].Points.size(), 2u);
    EXPECT_EQ(chart.Series[1].Title, "Write");
    EXPECT_TRUE(chart.BottomLabels);
    EXPECT_EQ(chart.AxisMax, kNow);
    EXPECT_EQ(chart.FirstDay, kToday - 367);
    EXPECT_EQ(log.Lines, (std::vector<std::pair<int, std::string>> {{0, "FillChart"}, {0, "FreeSeries"}}));
}

TEST_F(FillChartTest, ProjectSumsEveryTimerOfItsOwnWhetherListedOrNot)
{
    const HistogramChart chart = Fill(&project, {}, &project);
    ASSERT_EQ(chart.Series.size(), 1u);
    const ChartSeries& s = chart.Series[0];
    EXPECT_EQ(s.Title, "Garden");
    ASSERT_EQ(s.Points.size(), 2u);
    EXPECT_EQ(PointOn(s, kToday)->Label, "1:30:00");
    EXPECT_EQ(PointOn(s, kToday - 1)->Label, "0:45:00");

    // The separator row carries no project: an empty chart, no failure.
    EXPECT_TRUE(Fill(&project, {}, nullptr).Series.empty());
    // A project without time still has its (empty) series for the legend.
    project.Id = 9;
    const HistogramChart empty = Fill(&project, {}, &project);
    ASSERT_EQ(empty.Series.size(), 1u);
    EXPECT_TRUE(empty.Series[0].Points.empty());
}

TEST_F(FillChartTest, NoObjectAndClearingLeaveNoSeriesOrLabels)
{
    HistogramChart chart = Fill(&a, {&a}, nullptr);
    chart.BarWidth = 12;
    log.Lines.clear();
    std::vector<TMyTimer*> none;
    FillChart(chart, {}, {none, none, nullptr}, timers, {}, kNow, DefaultResolveColor, log);
    EXPECT_EQ(chart.Series.size(), 1u); // stops before freeing anything
    ClearChartPage(chart, log);
    EXPECT_TRUE(chart.Series.empty());
    EXPECT_FALSE(chart.BottomLabels);
    EXPECT_EQ(chart.BarWidth, 0);
    EXPECT_EQ(log.Lines,
              (std::vector<std::pair<int, std::string>> {{0, "FillChart"}, {0, "ClearChartPage"}, {0, "FreeSeries"}}));
}

TEST(HistogramAxis, BarWidthAndVisiblePeriod)
{
    struct Case
    {
        int Plot;
        int Days;
        std::size_t Series;
        int Width;
    };
    for (const Case& c : {Case {300, 7, 2, 18},
                          Case {300, 99, 4, 0},
                          Case {300, 7, 0, 0},
                          Case {0, 7, 1, 0},
                          Case {300, 0, 1, 150},
                          Case {300, 500, 1, 3}}) {
        EXPECT_EQ(ChartBarWidth(c.Plot, c.Days, c.Series), c.Width) << c.Plot << " " << c.Days << " " << c.Series;
    }

    RecordingLog log;
    HistogramChart chart;
    const StatDates dates = ComputeStatDates(367, 7, kNow);
    // No series: nothing changes.
    EXPECT_FALSE(UpdateChart(chart, dates, 300, log));
    EXPECT_EQ(chart.AxisMax, 0.0);
    chart.Series.resize(2);
    ASSERT_TRUE(UpdateChart(chart, dates, 300, log));
    EXPECT_DOUBLE_EQ(chart.AxisMin, kNow - 1);
    EXPECT_DOUBLE_EQ(chart.AxisMax, kNow + 7);
    EXPECT_EQ(chart.BarWidth, 18);
    EXPECT_EQ(log.Lines.back(), (std::pair<int, std::string> {2, "UpdateChart"}));
}

TEST(HistogramAxis, DayLabels)
{
    EXPECT_EQ(ChartDayLabel(EncodeDate(2026, 3, 5) + 0.75, false), "05.03");
    EXPECT_EQ(ChartDayLabel(EncodeDate(2026, 3, 5), true), "05.03.26");
    EXPECT_EQ(ChartDayLabel(EncodeDate(2000, 12, 31), true), "31.12.00");
}

TEST(PeriodDialog, DatesFromTheTrackBarsAndBack)
{
    const PeriodDates shown = PeriodDialogDates(360, 5, kNow);
    EXPECT_EQ(shown.Start, kToday - 7);
    EXPECT_EQ(shown.End, kToday - 2);

    struct Case
    {
        TDateTime Start;
        TDateTime End;
        int Position;
        int Days;
    };
    for (const Case& c : {Case {kToday - 10, kToday, 357, 10},
                          Case {kToday - 400, kToday - 390, 0, 10},
                          Case {kToday + 3, kToday + 4, 367, 1},
                          Case {kToday - 200, kToday, 167, 99},
                          Case {kToday - 1e7, kToday + 1e7, 0, 99}}) {
        const PeriodPositions p = PeriodDialogPositions(c.Start, c.End, kNow);
        EXPECT_EQ(p.Position, c.Position) << c.Start - kToday;
        EXPECT_EQ(p.VisibleDays, c.Days) << c.Start - kToday;
    }
    // Shown and accepted unchanged, the track bars stay where they were.
    const PeriodPositions same = PeriodDialogPositions(shown.Start, shown.End, kNow);
    EXPECT_EQ(same.Position, 360);
    EXPECT_EQ(same.VisibleDays, 5);

    EXPECT_EQ(CheckPeriod(kToday, kToday), std::optional<std::string>("End Date must be greater than Start Date!"));
    EXPECT_TRUE(CheckPeriod(kToday, kToday - 1).has_value());
    EXPECT_FALSE(CheckPeriod(kToday - 1, kToday).has_value());
}

} // namespace
} // namespace tally
