#pragma once

#include <cstdint>

namespace tally {

// The state the tick shares with the rest of the program: the settings fill
// the thresholds, the shell keeps MainWindowShown up to date and reads
// Sleeping for its hint timer, the engine keeps the rest. One object per
// program (or per test), handed to the engine by reference.
struct TrackingState
{
    // The user has been idle longer than IdleIntervalSec; recomputed by every
    // tick that is not skipped.
    bool IsIdle = false;
    // Idle threshold in seconds (settings key "IdleInterval").
    std::int32_t IdleIntervalSec = 300;
    // Typing window in milliseconds (settings key "MaxKeyInterval", seconds, times 1000).
    std::int32_t MaxKeyIntervalMs = 1000;
    // Pacing firings since the main window was last seen shown.
    std::int32_t HiddenTickCount = 0;
    // Monotonic tick (Clock::TickMs) of the last keystroke; the engine sets it
    // to the tick of its creation, which stands for start-up.
    std::int64_t LastKeyTick = 0;
    // Between the suspend and the resume notification.
    bool Sleeping = false;
    // The main window is shown; the program starts in the notification area.
    bool MainWindowShown = false;
};

} // namespace tally
