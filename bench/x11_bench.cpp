// The X11 desktop against a private Xvfb with openbox and 20 windows, each of
// its own client process. Skips with a message when the rig cannot start.

#include "platform/x11/x11_desktop.h"
#include "x11_rig.h"

#include <benchmark/benchmark.h>

#include <csignal>

#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kWindows = 20;

struct Setup
{
    std::unique_ptr<tally::test::XRig> Rig;
    std::vector<std::unique_ptr<tally::test::TestWindow>> Windows;
    std::unique_ptr<tally::X11Desktop> Desktop;
};

Setup* g_setup = nullptr;

void BM_Census(benchmark::State& state)
{
    const bool withProcessNames = state.range(0) != 0;
    std::size_t listed = 0;
    for (auto _ : state) {
        const auto windows = g_setup->Desktop->EnumTopLevelWindows(0, withProcessNames);
        listed = windows.size();
        benchmark::DoNotOptimize(windows.data());
    }
    state.counters["windows"] = static_cast<double>(listed);
}
BENCHMARK(BM_Census)
    ->ArgName("processNames")
    ->Arg(0)
    ->Arg(1)
    ->UseRealTime()
    ->MinTime(0.2)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

void BM_ForegroundWindow(benchmark::State& state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(g_setup->Desktop->GetForegroundWindow());
    }
}
BENCHMARK(BM_ForegroundWindow)->UseRealTime()->MinTime(0.2)->Repetitions(7)->ReportAggregatesOnly(true);

void BM_IdleSeconds(benchmark::State& state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(g_setup->Desktop->IdleSeconds());
    }
}
BENCHMARK(BM_IdleSeconds)->UseRealTime()->MinTime(0.2)->Repetitions(7)->ReportAggregatesOnly(true);

void BM_WindowProcessName(benchmark::State& state)
{
    const auto window = g_setup->Windows.front()->Id();
    for (auto _ : state) {
        benchmark::DoNotOptimize(g_setup->Desktop->GetWindowProcessName(window));
    }
}
BENCHMARK(BM_WindowProcessName)->UseRealTime()->MinTime(0.2)->Repetitions(7)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv)
{
    std::signal(SIGPIPE, SIG_IGN); // as the program does
    Setup setup;
    try {
        setup.Rig = std::make_unique<tally::test::XRig>();
        for (int i = 0; i < kWindows; ++i) {
            setup.Windows.push_back(setup.Rig->StartWindow({"--title", "Bench window " + std::to_string(i + 1)}));
        }
        setup.Desktop = std::make_unique<tally::X11Desktop>(nullptr, setup.Rig->Display());
    } catch (const std::exception& e) {
        std::printf("x11_bench skipped: %s\n", e.what());
        return 0;
    }
    g_setup = &setup;

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_setup = nullptr;
    return 0;
}
