#include "platform/win32/win32_desktop.h"

#include "platform/win32/census.h"
#include "platform/win32/input.h"

namespace tally {

namespace {

using SetHookFn = BOOL (*)(HWND);
using RemoveHookFn = BOOL (*)();

template <typename Fn>
Fn LibraryFunction(HMODULE library, const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(library, name)));
}

} // namespace

Win32Desktop::Win32Desktop(HiddenMainWindow& window, std::string hookLibrary)
    : m_window(window)
    , m_hookLibrary(std::move(hookLibrary))
{ }

Win32Desktop::~Win32Desktop()
{
    RemoveKeyboardHook();
}

WindowHandle Win32Desktop::GetForegroundWindow()
{
    return FromHwnd(::GetForegroundWindow());
}

std::vector<TopLevelWindow> Win32Desktop::EnumTopLevelWindows(WindowHandle startWindow, bool withProcessNames)
{
    return WalkTopLevelWindows(ToHwnd(startWindow), m_window.Handle(), withProcessNames);
}

std::string Win32Desktop::GetWindowProcessName(WindowHandle window)
{
    return tally::GetWindowProcessName(ToHwnd(window));
}

std::uint32_t Win32Desktop::IdleSeconds()
{
    return tally::IdleSeconds();
}

bool Win32Desktop::SetKeyboardHook(KeystrokeHandler onKeystroke)
{
    m_window.SetKeystrokeHandler(std::move(onKeystroke));
    if (m_library != nullptr) {
        return true;
    }
    m_library = ::LoadLibraryA(m_hookLibrary.c_str());
    if (m_library == nullptr) {
        return false;
    }
    const auto setHook = LibraryFunction<SetHookFn>(m_library, "SetKeyboardHook");
    if (setHook == nullptr || !setHook(m_window.Handle())) {
        ::FreeLibrary(m_library);
        m_library = nullptr;
        return false;
    }
    return true;
}

bool Win32Desktop::RemoveKeyboardHook()
{
    m_window.SetKeystrokeHandler({});
    if (m_library == nullptr) {
        return true;
    }
    const auto removeHook = LibraryFunction<RemoveHookFn>(m_library, "RemoveKeyboardHook");
    const bool removed = removeHook != nullptr && removeHook();
    ::FreeLibrary(m_library);
    m_library = nullptr;
    return removed;
}

ScreenPoint Win32Desktop::GetCursorPos()
{
    POINT point {};
    if (!::GetCursorPos(&point)) {
        return {};
    }
    return {point.x, point.y};
}

bool Win32SessionWatcher::IsLocked()
{
    return IsDesktopLocked();
}

} // namespace tally
