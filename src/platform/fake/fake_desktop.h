#pragma once

#include "platform/desktop.h"

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace tally {

// A desktop that tests script: windows in Z order (top first) with captions,
// owners, visibility and process names, the foreground window, idle seconds,
// keystrokes, the pointer and injected failures.
// Counts the calls the engine makes so tests can check its cost.
class FakeDesktop final : public Desktop
{
public:
    // Operations that can be made to fail (throw, or return false for the hooks).
    enum class Op {
        Foreground,
        Census,
        ProcessName,
        Idle,
        Cursor,
        SetHook,
        RemoveHook,
    };

    // Window script. AddWindow puts the window at the bottom of the Z order.
    TopLevelWindow& AddWindow(TopLevelWindow window);
    TopLevelWindow& AddWindow(WindowHandle handle, std::string caption, std::string processName = {});
    TopLevelWindow* FindWindow(WindowHandle handle);
    void RaiseWindow(WindowHandle handle);
    void RemoveWindow(WindowHandle handle);
    void ClearWindows() { m_windows.clear(); }
    const std::vector<TopLevelWindow>& Windows() const { return m_windows; }

    void SetForeground(WindowHandle handle) { m_foreground = handle; }
    void SetIdleSeconds(std::uint32_t seconds) { m_idleSeconds = seconds; }
    void SetCursor(ScreenPoint point) { m_cursor = point; }
    void SetFailing(Op op, bool failing = true);
    // What the desktop claims to see (everything unless told otherwise).
    void SetSight(DesktopSight sight) { m_sight = sight; }

    // Delivers a keystroke to the installed handler.
    void PressKey();
    // Delivers a change notice, as a desktop that watches the window system does.
    void NotifyChange(DesktopChange change);

    bool Hooked() const { return static_cast<bool>(m_onKeystroke); }
    bool HasChangeHandler() const { return static_cast<bool>(m_onChange); }
    int CensusCalls(bool withProcessNames) const { return m_censusCalls[withProcessNames ? 1 : 0]; }
    int ForegroundCalls() const { return m_foregroundCalls; }
    // The start window of the last census.
    WindowHandle LastStartWindow() const { return m_lastStartWindow; }
    void ResetCounters();

    WindowHandle GetForegroundWindow() override;
    std::vector<TopLevelWindow> EnumTopLevelWindows(WindowHandle startWindow, bool withProcessNames) override;
    std::string GetWindowProcessName(WindowHandle window) override;
    std::uint32_t IdleSeconds() override;
    bool SetKeyboardHook(KeystrokeHandler onKeystroke) override;
    bool RemoveKeyboardHook() override;
    void SetChangeHandler(ChangeHandler onChange) override { m_onChange = std::move(onChange); }
    DesktopSight Sight() const override { return m_sight; }
    ScreenPoint GetCursorPos() override;
    std::vector<int> EventDescriptors() override { return {}; }
    void DispatchEvents() override { }

private:
    void ThrowIfFailing(Op op, const char* what) const;

    std::vector<TopLevelWindow> m_windows;
    WindowHandle m_foreground = 0;
    std::uint32_t m_idleSeconds = 0;
    ScreenPoint m_cursor;
    std::set<Op> m_failing;
    KeystrokeHandler m_onKeystroke;
    ChangeHandler m_onChange;
    int m_censusCalls[2] = {0, 0};
    int m_foregroundCalls = 0;
    WindowHandle m_lastStartWindow = 0;
    DesktopSight m_sight;
};

} // namespace tally
