// Idle time, version classes and the lock test of the Windows backend.
#include "platform/win32/input.h"
#include "win32_fixture.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tally {
namespace {

OSVERSIONINFOA Version(DWORD platform, DWORD major, DWORD minor, const char* servicePack = "")
{
    OSVERSIONINFOA info {};
    info.dwOSVersionInfoSize = sizeof info;
    info.dwPlatformId = platform;
    info.dwMajorVersion = major;
    info.dwMinorVersion = minor;
    std::strncpy(info.szCSDVersion, servicePack, sizeof info.szCSDVersion - 1);
    return info;
}

TEST(OsVersion, ClassesFollowPlatformAndVersion)
{
    struct Case
    {
        OSVERSIONINFOA Info;
        std::uint8_t Code;
        bool Measurable;
    };
    const Case cases[] = {
        {Version(VER_PLATFORM_WIN32_WINDOWS, 4, 0), os_version::Windows95, false},
        {Version(VER_PLATFORM_WIN32_WINDOWS, 4, 10, " B"), os_version::Windows98, false},
        {Version(VER_PLATFORM_WIN32_WINDOWS, 4, 10, " A"), os_version::Windows98SE, false},
        {Version(VER_PLATFORM_WIN32_WINDOWS, 4, 10, ""), os_version::Windows98, false},
        {Version(VER_PLATFORM_WIN32_WINDOWS, 4, 90), os_version::WindowsMe, true},
        {Version(VER_PLATFORM_WIN32_WINDOWS, 4, 20), os_version::Other9x, false},
        {Version(VER_PLATFORM_WIN32_WINDOWS, 5, 0), os_version::Other9x, false},
        {Version(VER_PLATFORM_WIN32_NT, 4, 0), os_version::WindowsNT4, true},
        {Version(VER_PLATFORM_WIN32_NT, 5, 0), os_version::Windows2000, true},
        {Version(VER_PLATFORM_WIN32_NT, 5, 1), os_version::WindowsXP, true},
        {Version(VER_PLATFORM_WIN32_NT, 5, 2), os_version::OtherNt, true},
        {Version(VER_PLATFORM_WIN32_NT, 10, 0), os_version::OtherNt, true},
        {Version(VER_PLATFORM_WIN32s, 3, 11), os_version::Unknown, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OsVersionCodeOf(&c.Info), c.Code) << c.Info.dwPlatformId << " " << c.Info.dwMajorVersion << "."
                                                    << c.Info.dwMinorVersion << " '" << c.Info.szCSDVersion << "'";
        EXPECT_EQ(CanMeasureIdle(c.Code), c.Measurable) << int(c.Code);
    }
    EXPECT_EQ(OsVersionCodeOf(nullptr), os_version::Unknown);
    // The system we run on is an NT one, so idle time is measured.
    EXPECT_TRUE(CanMeasureIdle(OsVersionCode()));
}

TEST(IdleTime, WholeSecondsAcrossTheTickCountWrap)
{
    struct Case
    {
        std::uint32_t Now;
        std::uint32_t Last;
        std::uint32_t Seconds;
    };
    const Case cases[] = {
        {10999, 8000, 2},
        {5000, 5000, 0},
        {999, 0, 0},
        {1500, 0xFFFFFC18U, 2}, // 1000 ms before the wrap, 1500 after it
        {0, 0xFFFFFFFFU, 0},
        {0xFFFFFFFFU, 0, 4294967},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ElapsedSeconds(c.Now, c.Last), c.Seconds) << c.Now << " - " << c.Last;
    }
}

TEST(IdleTime, InputThroughSendInputIsTheLastInput)
{
    const std::uint32_t before = TickCount32();
    ASSERT_EQ(test::PressKey(VK_SHIFT), 2U);
    std::uint32_t last = 0;
    ASSERT_TRUE(LastInputTick(last));
    // The input came after "before" (on the wrapping counter).
    EXPECT_LE(last - before, TickCount32() - before);
    EXPECT_LE(IdleSeconds(), ElapsedSeconds(TickCount32(), before));
}

TEST(DesktopLock, DefaultDesktopIsTheInputDesktop)
{
    EXPECT_FALSE(IsDesktopLocked());
}

} // namespace
} // namespace tally
