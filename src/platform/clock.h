#pragma once

#include <cstdint>

namespace tally {

// Days since 1899-12-30 in local wall-clock time; the fraction is the time of day.
using TDateTime = double;

// One reading of both clocks, taken together so that a step of the wall
// clock can be told apart from time that really passed.
struct ClockReading
{
    TDateTime Now = 0.0;     // local wall clock, millisecond resolution
    std::int64_t TickMs = 0; // monotonic milliseconds, counting suspended time
};

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
