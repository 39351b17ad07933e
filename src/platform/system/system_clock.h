#pragma once

#include "platform/clock.h"

namespace tally {

// Local wall clock (time zone and DST of the process) and CLOCK_BOOTTIME.
class SystemClock final : public Clock
{
public:
    ClockReading Read() const override;
};

} // namespace tally
