#include "view/hint_logic.h"

namespace tally {

HintMove OnListMouseMove(bool rowUnderPointer, bool hintVisible, bool showHints)
{
    if (!rowUnderPointer) {
        return HintMove::Hide;
    }
    if (!hintVisible && showHints) {
        return HintMove::Wait;
    }
    return HintMove::MoveAndFill;
}

bool HintTimerPlaces(const HintTimerState& s)
{
    if (s.Sleeping || s.DesktopLocked) {
        return false;
    }
    return s.RowUnderPointer && !s.HintVisible && s.ShowHints && s.MainWindowVisible && s.MainWindowInFront;
}

} // namespace tally
