#pragma once

#include "model/datetime.h"

#include <cstdint>

namespace tally {

// The only source of time for the core.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual ClockReading Read() const = 0;

    TDateTime Now() const { return Read().Now; }
    std::int64_t TickMs() const { return Read().TickMs; }
};

} // namespace tally
