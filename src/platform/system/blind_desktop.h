#pragma once

#include "platform/desktop.h"
#include "platform/session_watcher.h"

#include <functional>
#include <utility>

namespace tally {

// The desktop where the program cannot look: no X server is reachable (a
// Wayland session without its X layer, a console). It sees no windows, no
// keystrokes and no idle time, and says so through Sight; manual, internet
// and computer-work timers count as usual.
//
// An optional session watcher (not owned; it must outlive this object) still
// reports lock changes, as the change notice that runs a tick at once. The
// pointer comes from whoever knows it (the toolkit knows it over the
// program's own windows, which is all the hint needs).
class BlindDesktop final : public Desktop
{
public:
    using CursorSource = std::function<ScreenPoint()>;

    explicit BlindDesktop(SessionWatcher* watcher = nullptr,
                          DesktopSight sight = {false, false, false},
                          CursorSource cursor = {})
        : m_watcher(watcher)
        , m_sight(sight)
        , m_cursor(std::move(cursor))
    { }

    WindowHandle GetForegroundWindow() override { return 0; }
    std::vector<TopLevelWindow> EnumTopLevelWindows(WindowHandle /*startWindow*/, bool /*withProcessNames*/) override
    {
        return {};
    }
    std::string GetWindowProcessName(WindowHandle /*window*/) override { return {}; }
    std::uint32_t IdleSeconds() override { return 0; }
    bool SetKeyboardHook(KeystrokeHandler /*onKeystroke*/) override { return false; }
    bool RemoveKeyboardHook() override { return true; }
    void SetChangeHandler(ChangeHandler onChange) override
    {
        if (m_watcher == nullptr) {
            return;
        }
        if (!onChange) {
            m_watcher->SetLockHandler(nullptr);
            return;
        }
        m_watcher->SetLockHandler([handler = std::move(onChange)] { handler(DesktopChange::Lock); });
    }
    DesktopSight Sight() const override { return m_sight; }
    ScreenPoint GetCursorPos() override { return m_cursor ? m_cursor() : ScreenPoint {}; }
    // The session watcher's descriptors are watched as the session's own.
    std::vector<int> EventDescriptors() override { return {}; }
    void DispatchEvents() override { }

private:
    SessionWatcher* m_watcher;
    DesktopSight m_sight;
    CursorSource m_cursor;
};

} // namespace tally
