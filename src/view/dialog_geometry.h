#pragma once

#include "view/window_snap.h"

#include <optional>

namespace tally {

// The window moved, and where it must shrunk, so that it lies wholly inside
// the work area.
WindowGeometry ClampIntoArea(WindowGeometry window, const WorkArea& area);

// A window that takes a new size: it keeps its centre (growing from the
// top-left corner pushes the bottom and right off screen) and stays inside
// the work area.
WindowGeometry ResizeKeepingCentre(const WindowGeometry& window, int width, int height, const WorkArea& area);

// A window of this size in the middle of the work area.
WindowGeometry CentreInArea(int width, int height, const WorkArea& area);

enum class DockSide {
    Left,
    Right,
};

// A side window docked against the anchor's left or right edge, offsetY
// below its top, inside the work area. Where the usual side has no room it
// docks on the other side, past the window already there (occupied) where
// that leaves room; where neither side has room it stays on the usual side.
WindowGeometry DockBeside(const WindowGeometry& anchor,
                          int width,
                          int height,
                          int offsetY,
                          DockSide usual,
                          const WorkArea& area,
                          std::optional<WindowGeometry> occupied = std::nullopt);

} // namespace tally
