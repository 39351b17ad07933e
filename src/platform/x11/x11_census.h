#pragma once

#include "platform/desktop.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace tally::x11 {

// What one census learnt about a window.
struct WindowFacts
{
    bool Mapped = false;           // map state viewable
    bool OverrideRedirect = false; // a menu, tooltip or similar popup
    bool InputOnly = false;        // can never be seen
    std::string Caption;
    WindowHandle TransientFor = 0;
};

// The raw answers of one census, before the rules are applied.
struct CensusInput
{
    WindowHandle Root = 0;
    bool HasWindowManager = false;
    std::vector<WindowHandle> ManagedBottomFirst;        // the window manager's stacking list
    std::vector<WindowHandle> RootChildrenBottomFirst;   // the root's children
    WindowHandle WmCheckWindow = 0;                      // the window manager's own marker window
    std::unordered_map<WindowHandle, WindowFacts> Facts; // no entry: the window has gone
};

// The top-level windows, top first. With a window manager: its managed windows
// (shown or minimised) are the visible ones, then the unmapped children of the
// root that carry a caption and are not managed, as hidden windows. Without one:
// the root's children, mapped ones visible and unmapped ones with a caption
// hidden. Popups (override-redirect) and input-only windows are never listed.
// A window is owned when it is transient for a window listed as visible.
std::vector<TopLevelWindow> AssembleCensus(const CensusInput& input);

} // namespace tally::x11
