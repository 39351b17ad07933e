#include "model/datetime.h"
#include "model/timer.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

namespace tally {
namespace {

std::size_t HeapInUse()
{
    return mallinfo2().uordblks + mallinfo2().hblkhd;
}

// Memory of stored periods: a heavy user's timer with millions of records.
void BM_BytesPerStoredPeriod(benchmark::State& state)
{
    const auto count = static_cast<std::size_t>(state.range(0));
    double bytesPerPeriod = 0;
    for (auto _ : state) {
        const std::size_t before = HeapInUse();
        {
            TMyTimer timer;
            for (std::size_t i = 0; i < count; ++i) {
                const double start = 45000.0 + static_cast<double>(i) * kOneMinute;
                timer.ActivePeriods.Add(start, start + 30 * kOneSecond);
            }
            bytesPerPeriod = static_cast<double>(HeapInUse() - before) / static_cast<double>(count);
            benchmark::DoNotOptimize(timer.ActivePeriods.Count());
        }
    }
    state.counters["bytes_per_period"] = bytesPerPeriod;
}
BENCHMARK(BM_BytesPerStoredPeriod)->Arg(5'000'000)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_TimeInRange(benchmark::State& state)
{
    const auto count = static_cast<std::size_t>(state.range(0));
    TMyTimer timer;
    for (std::size_t i = 0; i < count; ++i) {
        const double start = 45000.0 + static_cast<double>(i) * kOneMinute;
        timer.ActivePeriods.Add(start, start + 30 * kOneSecond);
        timer.BackgroundPeriods.Add(start, start + 10 * kOneSecond);
    }
    const TDateTime day = 45000.0 + 100;
    for (auto _ : state) {
        benchmark::DoNotOptimize(timer.TimeInRange(PeriodKind::Active, day, day, day + 1000));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(count));
}
BENCHMARK(BM_TimeInRange)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_IncrementAndClose(benchmark::State& state)
{
    TMyTimer timer;
    ClockReading now {45000.0, 1000};
    for (auto _ : state) {
        now.Now += kOneSecond;
        now.TickMs += 1000;
        timer.IncActiveTime(now);
        timer.IncBackgroundTime(now);
        timer.ClosePeriods(true, false);
    }
}
BENCHMARK(BM_IncrementAndClose);

} // namespace
} // namespace tally

BENCHMARK_MAIN();
