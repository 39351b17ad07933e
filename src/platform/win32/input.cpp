#include "platform/win32/input.h"

#include <cstring>

namespace tally {

namespace {

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#elif defined(_MSC_VER)
#pragma warning(push)
#pragma warning(disable : 4996)
#endif
BOOL CallGetVersionExA(OSVERSIONINFOA& info)
{
    return ::GetVersionExA(&info);
}
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#elif defined(_MSC_VER)
#pragma warning(pop)
#endif

} // namespace

std::uint8_t OsVersionCodeOf(const OSVERSIONINFOA* info)
{
    if (info == nullptr) {
        return os_version::Unknown;
    }
    const DWORD major = info->dwMajorVersion;
    const DWORD minor = info->dwMinorVersion;
    switch (info->dwPlatformId) {
        case VER_PLATFORM_WIN32_WINDOWS:
            if (major != 4) {
                return os_version::Other9x;
            }
            if (minor == 0) {
                return os_version::Windows95;
            }
            if (minor == 10) {
                // The second edition marks its service-pack text " A".
                return info->szCSDVersion[0] != '\0' && info->szCSDVersion[1] == 'A' ? os_version::Windows98SE
                                                                                     : os_version::Windows98;
            }
            return minor == 90 ? os_version::WindowsMe : os_version::Other9x;
        case VER_PLATFORM_WIN32_NT:
            if (major == 4) {
                return os_version::WindowsNT4;
            }
            if (major == 5 && minor == 0) {
                return os_version::Windows2000;
            }
            if (major == 5 && minor == 1) {
                return os_version::WindowsXP;
            }
            return os_version::OtherNt;
        default:
            return os_version::Unknown;
    }
}

std::uint8_t OsVersionCode()
{
    OSVERSIONINFOA info {};
    info.dwOSVersionInfoSize = sizeof info;
    // Deprecated, yet the version classes are defined by its answer.
    const BOOL ok = CallGetVersionExA(info);
    return OsVersionCodeOf(ok ? &info : nullptr);
}

bool CanMeasureIdle(std::uint8_t versionCode)
{
    switch (versionCode) {
        case os_version::Unknown:
        case os_version::Other9x:
        case os_version::Windows95:
        case os_version::Windows98:
        case os_version::Windows98SE:
            return false;
        default:
            return true;
    }
}

bool LastInputTick(std::uint32_t& tick)
{
    using GetLastInputInfoFn = BOOL(WINAPI*)(LASTINPUTINFO*);
    const HMODULE user32 = ::GetModuleHandleA("user32.dll");
    if (user32 == nullptr) {
        return false;
    }
    const auto getLastInputInfo
        = reinterpret_cast<GetLastInputInfoFn>(reinterpret_cast<void*>(::GetProcAddress(user32, "GetLastInputInfo")));
    if (getLastInputInfo == nullptr) {
        return false;
    }
    LASTINPUTINFO info {};
    info.cbSize = sizeof info;
    if (!getLastInputInfo(&info)) {
        return false;
    }
    tick = info.dwTime;
    return true;
}

std::uint32_t IdleSeconds()
{
    if (!CanMeasureIdle(OsVersionCode())) {
        return 0;
    }
    std::uint32_t last = 0;
    if (!LastInputTick(last)) {
        return 0;
    }
    return ElapsedSeconds(TickCount32(), last);
}

std::uint32_t TickCount32()
{
    return ::GetTickCount();
}

bool IsDesktopLocked()
{
    const HDESK desktop = ::OpenDesktopA("default", 0, FALSE, DESKTOP_SWITCHDESKTOP);
    if (desktop == nullptr) {
        return false;
    }
    // A locked workstation or a secure screen saver refuses the switch;
    // while the default desktop is the input desktop it changes nothing.
    const bool switched = ::SwitchDesktop(desktop) != FALSE;
    ::CloseDesktop(desktop);
    return !switched;
}

} // namespace tally
