#pragma once

#include "platform/desktop.h"

namespace tally {

inline constexpr int kHintOffset = 16;

// Top-left corner of the hint for a pointer position (no clamping to the
// screen: it may reach past the edge).
inline ScreenPoint HintPosition(ScreenPoint pointer)
{
    return {pointer.X + kHintOffset, pointer.Y + kHintOffset};
}

enum class HintMove {
    Hide,        // no row under the pointer
    Wait,        // the hint timer will show it
    MoveAndFill, // follow the pointer (hidden stays hidden without "Show hints")
};

// Mouse movement over the timer list (the hint timer is restarted in every case).
HintMove OnListMouseMove(bool rowUnderPointer, bool hintVisible, bool showHints);

struct HintTimerState
{
    bool Sleeping = false;
    bool DesktopLocked = false;
    bool RowUnderPointer = false;
    bool HintVisible = false;
    bool ShowHints = true;
    bool MainWindowVisible = false;
    bool MainWindowInFront = false;
};

// Whether the hint timer places the hint and starts the 300 ms show delay.
bool HintTimerPlaces(const HintTimerState& s);

} // namespace tally
