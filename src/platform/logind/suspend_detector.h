#pragma once

#include <cstdint>
#include <optional>

namespace tally {

// Both kernel clocks read together. CLOCK_BOOTTIME runs on while the machine
// sleeps and CLOCK_MONOTONIC stands still, so their difference grows by
// exactly the time spent asleep and by nothing else.
struct SleepClockReading
{
    std::int64_t BootMs = 0;
    std::int64_t MonotonicMs = 0;
};

// Notices a suspend after the fact, for machines where nobody announces it.
class SuspendDetector
{
public:
    // Gaps up to this much are reading jitter or too short to matter.
    static constexpr std::int64_t kDefaultThresholdMs = 2000;

    explicit SuspendDetector(std::int64_t thresholdMs = kDefaultThresholdMs);

    // True when the machine slept for longer than the threshold since the
    // previous reading. The first reading only sets the baseline.
    bool Check(const SleepClockReading& reading);

    // Takes the reading as the new baseline without judging it: a sleep that
    // was announced must not be reported a second time.
    void Rebase(const SleepClockReading& reading);

    // Milliseconds asleep that the last Check found (0 when it found none).
    std::int64_t LastSleepMs() const { return m_lastSleepMs; }

private:
    std::int64_t m_thresholdMs;
    std::optional<std::int64_t> m_offsetMs;
    std::int64_t m_lastSleepMs = 0;
};

// The kernel's two clocks, in milliseconds.
SleepClockReading ReadSleepClocks();

} // namespace tally
