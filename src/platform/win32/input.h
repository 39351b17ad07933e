#pragma once

#include <windows.h>

#include <cstdint>

namespace tally {

// The Windows version classes that gate the idle measurement.
namespace os_version {
inline constexpr std::uint8_t Unknown = 0;
inline constexpr std::uint8_t Other9x = 1;
inline constexpr std::uint8_t OtherNt = 2;
inline constexpr std::uint8_t Windows95 = 3;
inline constexpr std::uint8_t Windows98 = 4;
inline constexpr std::uint8_t Windows98SE = 5;
inline constexpr std::uint8_t WindowsMe = 6;
inline constexpr std::uint8_t WindowsNT4 = 7;
inline constexpr std::uint8_t Windows2000 = 8;
inline constexpr std::uint8_t WindowsXP = 9;
} // namespace os_version

// The class of a version answer; nullptr stands for a failed call.
std::uint8_t OsVersionCodeOf(const OSVERSIONINFOA* info);
// The class of the running system.
std::uint8_t OsVersionCode();

// Whole seconds from lastInput to now on the 32-bit tick count; the
// unsigned difference stays right across a wrap of the counter.
inline std::uint32_t ElapsedSeconds(std::uint32_t nowTick, std::uint32_t lastInputTick)
{
    return static_cast<std::uint32_t>(nowTick - lastInputTick) / 1000U;
}

// Whether a system of this class can tell the time of the last input.
bool CanMeasureIdle(std::uint8_t versionCode);

// The 32-bit tick count of the last input of the user, looked up in user32
// at run time; false where the function is missing or fails.
bool LastInputTick(std::uint32_t& tick);

// Whole seconds since the user's last input; 0 where it cannot be measured.
std::uint32_t IdleSeconds();

// The 32-bit millisecond tick count since the system started.
std::uint32_t TickCount32();

// True while the default desktop cannot be made the input desktop: the
// workstation is locked or a secure screen saver runs. False when the
// desktop cannot be opened at all.
bool IsDesktopLocked();

} // namespace tally
