#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

namespace tally::test {

// A plain top-level window of the test program, destroyed with the object.
class TestWindow
{
public:
    TestWindow(const std::string& caption, bool visible, HWND owner = nullptr)
    {
        static const ATOM atom = [] {
            WNDCLASSA windowClass {};
            windowClass.lpfnWndProc = ::DefWindowProcA;
            windowClass.hInstance = ::GetModuleHandleA(nullptr);
            windowClass.lpszClassName = "TallyTestWindow";
            return ::RegisterClassA(&windowClass);
        }();
        (void)atom;
        m_window = ::CreateWindowExA(0,
                                     "TallyTestWindow",
                                     caption.c_str(),
                                     WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0),
                                     10,
                                     10,
                                     200,
                                     100,
                                     owner,
                                     nullptr,
                                     ::GetModuleHandleA(nullptr),
                                     nullptr);
    }
    ~TestWindow() { Destroy(); }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND Handle() const { return m_window; }
    void Destroy()
    {
        if (m_window != nullptr) {
            ::DestroyWindow(m_window);
            m_window = nullptr;
        }
    }

private:
    HWND m_window = nullptr;
};

// Pumps this thread's messages until done() holds or a generous deadline
// passes; the caller checks done() itself.
inline void PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds deadline = std::chrono::seconds(10))
{
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!done() && std::chrono::steady_clock::now() < end) {
        MSG message {};
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// One key press and release of the virtual key, through SendInput.
inline UINT PressKey(WORD virtualKey)
{
    INPUT inputs[2] = {};
    for (auto& input : inputs) {
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = virtualKey;
    }
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    return ::SendInput(2, inputs, sizeof(INPUT));
}

} // namespace tally::test
