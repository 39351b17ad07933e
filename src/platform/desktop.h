#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tally {

// A top-level window of the desktop; 0 means "no window".
using WindowHandle = std::uint64_t;

// Screen coordinates in pixels.
struct ScreenPoint
{
    int X = 0;
    int Y = 0;
};

// Edges included: a point on Right or Bottom lies inside.
struct ScreenRect
{
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

inline bool PointInRect(ScreenPoint p, const ScreenRect& r)
{
    return p.X >= r.Left && p.X <= r.Right && p.Y >= r.Top && p.Y <= r.Bottom;
}

// What a desktop tells as it happens, for the tick to run at once instead of
// at its next firing.
enum class DesktopChange {
    Windows, // the active window changed, a window appeared, went or was renamed
    Lock,    // the session was locked or unlocked (told by the session watcher)
};

// What a desktop lets the program see of the user's work. Some desktops
// (Wayland compositors, a session without any display) keep other programs'
// windows and keystrokes to themselves; the timers that rely on them then
// say so instead of silently never counting.
struct DesktopSight
{
    bool Windows = true;    // other programs' windows, their captions and the one in front
    bool Keystrokes = true; // key presses in other programs
    bool IdleTime = true;   // the time since the last input
    // Which program each window belongs to; where it is not told, the
    // program is found from the window's application id, when it can be.
    bool Processes = true;
    // What the user can do to have the windows seen, where the desktop
    // tells (an extension to install or enable); empty otherwise.
    std::string WindowsFix = {};

    bool operator==(const DesktopSight&) const = default;
};

// One top-level window as the backend sees it, before any scope filtering.
struct TopLevelWindow
{
    WindowHandle Handle = 0;
    std::string Caption;     // UTF-8; empty when the window has none
    bool Visible = true;     // shown or minimised (managed by the window manager)
    bool Owned = false;      // has an owner (transient for another window)
    std::string ProcessName; // executable file name; filled only when asked for, may be empty
};

// The windows and the input the tracking engine asks about; the lock and
// sleep state belong to the session watcher. All calls are made on the
// user-interface thread. Failures are exceptions (std::exception); the
// engine catches them step by step.
class Desktop
{
public:
    using KeystrokeHandler = std::function<void()>;
    using ChangeHandler = std::function<void(DesktopChange change)>;

    virtual ~Desktop() = default;

    // The window the user works with, or 0 when there is none.
    virtual WindowHandle GetForegroundWindow() = 0;

    // Every top-level window of startWindow's Z order (0: the default screen),
    // top of the Z order first, hidden, owned and captionless ones included;
    // the engine applies the window scopes. With withProcessNames, ProcessName
    // is filled for every window that has a caption. Meant to be one pass over
    // the window system: the engine calls it at most once per kind per tick.
    virtual std::vector<TopLevelWindow> EnumTopLevelWindows(WindowHandle startWindow, bool withProcessNames) = 0;

    // Executable file name of the process that owns the window, or empty.
    virtual std::string GetWindowProcessName(WindowHandle window) = 0;

    // Whole seconds since the last keyboard or pointer input; 0 where it
    // cannot be measured.
    virtual std::uint32_t IdleSeconds() = 0;

    // Starts keystroke notifications: the handler runs once per key press.
    // False when they cannot be set up; the previous handler is replaced.
    virtual bool SetKeyboardHook(KeystrokeHandler onKeystroke) = 0;
    // Stops them; false when that failed.
    virtual bool RemoveKeyboardHook() = 0;

    // Installs the receiver of change notices; an empty handler removes it.
    // It runs from DispatchEvents only, never from inside another call. A
    // desktop that learns of no changes keeps the default and never calls it.
    virtual void SetChangeHandler(ChangeHandler /*onChange*/) { }

    // What this desktop can see; a backend that sees everything keeps the default.
    virtual DesktopSight Sight() const { return {}; }

    // The pointer position in screen coordinates.
    virtual ScreenPoint GetCursorPos() = 0;

    // Descriptors the shell's event loop watches; when one is readable the
    // shell calls DispatchEvents, which runs the keystroke and change handlers
    // on the calling thread.
    virtual std::vector<int> EventDescriptors() = 0;
    virtual void DispatchEvents() = 0;
};

} // namespace tally
