#include "model/datetime.h"
#include "model/run_log_sink.h"
#include "model/timer.h"
#include "model/timer_list.h"
#include "stats/histogram.h"
#include "stats/stat_dates.h"
#include "stats/text_stat.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace tally {
namespace {

struct NullLog final : RunLogSink
{
    void WriteLine(std::uint8_t, std::string_view) override { }
};

constexpr std::size_t kTimers = 20;
constexpr std::size_t kPeriodsPerTimer = 1'000'000;
const TDateTime kNow = EncodeDateTime(2026, 6, 10, 15, 30, 0);

// A heavy user's selection: 20 running timers, each with a million closed
// periods (two thirds active) of 30 s every minute, ending today.
struct Selection
{
    TimerList Owned;
    std::vector<TMyTimer*> Timers;

    Selection()
    {
        const TDateTime first = kNow - static_cast<double>(kPeriodsPerTimer) * kOneMinute;
        for (std::size_t t = 0; t < kTimers; ++t) {
            auto timer = std::make_unique<TMyTimer>();
            timer->TimerType = ttApplication;
            for (std::size_t i = 0; i < kPeriodsPerTimer; ++i) {
                const TDateTime start = first + static_cast<double>(i) * kOneMinute;
                PeriodList& list = i % 3 == 2 ? timer->BackgroundPeriods : timer->ActivePeriods;
                list.Add(start, start + 30 * kOneSecond);
            }
            timer->ActiveStart = kNow - 5 * kOneMinute;
            timer->ActiveLast = kNow;
            Timers.push_back(timer.get());
            Owned.Add(std::move(timer));
        }
    }
};

Selection& Shared()
{
    static Selection selection;
    return selection;
}

// What the timer list's repaint asks of every timer each second.
void RepaintListToday(const Selection& s)
{
    for (const TMyTimer* timer : s.Timers) {
        benchmark::DoNotOptimize(timer->ActiveToday(kNow));
        benchmark::DoNotOptimize(timer->BackgroundToday(kNow));
    }
}

// One refresh of the text page for the chosen day, state.range(0) days back
// (0 is today), after the timer list has repainted its today figures as it
// does every second.
void BM_TextStatRefresh(benchmark::State& state)
{
    Selection& s = Shared();
    NullLog log;
    const StatDates dates = ComputeStatDates(kDatePositionMax - static_cast<int>(state.range(0)), 7, kNow);
    const StatObject object = s.Timers.front();
    const StatSelection selection {s.Timers, s.Timers, nullptr};
    for (auto _ : state) {
        state.PauseTiming();
        RepaintListToday(s);
        state.ResumeTiming();
        TextStat page = FillTextStat(object, selection, dates.StatDate, kNow, log);
        benchmark::DoNotOptimize(page);
    }
}
BENCHMARK(BM_TextStatRefresh)->Arg(0)->Arg(1)->Arg(200)->Unit(benchmark::kMicrosecond);

// The first refresh after the lists were loaded or edited: every list walks
// its periods once to sum them per day. A log edit does this for one timer.
void BM_TextStatFirstRefresh(benchmark::State& state)
{
    Selection& s = Shared();
    NullLog log;
    const StatDates dates = ComputeStatDates(kDatePositionMax - 1, 7, kNow);
    const StatObject object = s.Timers.front();
    const StatSelection selection {s.Timers, s.Timers, nullptr};
    for (auto _ : state) {
        state.PauseTiming();
        for (TMyTimer* timer : s.Timers) {
            // Removing a record drops the kept sums; put it back.
            for (PeriodList* list : {&timer->ActivePeriods, &timer->BackgroundPeriods}) {
                const TWorkPeriod last = list->Last();
                list->Remove(list->Last());
                list->Add(last.Start, last.Stop);
            }
        }
        state.ResumeTiming();
        TextStat page = FillTextStat(object, selection, dates.StatDate, kNow, log);
        benchmark::DoNotOptimize(page);
    }
}
BENCHMARK(BM_TextStatFirstRefresh)->Unit(benchmark::kMillisecond);

// Drops a timer's kept day sums the way a log edit does (remove a record,
// put it back), so the next query walks its periods once.
void DropDaySums(TMyTimer& timer)
{
    for (PeriodList* list : {&timer.ActivePeriods, &timer.BackgroundPeriods}) {
        const TWorkPeriod last = list->Last();
        list->Remove(list->Last());
        list->Add(last.Start, last.Stop);
    }
}

// The histogram's rebuild (FillChart) for one timer, state.range(0) 1, or
// for a project of all 20 timers; state.range(1) 1 drops the kept day sums
// first, as after loading or a log edit.
void BM_HistogramRebuild(benchmark::State& state)
{
    Selection& s = Shared();
    const bool project = state.range(0) == 20;
    const bool cold = state.range(1) != 0;
    NullLog log;
    TTimeProject garden;
    garden.Id = 7;
    std::vector<TMyTimer*> one {s.Timers.front()};
    for (TMyTimer* timer : s.Timers) {
        timer->ProjectId = garden.Id;
    }
    const StatObject object = project ? StatObject(&garden) : StatObject(s.Timers.front());
    const StatSelection selection {project ? std::span<TMyTimer* const>() : std::span<TMyTimer* const>(one),
                                   s.Timers,
                                   project ? &garden : nullptr};
    HistogramChart chart;
    for (auto _ : state) {
        if (cold) {
            state.PauseTiming();
            for (TMyTimer* timer : project ? s.Timers : one) {
                DropDaySums(*timer);
            }
            state.ResumeTiming();
        }
        FillChart(chart, object, selection, s.Owned, {}, kNow, DefaultResolveColor, log);
        benchmark::DoNotOptimize(chart);
    }
}
BENCHMARK(BM_HistogramRebuild)->Args({1, 0})->Args({1, 1})->Args({20, 0})->Args({20, 1})->Unit(benchmark::kMillisecond);

// The per-day walk the rebuild replaces: 368 walks over every active period.
void BM_HistogramNaiveDayWalk(benchmark::State& state)
{
    const TMyTimer& timer = *Shared().Timers.front();
    const std::int64_t today = DayOf(kNow);
    for (auto _ : state) {
        std::vector<TDateTime> days(kHistogramDays, 0.0);
        for (int i = 0; i < kHistogramDays; ++i) {
            const std::int64_t day = today - kDatePositionMax + i;
            TDateTime sum = 0.0;
            for (const TWorkPeriod& period : timer.ActivePeriods) {
                if (DayOf(period.Start) == day) {
                    sum += period.Stop - period.Start;
                }
            }
            days[static_cast<std::size_t>(i)] = sum;
        }
        benchmark::DoNotOptimize(days);
    }
}
BENCHMARK(BM_HistogramNaiveDayWalk)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
} // namespace tally

BENCHMARK_MAIN();
