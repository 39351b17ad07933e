// The main window's timer list repainted on a tick, offscreen: twenty
// application timers, each a second further in the background, the main
// window shown. What the window costs per tick beyond the tracking itself.
#include "model/datetime.h"
#include "platform/fake/fake_clock.h"
#include "runlog/brisvale_log.h"
#include "shell/main_window/main_window.h"
#include "shell/main_window/timer_list_view.h"

#include <QApplication>
#include <QTest>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

namespace {

using namespace tally;

void ListRepaintPerTick(benchmark::State& state)
{
    FakeClock clock;
    clock.Set(EncodeDateTime(2026, 7, 1, 10, 0, 0));
    TBrisvaleLog log {clock};
    TimeModel model;
    for (int i = 0; i < 20; ++i) {
        TMyTimer& t = model.Timers.Create();
        t.Name = "Timer " + std::to_string(i);
        t.Enabled = true;
        t.TimerType = ttApplication;
    }
    MainWindow window(model, log, [&clock] { return clock.Now(); });
    window.Draw();
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        state.SkipWithError("the window was not exposed");
        return;
    }
    QTest::qWait(50);
    for (auto _ : state) {
        clock.AdvanceSeconds(1);
        for (TMyTimer& t : model.Timers) {
            t.IncBackgroundTime(clock.Read());
        }
        window.RepaintList();
    }
}
BENCHMARK(ListRepaintPerTick)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
