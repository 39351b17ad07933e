#include "platform/system/system_clock.h"

#include <gtest/gtest.h>

#include <ctime>

namespace tally {
namespace {

TEST(SystemClockTest, TickIsBootTimeInMilliseconds)
{
    auto boot = [] {
        timespec ts {};
        clock_gettime(CLOCK_BOOTTIME, &ts);
        return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
    };
    const SystemClock clock;
    const auto before = boot();
    const auto tick = clock.TickMs();
    const auto after = boot();
    EXPECT_GE(tick, before);
    EXPECT_LE(tick, after);
}

} // namespace
} // namespace tally
