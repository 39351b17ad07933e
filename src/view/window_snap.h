#pragma once

namespace tally {

struct WindowGeometry
{
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    bool operator==(const WindowGeometry&) const = default;
};

// The screen area not covered by panels; Right and Bottom are exclusive.
struct WorkArea
{
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

inline constexpr int kSnapDistance = 32;

struct SnapResult
{
    int X = 0;
    int Y = 0;
    bool Snapped = false;
    // The docked side windows follow before the move.
    bool DockSideWindows = false;
};

// Where the main window goes when asked to move to 'wanted': edges within 32
// pixels of the work area's edges snap onto them, and a snapped window is
// pulled fully inside. Nothing changes while snapping is suspended.
SnapResult SnapToWorkArea(const WindowGeometry& wanted, const WorkArea& area, bool snapSuspended);

} // namespace tally
