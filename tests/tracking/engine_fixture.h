#pragma once

#include "model/datetime.h"
#include "model/timer_list.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_internet_probe.h"
#include "platform/fake/fake_session.h"
#include "runlog/brisvale_log.h"
#include "tracking/tracking_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace tally::test {

// Records what the engine reports; each part of a shell is there only when
// a test gives it (the tick's timer, the hint's window, a taskbar button).
class RecordingObserver : public TrackingObserver
{
public:
    void TimersChanged() override { ++repaints; }
    void TimersStopped() override { ++refreshes; }
    void PeriodsClosedForSuspend() override
    {
        if (onSuspend) {
            onSuspend();
        }
    }
    bool SetUpdateInterval(int intervalMs) override
    {
        if (movesTick) {
            intervals.push_back(intervalMs);
        }
        return movesTick;
    }
    bool HintShown() override { return hintShown; }
    std::optional<ScreenRect> MainWindowRect() override
    {
        return windowRect ? std::optional(windowRect()) : std::nullopt;
    }
    void HideHint() override { ++hintHides; }
    bool HasTaskbarButton() const override { return taskbarButton; }
    void HideTaskbarButton() override { ++taskbarHides; }
    void LogLine(std::uint8_t level, std::string_view text) override
    {
        lines.push_back(std::to_string(level) + " " + std::string(text));
    }

    std::vector<std::string> lines;
    int repaints = 0;
    int refreshes = 0;
    std::function<void()> onSuspend;
    bool movesTick = false;
    std::vector<int> intervals;
    bool hintShown = true;
    std::function<ScreenRect()> windowRect; // unset: no main window
    int hintHides = 0;
    bool taskbarButton = false;
    int taskbarHides = 0;
};

// An engine over the fake desktop, session and clock, with the run log's
// lines and the observer's reports captured.
class EngineTest : public ::testing::Test
{
protected:
    EngineTest()
    {
        engine.SetObserver(&observer);
        engine.InstallKeyboardHook();
    }

    TMyTimer& AddTimer(TimerType type, std::vector<std::string> identifiers = {}, WindowScope scope = scMainOnly)
    {
        TMyTimer& timer = timers.Create();
        timer.TimerType = type;
        timer.Identifiers = std::move(identifiers);
        timer.WindowScope = scope;
        timer.Enabled = true;
        return timer;
    }

    // Lets the given seconds pass, then ticks.
    void Tick(int seconds = 1)
    {
        clock.AdvanceSeconds(seconds);
        engine.TimUpdateTimer();
    }

    bool Logged(const std::string& line) const { return std::find(lines.begin(), lines.end(), line) != lines.end(); }

    static std::int64_t Ms(TDateTime days) { return DaysToMs(days); }

    FakeClock clock;
    FakeDesktop desktop;
    FakeSession session;
    FakeInternetProbe probe;
    TimerList timers;
    TBrisvaleLog log {clock};
    TrackingState state;
    RecordingObserver observer;
    std::vector<std::string>& lines = observer.lines;
    int& repaints = observer.repaints;
    TrackingEngine engine {timers, state, desktop, session, probe, clock, log};
};

} // namespace tally::test
