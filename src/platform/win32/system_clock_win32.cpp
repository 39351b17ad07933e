// The system clock on Windows: the local wall clock of the C runtime (which
// honours TZ, else the system's time zone) and the 64-bit tick count, which
// like CLOCK_BOOTTIME keeps counting while the computer sleeps.
#include "platform/system/system_clock.h"

#include "model/datetime.h"

#include <windows.h>

#include <ctime>

namespace tally {

namespace {

// 1899-12-30 counted from 1970-01-01.
constexpr std::int64_t kEpochOffsetDays = -25569;
// FILETIME counts 100 ns steps since 1601-01-01.
constexpr std::int64_t kFileTimeUnixEpoch = 116444736000000000LL;

} // namespace

TDateTime SystemClock::LocalFromUnixMs(std::int64_t unixMs)
{
    const std::int64_t ms = ((unixMs % 1000) + 1000) % 1000;
    const __time64_t seconds = static_cast<__time64_t>((unixMs - ms) / 1000);
    std::tm local {};
    if (::_localtime64_s(&local, &seconds) != 0) {
        // The runtime knows no instant before 1970; those are read as UTC.
        return static_cast<double>(unixMs) / 86400000.0 - static_cast<double>(kEpochOffsetDays);
    }

    const std::int64_t days = DaysFromCivil(local.tm_year + 1900,
                                            static_cast<unsigned>(local.tm_mon + 1),
                                            static_cast<unsigned>(local.tm_mday))
                              - kEpochOffsetDays;
    const std::int64_t msOfDay = ((local.tm_hour * 60 + local.tm_min) * 60 + local.tm_sec) * 1000LL + ms;
    return static_cast<double>(days) + static_cast<double>(msOfDay) / 86400000.0;
}

ClockReading SystemClock::Read() const
{
    FILETIME now {};
    ::GetSystemTimePreciseAsFileTime(&now);
    ULARGE_INTEGER value {};
    value.LowPart = now.dwLowDateTime;
    value.HighPart = now.dwHighDateTime;
    const std::int64_t unixMs = (static_cast<std::int64_t>(value.QuadPart) - kFileTimeUnixEpoch) / 10000;

    ClockReading reading;
    reading.Now = LocalFromUnixMs(unixMs);
    reading.TickMs = static_cast<std::int64_t>(::GetTickCount64());
    return reading;
}

} // namespace tally
