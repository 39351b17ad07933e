#pragma once

#include "platform/clock.h"

#include <cmath>

namespace tally {

// A clock that tests move by hand. The wall clock is kept as whole
// milliseconds so that repeated steps add up exactly. Advance moves both
// clocks as real time does; StepWall moves only the wall clock, as a DST
// change or a user setting the clock would.
class FakeClock final : public Clock
{
public:
    explicit FakeClock(TDateTime now = 45000.5, std::int64_t tickMs = 1000000)
        : m_wallMs(ToMs(now))
        , m_tickMs(tickMs)
    { }

    ClockReading Read() const override { return {static_cast<double>(m_wallMs) / kMsPerDay, m_tickMs}; }

    void Set(TDateTime now) { m_wallMs = ToMs(now); }
    void SetTick(std::int64_t tickMs) { m_tickMs = tickMs; }
    void AdvanceMs(std::int64_t ms)
    {
        m_tickMs += ms;
        m_wallMs += ms;
    }
    void AdvanceSeconds(std::int64_t seconds) { AdvanceMs(seconds * 1000); }
    void StepWallMs(std::int64_t ms) { m_wallMs += ms; }

private:
    static constexpr double kMsPerDay = 86400000.0;
    static std::int64_t ToMs(TDateTime t) { return std::llround(t * kMsPerDay); }

    std::int64_t m_wallMs;
    std::int64_t m_tickMs;
};

} // namespace tally
