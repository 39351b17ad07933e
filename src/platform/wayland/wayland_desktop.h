#pragma once

#include "platform/desktop.h"
#include "platform/session_watcher.h"
#include "platform/wayland/source_choice.h"
#include "platform/wayland/window_source.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tally {

struct WaylandDesktopOptions
{
    std::string DisplayName;    // empty: $WAYLAND_DISPLAY
    std::string SwaySocket;     // $SWAYSOCK; empty: not sway
    std::string HyprlandFolder; // $XDG_RUNTIME_DIR/hypr/$HYPRLAND_INSTANCE_SIGNATURE; empty: not Hyprland
    // A list pushed from inside the compositor (a desktop script), when one
    // has answered; it wins over every other source.
    std::unique_ptr<WindowSource> Pushed;
    // The compositor tells idleness only once it has lasted this long; below
    // it the idle time reads 0.
    std::chrono::milliseconds IdleTimeout {5000};
    std::function<ScreenPoint()> Cursor; // the pointer, from whoever knows it
    // The idle time in seconds from a bus service (GNOME's), used where the
    // compositor offers no idle protocol.
    std::function<std::uint32_t()> BusIdle;

    static WaylandDesktopOptions FromEnvironment();
};

// A window as the census tool shows it.
struct WaylandWindowInfo
{
    TopLevelWindow Window;
    int ProcessId = 0; // 0: the source does not tell
    std::string AppId;
    bool Focused = false;
};

// The desktop of a Wayland session, over a connection of its own to the
// compositor plus the window source that answered (see ChooseSources).
//
// The compositor going away never ends the process: DispatchEvents throws
// once, and from then on no windows and no idle time are seen. Its one
// event descriptor (an epoll set) goes quiet then, so nothing spins.
class WaylandDesktop final : public Desktop
{
public:
    // Throws std::runtime_error when the display cannot be reached.
    explicit WaylandDesktop(SessionWatcher* watcher, WaylandDesktopOptions options);
    ~WaylandDesktop() override;
    WaylandDesktop(const WaylandDesktop&) = delete;
    WaylandDesktop& operator=(const WaylandDesktop&) = delete;

    WindowHandle GetForegroundWindow() override;
    std::vector<TopLevelWindow> EnumTopLevelWindows(WindowHandle startWindow, bool withProcessNames) override;
    std::string GetWindowProcessName(WindowHandle window) override;
    std::uint32_t IdleSeconds() override;
    bool SetKeyboardHook(KeystrokeHandler onKeystroke) override;
    bool RemoveKeyboardHook() override;
    void SetChangeHandler(ChangeHandler onChange) override;
    DesktopSight Sight() const override;
    ScreenPoint GetCursorPos() override;
    std::vector<int> EventDescriptors() override;
    void DispatchEvents() override;

    SourceChoice Sources() const;
    // "sway IPC", "wlr foreign toplevel", ... or "none".
    std::string WindowSourceName() const;
    std::vector<WaylandWindowInfo> Census(bool withProcesses);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace tally
