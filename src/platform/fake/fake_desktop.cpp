#include "platform/fake/fake_desktop.h"

#include <algorithm>
#include <stdexcept>

namespace tally {

TopLevelWindow& FakeDesktop::AddWindow(TopLevelWindow window)
{
    m_windows.push_back(std::move(window));
    return m_windows.back();
}

TopLevelWindow& FakeDesktop::AddWindow(WindowHandle handle, std::string caption, std::string processName)
{
    TopLevelWindow window;
    window.Handle = handle;
    window.Caption = std::move(caption);
    window.ProcessName = std::move(processName);
    return AddWindow(std::move(window));
}

TopLevelWindow* FakeDesktop::FindWindow(WindowHandle handle)
{
    auto it = std::find_if(m_windows.begin(), m_windows.end(), [&](const auto& w) { return w.Handle == handle; });
    return it == m_windows.end() ? nullptr : &*it;
}

void FakeDesktop::RaiseWindow(WindowHandle handle)
{
    auto it = std::find_if(m_windows.begin(), m_windows.end(), [&](const auto& w) { return w.Handle == handle; });
    if (it != m_windows.end()) {
        std::rotate(m_windows.begin(), it, it + 1);
    }
}

void FakeDesktop::RemoveWindow(WindowHandle handle)
{
    std::erase_if(m_windows, [&](const auto& w) { return w.Handle == handle; });
}

void FakeDesktop::SetFailing(Op op, bool failing)
{
    if (failing) {
        m_failing.insert(op);
    } else {
        m_failing.erase(op);
    }
}

void FakeDesktop::PressKey()
{
    if (m_onKeystroke) {
        m_onKeystroke();
    }
}

void FakeDesktop::NotifyChange(DesktopChange change)
{
    if (m_onChange) {
        m_onChange(change);
    }
}

void FakeDesktop::ResetCounters()
{
    m_censusCalls[0] = m_censusCalls[1] = 0;
    m_foregroundCalls = 0;
}

void FakeDesktop::ThrowIfFailing(Op op, const char* what) const
{
    if (m_failing.contains(op)) {
        throw std::runtime_error(std::string("fake desktop: ") + what + " failed");
    }
}

WindowHandle FakeDesktop::GetForegroundWindow()
{
    ++m_foregroundCalls;
    ThrowIfFailing(Op::Foreground, "foreground");
    return m_foreground;
}

std::vector<TopLevelWindow> FakeDesktop::EnumTopLevelWindows(WindowHandle startWindow, bool withProcessNames)
{
    ++m_censusCalls[withProcessNames ? 1 : 0];
    m_lastStartWindow = startWindow;
    ThrowIfFailing(Op::Census, "census");
    std::vector<TopLevelWindow> result = m_windows;
    for (TopLevelWindow& window : result) {
        if (!withProcessNames || window.Caption.empty()) {
            window.ProcessName.clear();
        }
    }
    return result;
}

std::string FakeDesktop::GetWindowProcessName(WindowHandle window)
{
    ThrowIfFailing(Op::ProcessName, "process name");
    const TopLevelWindow* found = FindWindow(window);
    return found ? found->ProcessName : std::string();
}

std::uint32_t FakeDesktop::IdleSeconds()
{
    ThrowIfFailing(Op::Idle, "idle");
    return m_idleSeconds;
}

bool FakeDesktop::SetKeyboardHook(KeystrokeHandler onKeystroke)
{
    if (m_failing.contains(Op::SetHook)) {
        return false;
    }
    m_onKeystroke = std::move(onKeystroke);
    return true;
}

bool FakeDesktop::RemoveKeyboardHook()
{
    if (m_failing.contains(Op::RemoveHook)) {
        return false;
    }
    m_onKeystroke = nullptr;
    return true;
}

ScreenPoint FakeDesktop::GetCursorPos()
{
    ThrowIfFailing(Op::Cursor, "cursor");
    return m_cursor;
}

} // namespace tally
