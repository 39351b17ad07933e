#include "platform/system/system_clock.h"

#include "model/datetime.h"

#include <ctime>

namespace tally {

namespace {

// 1899-12-30 counted from 1970-01-01.
constexpr std::int64_t kEpochOffsetDays = -25569;

} // namespace

TDateTime SystemClock::LocalFromUnixMs(std::int64_t unixMs)
{
    const std::int64_t ms = ((unixMs % 1000) + 1000) % 1000;
    const std::time_t seconds = static_cast<std::time_t>((unixMs - ms) / 1000);
    std::tm local {};
    localtime_r(&seconds, &local);

    const std::int64_t days = DaysFromCivil(local.tm_year + 1900,
                                            static_cast<unsigned>(local.tm_mon + 1),
                                            static_cast<unsigned>(local.tm_mday))
                              - kEpochOffsetDays;
    const std::int64_t msOfDay = ((local.tm_hour * 60 + local.tm_min) * 60 + local.tm_sec) * 1000LL + ms;
    return static_cast<double>(days) + static_cast<double>(msOfDay) / 86400000.0;
}

ClockReading SystemClock::Read() const
{
    timespec boot {};
    clock_gettime(CLOCK_BOOTTIME, &boot);
    timespec wall {};
    clock_gettime(CLOCK_REALTIME, &wall);

    ClockReading reading;
    reading.Now = LocalFromUnixMs(static_cast<std::int64_t>(wall.tv_sec) * 1000 + wall.tv_nsec / 1000000);
    reading.TickMs = static_cast<std::int64_t>(boot.tv_sec) * 1000 + boot.tv_nsec / 1000000;
    return reading;
}

} // namespace tally
