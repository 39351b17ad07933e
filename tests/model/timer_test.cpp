#include "model/timer.h"

#include <gtest/gtest.h>

namespace tally {
namespace {

TEST(TimerCreate, StartsEmptyWithClosedPeriods)
{
    TMyTimer timer;
    EXPECT_EQ(timer.ActiveTime, 0.0);
    EXPECT_EQ(timer.ActiveStart, kNoPeriod);
}

} // namespace
} // namespace tally
