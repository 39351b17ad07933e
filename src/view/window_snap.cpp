#include "view/window_snap.h"

namespace tally {

SnapResult SnapToWorkArea(const WindowGeometry& wanted, const WorkArea& area, bool snapSuspended)
{
    SnapResult r;
    r.X = wanted.X;
    r.Y = wanted.Y;
    if (snapSuspended) {
        return r;
    }
    const int cx = wanted.Width;
    const int cy = wanted.Height;
    if (r.X <= area.Left + kSnapDistance) {
        r.X = area.Left;
        r.Snapped = true;
    }
    if (r.X + cx >= area.Right - kSnapDistance) {
        r.X = area.Right - cx;
        r.Snapped = true;
    }
    if (r.Y <= area.Top + kSnapDistance) {
        r.Y = area.Top;
        r.Snapped = true;
    }
    if (r.Y + cy >= area.Bottom - kSnapDistance) {
        r.Y = area.Bottom - cy;
        r.Snapped = true;
    }
    if (r.Snapped) {
        if (r.X < area.Left) {
            r.X = area.Left;
        }
        if (r.X + cx > area.Right) {
            r.X = area.Right - cx;
        }
        if (r.Y < area.Top) {
            r.Y = area.Top;
        }
        if (r.Y + cy > area.Bottom) {
            r.Y = area.Bottom - cy;
        }
    }
    r.DockSideWindows = true;
    return r;
}

} // namespace tally
