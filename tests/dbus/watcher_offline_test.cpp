#include "platform/logind/logind_session_watcher.h"
#include "support/temp_dir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <stdexcept>

namespace tally {
namespace {

using namespace std::chrono_literals;
using ::testing::AllOf;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr PowerEvent kSuspend = PowerEvent::Suspend;
constexpr PowerEvent kResume = PowerEvent::Resume;

// A watcher whose buses lead nowhere and whose clocks the test sets.
class OfflineWatcherTest : public ::testing::Test
{
protected:
    LogindWatcherOptions Options()
    {
        LogindWatcherOptions options;
        options.SystemBusAddress = "unix:path=" + m_dir.File("system");
        options.SessionBusAddress = "unix:path=" + m_dir.File("session");
        options.ReadClocks = [this] { return m_clocks; };
        options.OnMessage = [this](const std::string& text) { m_messages.push_back(text); };
        return options;
    }

    void Sleep(std::int64_t ms) { m_clocks.BootMs += ms; }
    void Pass(std::int64_t ms)
    {
        m_clocks.BootMs += ms;
        m_clocks.MonotonicMs += ms;
    }

    test::TempDir m_dir;
    SleepClockReading m_clocks {500000, 400000};
    std::vector<std::string> m_messages;
    std::vector<PowerEvent> m_codes;
};

TEST_F(OfflineWatcherTest, WithoutBusesNothingIsLockedAndTheReasonIsTold)
{
    LogindSessionWatcher watcher(Options());
    EXPECT_FALSE(watcher.HasSystemBus());
    EXPECT_FALSE(watcher.HasSessionBus());
    EXPECT_FALSE(watcher.IsLocked());
    EXPECT_FALSE(watcher.HoldsSleepInhibitor());
    EXPECT_EQ(watcher.SessionPath(), "");
    EXPECT_THAT(
        m_messages,
        ElementsAre(AllOf(HasSubstr("no system bus"), HasSubstr(m_dir.File("system"))), HasSubstr("no session bus")));
    // The descriptor stays valid for an event loop, and dispatching idles.
    ASSERT_EQ(watcher.EventDescriptors().size(), 1u);
    EXPECT_GE(watcher.EventDescriptors()[0], 0);
    watcher.DispatchEvents();
}

TEST_F(OfflineWatcherTest, APeerThatNeverAnswersIsGivenUp)
{
    // A socket that takes connections into its backlog and never speaks.
    const int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const std::string path = m_dir.File("silent");
    ASSERT_LT(path.size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, path.c_str());
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 4), 0);

    LogindWatcherOptions options = Options();
    options.SystemBusAddress = "unix:path=" + path;
    options.SessionBusAddress = "unix:path=" + path;
    options.CallTimeout = 200ms;
    LogindSessionWatcher watcher(std::move(options));
    EXPECT_FALSE(watcher.HasSystemBus());
    EXPECT_FALSE(watcher.HasSessionBus());
    EXPECT_FALSE(watcher.IsLocked());
    EXPECT_THAT(m_messages, Contains(HasSubstr("timed out")));
    close(listener);
}

TEST_F(OfflineWatcherTest, ASleepSeenOnlyInTheClocksIsReportedAsSuspendAndResume)
{
    LogindSessionWatcher watcher(Options());
    watcher.SetPowerHandler([this](PowerEvent event) { m_codes.push_back(event); });

    Pass(1000);
    EXPECT_FALSE(watcher.IsLocked());
    Pass(25000);
    watcher.CheckForSleep();
    EXPECT_THAT(m_codes, IsEmpty());

    // Asleep for ten minutes between two ticks; the first call after it
    // reports the sleep before anything can be counted.
    Pass(300);
    Sleep(600000);
    EXPECT_FALSE(watcher.IsLocked());
    EXPECT_THAT(m_codes, ElementsAre(kSuspend, kResume));
    EXPECT_THAT(m_messages, Contains(HasSubstr("slept for 600 s")));

    Pass(1000);
    watcher.DispatchEvents();
    watcher.CheckForSleep();
    EXPECT_THAT(m_codes, ElementsAre(kSuspend, kResume));
}

TEST_F(OfflineWatcherTest, ASleepBeforeTheFirstTickCounts)
{
    LogindSessionWatcher watcher(Options());
    watcher.SetPowerHandler([this](PowerEvent event) { m_codes.push_back(event); });
    Sleep(5000);
    watcher.DispatchEvents();
    EXPECT_THAT(m_codes, ElementsAre(kSuspend, kResume));
}

TEST_F(OfflineWatcherTest, AFailingSuspendHandlerStillGetsTheResume)
{
    LogindSessionWatcher watcher(Options());
    watcher.SetPowerHandler([this](PowerEvent event) {
        m_codes.push_back(event);
        if (event == kSuspend) {
            throw std::runtime_error("cannot save");
        }
    });
    Sleep(5000);
    EXPECT_THROW(watcher.CheckForSleep(), std::runtime_error);
    EXPECT_THAT(m_codes, ElementsAre(kSuspend, kResume));
    EXPECT_NO_THROW(watcher.CheckForSleep());
}

} // namespace
} // namespace tally
