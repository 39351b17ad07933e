#include "platform/system/idle_threads.h"

#include <gtest/gtest.h>

#include <sched.h>

#include <chrono>
#include <future>
#include <stdexcept>

namespace tally {
namespace {

TEST(IdleThreads, BodyRunsDetachedUnderIdleScheduling)
{
    IdleThreads threads;
    auto policy = std::make_shared<std::promise<int>>();
    auto result = policy->get_future();
    threads.StartIdle([policy] { policy->set_value(sched_getscheduler(0)); });
    ASSERT_EQ(result.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(result.get(), SCHED_IDLE);
}

TEST(IdleThreads, AnEscapingExceptionOnlyEndsThatThread)
{
    IdleThreads threads;
    auto done = std::make_shared<std::promise<void>>();
    auto finished = done->get_future();
    threads.StartIdle([] { throw std::runtime_error("lost"); });
    threads.StartIdle([done] { done->set_value(); });
    EXPECT_EQ(finished.wait_for(std::chrono::seconds(5)), std::future_status::ready);
}

} // namespace
} // namespace tally
