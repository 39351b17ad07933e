// One tick of 20 application and caption timers over 50 windows of a private
// Xvfb with openbox, censuses shared by the timers against one census per
// timer. Skips with a message when the rig cannot start.
#include "model/timer_list.h"
#include "platform/fake/fake_internet_probe.h"
#include "platform/system/no_session_watcher.h"
#include "platform/system/system_clock.h"
#include "platform/x11/x11_desktop.h"
#include "runlog/brisvale_log.h"
#include "tracking/tracking_engine.h"
#include "tracking/window_census.h"
#include "x11_rig.h"

#include <benchmark/benchmark.h>

#include <csignal>

#include <clocale>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace tally {
namespace {

constexpr int kWindows = 50;

// As in the program most of the time: no hint on screen.
class NoHint final : public TrackingObserver
{
public:
    bool HintShown() override { return false; }
};

struct Setup
{
    std::unique_ptr<test::XRig> Rig;
    std::vector<std::unique_ptr<test::TestWindow>> Windows;
    std::unique_ptr<X11Desktop> Desktop;
    SystemClock Clock;
    NoSessionWatcher Session;
    FakeInternetProbe Probe;
    NoHint Observer;
    TimerList Timers;
    TBrisvaleLog Log {Clock};
    TrackingState State;
    std::unique_ptr<TrackingEngine> Engine;
};

Setup* g_setup = nullptr;

// Timers whose targets sit at various depths of the Z order, two absent, so
// that searches walk most of the list.
void AddTimers(TimerList& timers)
{
    for (int i = 0; i < 10; ++i) {
        TMyTimer& app = timers.Create();
        app.Enabled = true;
        app.TimerType = ttApplication;
        app.Identifiers = {"/opt/missing/tool" + std::to_string(i),
                           i < 8 ? "/usr/lib/tally/tally-test-window" : "/opt/none/other" + std::to_string(i)};
        TMyTimer& caption = timers.Create();
        caption.Enabled = true;
        caption.TimerType = ttCaption;
        caption.WindowScope = static_cast<tally::WindowScope>(i % 3);
        caption.Identifiers = {"BENCH WINDOW " + std::to_string(i * 5 + 7) + " -"};
    }
}

void BM_X11Tick(benchmark::State& state)
{
    for (auto _ : state) {
        g_setup->Engine->TimUpdateTimer();
    }
}
BENCHMARK(BM_X11Tick)->UseRealTime()->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_X11DecisionsShared(benchmark::State& state)
{
    for (auto _ : state) {
        TickCensus census(*g_setup->Desktop, 0, 0);
        for (TMyTimer& timer : g_setup->Timers) {
            benchmark::DoNotOptimize(g_setup->Engine->TimerTargetOk(timer, census, g_setup->Clock.TickMs()));
        }
    }
}
BENCHMARK(BM_X11DecisionsShared)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_X11DecisionsNaive(benchmark::State& state)
{
    for (auto _ : state) {
        for (TMyTimer& timer : g_setup->Timers) {
            benchmark::DoNotOptimize(g_setup->Engine->TimerTargetOk(timer));
        }
    }
}
BENCHMARK(BM_X11DecisionsNaive)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace
} // namespace tally

int main(int argc, char** argv)
{
    std::signal(SIGPIPE, SIG_IGN); // as the program does
    std::setlocale(LC_ALL, "C.UTF-8");
    tally::Setup setup;
    try {
        setup.Rig = std::make_unique<tally::test::XRig>();
        for (int i = 0; i < tally::kWindows; ++i) {
            setup.Windows.push_back(
                setup.Rig->StartWindow({"--title", "Bench window " + std::to_string(i + 1) + " - x"}));
        }
        setup.Desktop = std::make_unique<tally::X11Desktop>(nullptr, setup.Rig->Display());
    } catch (const std::exception& e) {
        std::printf("x11_tick_bench skipped: %s\n", e.what());
        return 0;
    }
    tally::AddTimers(setup.Timers);
    setup.Engine = std::make_unique<tally::TrackingEngine>(
        setup.Timers, setup.State, *setup.Desktop, setup.Session, setup.Probe, setup.Clock, setup.Log);
    setup.Engine->SetObserver(&setup.Observer);
    tally::g_setup = &setup;

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    tally::g_setup = nullptr;
    return 0;
}
