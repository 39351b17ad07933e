#include "platform/win32/main_window.h"

#include <system_error>

namespace tally {

namespace {

ATOM RegisterMainClass(WNDPROC procedure)
{
    static const ATOM atom = [procedure] {
        WNDCLASSA windowClass {};
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = ::GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kMainWindowClass;
        return ::RegisterClassA(&windowClass);
    }();
    return atom;
}

} // namespace

HiddenMainWindow::HiddenMainWindow()
{
    if (RegisterMainClass(&HiddenMainWindow::WindowProc) == 0) {
        throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), "RegisterClassA");
    }
    // A real top-level window, not a message-only one: FindWindowA and the
    // power broadcasts reach only those.
    m_window = ::CreateWindowExA(WS_EX_TOOLWINDOW,
                                 kMainWindowClass,
                                 kMainWindowTitle,
                                 WS_OVERLAPPED,
                                 0,
                                 0,
                                 0,
                                 0,
                                 nullptr,
                                 nullptr,
                                 ::GetModuleHandleA(nullptr),
                                 this);
    if (m_window == nullptr) {
        throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), "CreateWindowExA");
    }
}

HiddenMainWindow::~HiddenMainWindow()
{
    ::SetWindowLongPtrA(m_window, GWLP_USERDATA, 0);
    ::DestroyWindow(m_window);
}

void HiddenMainWindow::PumpMessages()
{
    MSG message {};
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

HWND HiddenMainWindow::FindRunningInstance()
{
    return ::FindWindowA(kMainWindowClass, kMainWindowTitle);
}

LRESULT CALLBACK HiddenMainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<HiddenMainWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self != nullptr && self->Handle(message, wParam, lParam)) {
        // Power notifications are answered without default processing.
        return message == WM_POWERBROADCAST ? TRUE : 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

bool HiddenMainWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        case WM_USER:
            // Only the hook library's notice counts; any other WM_USER is ignored.
            if (wParam == kKeystrokeWParam && lParam == kKeystrokeLParam && m_onKeystroke) {
                m_onKeystroke();
            }
            return true;
        case WM_POWERBROADCAST:
            if (m_onPower) {
                if (wParam == PBT_APMSUSPEND) {
                    m_onPower(PowerEvent::Suspend);
                } else if (wParam == PBT_APMRESUMESUSPEND) {
                    m_onPower(PowerEvent::Resume);
                }
            }
            return true;
        default:
            return false;
    }
}

} // namespace tally
