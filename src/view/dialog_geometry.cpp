#include "view/dialog_geometry.h"

#include <algorithm>

namespace tally {

namespace {

// One axis: start and length brought inside [low, high).
void ClampSpan(int& start, int& length, int low, int high)
{
    length = std::max(0, std::min(length, high - low));
    start = std::clamp(start, low, std::max(low, high - length));
}

} // namespace

WindowGeometry ClampIntoArea(WindowGeometry window, const WorkArea& area)
{
    ClampSpan(window.X, window.Width, area.Left, area.Right);
    ClampSpan(window.Y, window.Height, area.Top, area.Bottom);
    return window;
}

WindowGeometry ResizeKeepingCentre(const WindowGeometry& window, int width, int height, const WorkArea& area)
{
    // Twice the centre, so that odd sizes do not drift a pixel per change.
    const int cx2 = 2 * window.X + window.Width;
    const int cy2 = 2 * window.Y + window.Height;
    return ClampIntoArea({(cx2 - width) / 2, (cy2 - height) / 2, width, height}, area);
}

WindowGeometry CentreInArea(int width, int height, const WorkArea& area)
{
    const WindowGeometry whole {area.Left, area.Top, area.Right - area.Left, area.Bottom - area.Top};
    return ResizeKeepingCentre(whole, width, height, area);
}

WindowGeometry
DockBeside(const WindowGeometry& anchor, int width, int height, int offsetY, DockSide usual, const WorkArea& area)
{
    const int left = anchor.X - width;
    const int right = anchor.X + anchor.Width;
    const bool roomLeft = left >= area.Left;
    const bool roomRight = right + width <= area.Right;
    int x = usual == DockSide::Left ? left : right;
    if (usual == DockSide::Left && !roomLeft && roomRight) {
        x = right;
    } else if (usual == DockSide::Right && !roomRight && roomLeft) {
        x = left;
    }
    WindowGeometry docked {x, anchor.Y + offsetY, width, height};
    if (!roomLeft && !roomRight) {
        // A screen too narrow for either side: beside the main window as
        // ever rather than over it; only pulled inside from top and bottom.
        ClampSpan(docked.Y, docked.Height, area.Top, area.Bottom);
        return docked;
    }
    return ClampIntoArea(docked, area);
}

} // namespace tally
