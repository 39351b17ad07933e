#include "platform/logind/suspend_detector.h"

#include <ctime>

namespace tally {

namespace {

std::int64_t ReadMs(clockid_t clock)
{
    timespec value {};
    clock_gettime(clock, &value);
    return static_cast<std::int64_t>(value.tv_sec) * 1000 + value.tv_nsec / 1000000;
}

} // namespace

SuspendDetector::SuspendDetector(std::int64_t thresholdMs)
    : m_thresholdMs(thresholdMs)
{ }

bool SuspendDetector::Check(const SleepClockReading& reading)
{
    const std::int64_t offset = reading.BootMs - reading.MonotonicMs;
    const std::optional<std::int64_t> previous = m_offsetMs;
    // Always keep the latest offset, so that jitter of single readings never
    // adds up to a phantom sleep.
    m_offsetMs = offset;
    m_lastSleepMs = 0;
    if (!previous) {
        return false;
    }
    const std::int64_t grown = offset - *previous;
    if (grown <= m_thresholdMs) {
        return false;
    }
    m_lastSleepMs = grown;
    return true;
}

void SuspendDetector::Rebase(const SleepClockReading& reading)
{
    m_offsetMs = reading.BootMs - reading.MonotonicMs;
    m_lastSleepMs = 0;
}

SleepClockReading ReadSleepClocks()
{
    SleepClockReading reading;
    reading.MonotonicMs = ReadMs(CLOCK_MONOTONIC);
    reading.BootMs = ReadMs(CLOCK_BOOTTIME);
    return reading;
}

} // namespace tally
