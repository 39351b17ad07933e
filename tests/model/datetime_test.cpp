#include "model/datetime.h"
#include "model/timer.h"
#include "platform/system/system_clock.h"
#include "support/environment.h"

#include <gtest/gtest.h>

namespace tally {
namespace {

TEST(DateTime, EncodesAndDecodesTheEpochAndLeapDays)
{
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1970, 1, 1), 25569.0);
    EXPECT_EQ(EncodeDate(2000, 2, 29) + 1, EncodeDate(2000, 3, 1));
    const CivilDate d = DecodeDate(EncodeDateTime(2024, 2, 29, 23, 59, 59, 999));
    EXPECT_EQ(d.Year, 2024);
    EXPECT_EQ(d.Month, 2);
    EXPECT_EQ(d.Day, 29);
    const CivilTime t = DecodeTime(EncodeDateTime(2024, 2, 29, 23, 59, 59, 999));
    EXPECT_EQ(t.Hour, 23);
    EXPECT_EQ(t.Minute, 59);
    EXPECT_EQ(t.Second, 59);
    EXPECT_EQ(t.Millisecond, 999);
}

TEST(DateTime, FormatsInTheUserLocale)
{
    const TDateTime t = EncodeDateTime(2026, 12, 9, 14, 3, 27);
    EXPECT_EQ(FormatLongTime(t), "14:03:27");
    test::ScopedLocale german("de_DE.UTF-8");
    EXPECT_EQ(FormatShortDate(t), "09.12.2026");
    EXPECT_EQ(DecimalSeparator(), ',');
}

// Real readings around the end of summer time in Berlin (2026-10-25, 03:00
// CEST becomes 02:00 CET) with the monotonic tick running steadily.
TEST(DateTime, RealDaylightSavingChangeNeitherLosesNorInventsTime)
{
    test::ScopedTimeZone zone("Europe/Berlin");
    const std::int64_t changeUtcMs = 1792890000000LL; // 2026-10-25 01:00:00 UTC
    const std::int64_t startUtcMs = changeUtcMs - 3000;
    EXPECT_EQ(FormatLongTime(SystemClock::LocalFromUnixMs(startUtcMs)), "02:59:57");
    EXPECT_EQ(FormatLongTime(SystemClock::LocalFromUnixMs(changeUtcMs)), "02:00:00");

    TMyTimer timer;
    for (int second = 0; second <= 6; ++second) {
        const std::int64_t utc = startUtcMs + second * 1000;
        timer.IncActiveTime({SystemClock::LocalFromUnixMs(utc), 5000000 + second * 1000});
    }
    timer.CloseActivePeriod();
    EXPECT_NEAR(timer.ActiveTime * kSecondsPerDay, 6.0, 1e-3);
    for (const TWorkPeriod& p : timer.ActivePeriods) {
        EXPECT_GE(p.Stop, p.Start);
    }

    // Spring forward: 2026-03-29 02:00 CET becomes 03:00 CEST.
    const std::int64_t springUtcMs = 1774746000000LL; // 2026-03-29 01:00:00 UTC
    TMyTimer spring;
    for (int second = 0; second <= 4; ++second) {
        const std::int64_t utc = springUtcMs - 2000 + second * 1000;
        spring.IncBackgroundTime({SystemClock::LocalFromUnixMs(utc), 9000000 + second * 1000});
    }
    EXPECT_NEAR(spring.BackgroundTime * kSecondsPerDay, 4.0, 1e-3);
}

} // namespace
} // namespace tally
