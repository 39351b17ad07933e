#pragma once

#include "platform/session_watcher.h"

#include <windows.h>

#include <functional>

namespace tally {

inline constexpr const char* kMainWindowClass = "TForm1";
inline constexpr const char* kMainWindowTitle = "Tallyhour Zide";
// The keystroke notice of the keyboard-hook library.
inline constexpr WPARAM kKeystrokeWParam = 2345;
inline constexpr LPARAM kKeystrokeLParam = 3456;

// The program's hidden top-level window: a second start finds it by class
// and title, the keyboard-hook library posts its keystroke notices to it and
// Windows sends it the power notifications. It is never shown and is meant
// for the thread that creates it.
class HiddenMainWindow
{
public:
    using KeystrokeHandler = std::function<void()>;

    // Throws std::system_error when the window cannot be made.
    HiddenMainWindow();
    ~HiddenMainWindow();
    HiddenMainWindow(const HiddenMainWindow&) = delete;
    HiddenMainWindow& operator=(const HiddenMainWindow&) = delete;

    HWND Handle() const { return m_window; }

    void SetKeystrokeHandler(KeystrokeHandler onKeystroke) { m_onKeystroke = std::move(onKeystroke); }
    void SetPowerHandler(SessionWatcher::PowerHandler onPower) { m_onPower = std::move(onPower); }

    // Handles every message waiting for this thread's windows; the handlers
    // run from here.
    static void PumpMessages();

    // The window of a running instance (hidden windows count), or nullptr.
    static HWND FindRunningInstance();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool Handle(UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window = nullptr;
    KeystrokeHandler m_onKeystroke;
    SessionWatcher::PowerHandler m_onPower;
};

} // namespace tally
