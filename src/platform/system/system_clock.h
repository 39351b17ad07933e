#pragma once

#include "platform/clock.h"

namespace tally {

// Local wall clock (time zone and DST of the process) and CLOCK_BOOTTIME.
class SystemClock final : public Clock
{
public:
    ClockReading Read() const override;

    // The local wall-clock TDateTime of an instant given in milliseconds
    // since 1970-01-01 UTC, in the process's time zone.
    static TDateTime LocalFromUnixMs(std::int64_t unixMs);
};

} // namespace tally
