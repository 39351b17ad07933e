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

WindowGeometry DockBeside(const WindowGeometry& anchor,
                          int width,
                          int height,
                          int offsetY,
                          DockSide usual,
                          const WorkArea& area,
                          std::optional<WindowGeometry> occupied)
{
    const int left = anchor.X - width;
    const int right = anchor.X + anchor.Width;
    const bool roomLeft = left >= area.Left;
    const bool roomRight = right + width <= area.Right;
    int x = usual == DockSide::Left ? left : right;
    const int top = anchor.Y + offsetY;
    const bool toRight = usual == DockSide::Left && !roomLeft && roomRight;
    const bool toLeft = usual == DockSide::Right && !roomRight && roomLeft;
    if (toRight || toLeft) {
        x = toRight ? right : left;
        // The other side's own window is there already: go on past it.
        if (occupied && occupied->X < x + width && x < occupied->X + occupied->Width && occupied->Y < top + height
            && top < occupied->Y + occupied->Height) {
            const int beyond = toRight ? occupied->X + occupied->Width : occupied->X - width;
            if (beyond >= area.Left && beyond + width <= area.Right) {
                x = beyond;
            }
        }
    }
    WindowGeometry docked {x, top, width, height};
    if (!roomLeft && !roomRight) {
        // A screen too narrow for either side: beside the main window as
        // ever rather than over it; only pulled inside from top and bottom.
        ClampSpan(docked.Y, docked.Height, area.Top, area.Bottom);
        return docked;
    }
    return ClampIntoArea(docked, area);
}

} // namespace tally
