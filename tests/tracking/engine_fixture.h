#pragma once

#include "model/datetime.h"
#include "model/timer_list.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_internet_probe.h"
#include "runlog/brisvale_log.h"
#include "tracking/tracking_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tally::test {

// An engine over the fake desktop and clock, with the run log's lines and
// the hooks' calls captured.
class EngineTest : public ::testing::Test
{
protected:
    EngineTest()
    {
        engine.LogTap = [this](std::uint8_t level, std::string_view text) {
            lines.push_back(std::to_string(level) + " " + std::string(text));
        };
        engine.RepaintTimerList = [this] { ++repaints; };
        engine.InstallKeyboardHook();
    }

    TMyTimer& AddTimer(std::uint8_t type, std::vector<std::string> identifiers = {}, std::uint8_t scope = 0)
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
    FakeDesktop desktop {&clock};
    FakeInternetProbe probe;
    TimerList timers;
    TBrisvaleLog log {clock};
    TrackingState state;
    TrackingEngine engine {timers, state, desktop, probe, clock, log};
    std::vector<std::string> lines;
    int repaints = 0;
};

} // namespace tally::test
