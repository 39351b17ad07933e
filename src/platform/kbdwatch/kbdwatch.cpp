// kbdwatch.dll: a low-level keyboard hook that tells one window of key
// presses by posting it WM_USER (wParam 2345, lParam 3456). The hook runs on
// the thread that set it, which must pump messages.
#include <windows.h>

namespace {

HINSTANCE g_module = nullptr;
HHOOK g_hook = nullptr;
HWND g_target = nullptr;

LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && (wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN) && g_target != nullptr) {
        // Posted, never sent: the hook must return at once whatever the
        // target does.
        ::PostMessageA(g_target, WM_USER, 2345, 3456);
    }
    return ::CallNextHookEx(g_hook, code, wParam, lParam);
}

} // namespace

extern "C" {

__declspec(dllexport) BOOL SetKeyboardHook(HWND target)
{
    if (target == nullptr || !::IsWindow(target)) {
        return FALSE;
    }
    g_target = target;
    if (g_hook == nullptr) {
        g_hook = ::SetWindowsHookExA(WH_KEYBOARD_LL, &KeyboardProc, g_module, 0);
    }
    return g_hook != nullptr;
}

__declspec(dllexport) BOOL RemoveKeyboardHook()
{
    g_target = nullptr;
    if (g_hook == nullptr) {
        return FALSE;
    }
    const BOOL removed = ::UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;
    return removed;
}

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID /*reserved*/)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = module;
        ::DisableThreadLibraryCalls(module);
    }
    return TRUE;
}

} // extern "C"
