#pragma once

#include "platform/desktop.h"
#include "platform/session_watcher.h"
#include "platform/system/desktop_sight.h"

#include <memory>
#include <string>
#include <vector>

namespace tally {

// A top-level window with the process behind it, for tools that show more
// than the tracking engine needs.
struct X11WindowInfo
{
    TopLevelWindow Window;
    int ProcessId = 0; // 0: unknown
};

// The desktop of an X11 session, over its own XCB connection.
//
// An optional session watcher (not owned; it must outlive this object) is
// dispatched with the window system's events, and its lock changes reach the
// change handler; the lock state itself is asked of the watcher.
//
// A broken connection (the X server went away) never ends the process: calls
// throw std::runtime_error, and each later call tries to open the display
// again. A process that ignores SIGPIPE when the desktop is made must keep
// ignoring it: the desktop then leaves the signal mask alone. EventDescriptors gives one descriptor that stays the same
// across such reconnections, plus the session watcher's.
class X11Desktop final : public Desktop
{
public:
    // displayName empty: $DISPLAY. Throws std::runtime_error when the display
    // cannot be opened.
    explicit X11Desktop(SessionWatcher* watcher = nullptr, std::string displayName = {});
    ~X11Desktop() override;
    X11Desktop(const X11Desktop&) = delete;
    X11Desktop& operator=(const X11Desktop&) = delete;

    WindowHandle GetForegroundWindow() override;
    std::vector<TopLevelWindow> EnumTopLevelWindows(WindowHandle startWindow, bool withProcessNames) override;
    std::string GetWindowProcessName(WindowHandle window) override;
    std::uint32_t IdleSeconds() override;
    bool SetKeyboardHook(KeystrokeHandler onKeystroke) override;
    bool RemoveKeyboardHook() override;
    // Window changes come from the server's notifications, lock changes from
    // the session watcher; both reach the handler from DispatchEvents.
    void SetChangeHandler(ChangeHandler onChange) override;
    ScreenPoint GetCursorPos() override;
    std::vector<int> EventDescriptors() override;
    void DispatchEvents() override;
    // Everything, unless told otherwise: the X server cannot tell by itself
    // whether the user's programs are its clients.
    DesktopSight Sight() const override;
    // Where the idle time is not seen, IdleSeconds is 0 (never idle) rather
    // than a count that misses the input to programs this server does not see.
    void SetSight(DesktopSight sight);
    // What the server told when it was connected.
    XServerFacts Facts();

    // The census with process ids (and, when asked, executable names) of the
    // windows that have a caption.
    std::vector<X11WindowInfo> Census(WindowHandle startWindow, bool withProcesses);
    // 0 when it cannot be told.
    int GetWindowProcessId(WindowHandle window);
    // Whether an EWMH window manager runs on the default screen.
    bool HasWindowManager();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace tally
