// One tick of 20 application and caption timers over 50 windows, with the
// censuses shared by all timers against one census per timer.
#include "model/timer_list.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_internet_probe.h"
#include "platform/fake/fake_session.h"
#include "runlog/brisvale_log.h"
#include "tracking/text_match.h"
#include "tracking/tracking_engine.h"
#include "tracking/window_census.h"

#include <benchmark/benchmark.h>

#include <clocale>
#include <string>

namespace tally {
namespace {

constexpr WindowHandle kMainWindow = 5000;
constexpr WindowHandle kSkipWindow = 5001;

// 50 windows, a few of them hidden or owned, captions partly non-ASCII; 10
// application and 10 caption timers whose targets sit at various depths of
// the Z order, two of them absent, so searches walk most of the list.
struct Rig
{
    Rig()
    {
        std::setlocale(LC_ALL, "C.UTF-8");
        for (int i = 0; i < 50; ++i) {
            TopLevelWindow window;
            window.Handle = 100 + static_cast<WindowHandle>(i);
            window.Caption = (i % 3 == 0 ? "Übersicht " : "Document ") + std::to_string(i) + " - Editor";
            window.ProcessName = "app" + std::to_string(i) + ".exe";
            window.Visible = i % 7 != 6;
            window.Owned = i % 5 == 4;
            desktop.AddWindow(window);
        }
        desktop.SetForeground(130);
        for (int i = 0; i < 10; ++i) {
            TMyTimer& app = timers.Create();
            app.Enabled = true;
            app.TimerType = ttApplication;
            app.Identifiers = {"C:\\Programs\\Missing" + std::to_string(i) + ".exe",
                               "C:\\Programs\\App" + std::to_string(i * 5 + 8) + ".EXE"};
            TMyTimer& caption = timers.Create();
            caption.Enabled = true;
            caption.TimerType = ttCaption;
            caption.WindowScope = static_cast<tally::WindowScope>(i % 3);
            caption.Identifiers = {"DOCUMENT " + std::to_string(i * 5 + 7) + " -"};
        }
        engine.MainWindow = kMainWindow;
        engine.SkipWindow = kSkipWindow;
    }

    FakeClock clock;
    FakeDesktop desktop;
    FakeSession session;
    FakeInternetProbe probe;
    TimerList timers;
    TBrisvaleLog log {clock};
    TrackingState state;
    TrackingEngine engine {timers, state, desktop, session, probe, clock, log};
};

void ReportCensusCalls(benchmark::State& state, Rig& rig)
{
    const auto perTick = [&](double calls) { return calls / static_cast<double>(state.iterations()); };
    state.counters["census_passes"] = perTick(rig.desktop.CensusCalls(false) + rig.desktop.CensusCalls(true));
}

// The whole tick as the shell runs it: decisions, increments, closing.
void BM_TickSharedCensus(benchmark::State& state)
{
    Rig rig;
    rig.desktop.ResetCounters();
    for (auto _ : state) {
        rig.clock.AdvanceMs(1000);
        rig.engine.TimUpdateTimer();
    }
    ReportCensusCalls(state, rig);
}
BENCHMARK(BM_TickSharedCensus)->Unit(benchmark::kMicrosecond);

// The 20 decisions over one shared census.
void BM_DecisionsSharedCensus(benchmark::State& state)
{
    Rig rig;
    rig.desktop.ResetCounters();
    for (auto _ : state) {
        TickCensus census(rig.desktop, kMainWindow, kSkipWindow);
        for (const TMyTimer& timer : rig.timers) {
            benchmark::DoNotOptimize(rig.engine.TimerTargetOk(timer, census, rig.clock.TickMs()));
        }
    }
    ReportCensusCalls(state, rig);
}
BENCHMARK(BM_DecisionsSharedCensus)->Unit(benchmark::kMicrosecond);

// The same decisions, each timer taking a census of its own.
void BM_DecisionsNaiveCensus(benchmark::State& state)
{
    Rig rig;
    rig.desktop.ResetCounters();
    for (auto _ : state) {
        for (const TMyTimer& timer : rig.timers) {
            benchmark::DoNotOptimize(rig.engine.TimerTargetOk(timer));
        }
    }
    ReportCensusCalls(state, rig);
}
BENCHMARK(BM_DecisionsNaiveCensus)->Unit(benchmark::kMicrosecond);

// One census per timer with the executable name looked up window by window,
// one process lookup for every listed window of every application timer.
void BM_DecisionsNaivePerWindowLookup(benchmark::State& state)
{
    Rig rig;
    rig.desktop.ResetCounters();
    long lookups = 0;
    for (auto _ : state) {
        for (const TMyTimer& timer : rig.timers) {
            const bool processNames = timer.TimerType == ttApplication;
            const tally::WindowScope scope = processNames ? scWithHidden : timer.WindowScope;
            std::vector<CensusEntry> entries = GetWindowList(rig.desktop, kMainWindow, kSkipWindow, scope, false);
            for (CensusEntry& entry : entries) {
                if (processNames) {
                    entry.Name = rig.desktop.GetWindowProcessName(entry.Handle);
                    ++lookups;
                }
                entry.Name = LowerCase(entry.Name);
            }
            benchmark::DoNotOptimize(FindMatchingWindow(entries, timer.Identifiers, processNames));
        }
    }
    ReportCensusCalls(state, rig);
    state.counters["process_lookups"] = static_cast<double>(lookups) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_DecisionsNaivePerWindowLookup)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace tally

BENCHMARK_MAIN();
