#include "platform/logind/suspend_detector.h"

#include <gtest/gtest.h>

namespace tally {
namespace {

SleepClockReading At(std::int64_t bootMs, std::int64_t monotonicMs)
{
    return {bootMs, monotonicMs};
}

TEST(SuspendDetectorTest, TheFirstReadingOnlySetsTheBaseline)
{
    SuspendDetector detector;
    // A large difference is normal: the machine may have slept before we started.
    EXPECT_FALSE(detector.Check(At(9000000, 1000)));
    EXPECT_FALSE(detector.Check(At(9001000, 2000)));
}

TEST(SuspendDetectorTest, ReportsAGrowthBeyondTheThresholdOnce)
{
    SuspendDetector detector;
    detector.Check(At(10000, 10000));
    EXPECT_FALSE(detector.Check(At(12000, 10000))) << "exactly the threshold is not a sleep";
    EXPECT_TRUE(detector.Check(At(14001, 10000)));
    EXPECT_EQ(detector.LastSleepMs(), 2001);
    EXPECT_FALSE(detector.Check(At(15001, 11000)));
    EXPECT_EQ(detector.LastSleepMs(), 0);
}

TEST(SuspendDetectorTest, JitterOfSingleReadingsNeverAddsUp)
{
    SuspendDetector detector;
    detector.Check(At(0, 0));
    std::int64_t boot = 0;
    for (int i = 1; i <= 5000; ++i) {
        boot += 1000 + (i % 2); // every other reading a millisecond late
        ASSERT_FALSE(detector.Check(At(boot, i * 1000LL))) << "reading " << i;
    }
}

TEST(SuspendDetectorTest, ARebaseSwallowsAnAnnouncedSleep)
{
    SuspendDetector detector;
    detector.Check(At(5000, 5000));
    detector.Rebase(At(3605000, 5100));
    EXPECT_FALSE(detector.Check(At(3606000, 6100)));
    EXPECT_TRUE(detector.Check(At(3700000, 7000)));
}

TEST(SuspendDetectorTest, AShrinkingDifferenceIsNoSleep)
{
    SuspendDetector detector(500);
    detector.Check(At(90000, 1000));
    EXPECT_FALSE(detector.Check(At(80000, 2000)));
    EXPECT_TRUE(detector.Check(At(81000, 2000))) << "measured from the newer baseline";
}

} // namespace
} // namespace tally
