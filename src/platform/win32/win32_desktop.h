#pragma once

#include "platform/desktop.h"
#include "platform/session_watcher.h"
#include "platform/win32/main_window.h"

#include <windows.h>

#include <string>

namespace tally {

inline constexpr const char* kKeyboardHookLibrary = "kbdwatch.dll";

// The Windows desktop: the census through GetWindow, the idle time from the
// last input, and keystrokes from the keyboard-hook library, which posts its
// notices to the hidden main window. Windows messages are not descriptors,
// so the shell's loop pumps them (DispatchEvents does it for a loop of its
// own).
class Win32Desktop final : public Desktop
{
public:
    // hookLibrary is loaded by name (the program's folder first) when the
    // hook is set.
    explicit Win32Desktop(HiddenMainWindow& window, std::string hookLibrary = kKeyboardHookLibrary);
    ~Win32Desktop() override;
    Win32Desktop(const Win32Desktop&) = delete;
    Win32Desktop& operator=(const Win32Desktop&) = delete;

    WindowHandle GetForegroundWindow() override;
    // Leaves out the hidden main window, which only receives messages.
    std::vector<TopLevelWindow> EnumTopLevelWindows(WindowHandle startWindow, bool withProcessNames) override;
    std::string GetWindowProcessName(WindowHandle window) override;
    std::uint32_t IdleSeconds() override;
    bool SetKeyboardHook(KeystrokeHandler onKeystroke) override;
    bool RemoveKeyboardHook() override;
    ScreenPoint GetCursorPos() override;
    std::vector<int> EventDescriptors() override { return {}; }
    void DispatchEvents() override { HiddenMainWindow::PumpMessages(); }

private:
    HiddenMainWindow& m_window;
    std::string m_hookLibrary;
    HMODULE m_library = nullptr;
};

// The lock state from the input desktop, power notifications from the hidden
// main window.
class Win32SessionWatcher final : public SessionWatcher
{
public:
    explicit Win32SessionWatcher(HiddenMainWindow& window)
        : m_window(window)
    { }

    bool IsLocked() override;
    void SetPowerHandler(PowerHandler onPower) override { m_window.SetPowerHandler(std::move(onPower)); }
    std::vector<int> EventDescriptors() override { return {}; }
    void DispatchEvents() override { HiddenMainWindow::PumpMessages(); }

private:
    HiddenMainWindow& m_window;
};

} // namespace tally
