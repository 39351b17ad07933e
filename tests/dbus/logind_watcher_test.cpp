#include "dbus/bus_rig.h"
#include "platform/logind/logind_session_watcher.h"
#include "support/temp_dir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

namespace tally::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr PowerEvent kSuspend = PowerEvent::Suspend;
constexpr PowerEvent kResume = PowerEvent::Resume;

const LogindMock::Inhibitor kOurInhibitor {
    "sleep", "Tallyhour Zide", "Close the work periods before sleeping", "delay"};

// A private system bus with logind's mock and one session, "c1".
class LogindWatcherTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_bus = std::make_unique<PrivateBus>(m_dir.Path());
        m_logind = std::make_unique<LogindMock>(m_bus->Address());
        m_sessionPath = m_logind->AddSession("c1");
    }

    void TearDown() override
    {
        m_watcher.reset();
        m_logind.reset();
        m_bus.reset();
    }

    LogindWatcherOptions Options(const std::string& sessionId = "c1")
    {
        LogindWatcherOptions options;
        options.SystemBusAddress = m_bus->Address();
        options.WatchScreenSaver = false;
        options.SessionId = sessionId;
        options.OnMessage = [this](const std::string& text) { m_messages.push_back(text); };
        return options;
    }

    LogindSessionWatcher& Start(LogindWatcherOptions options)
    {
        m_watcher = std::make_unique<LogindSessionWatcher>(std::move(options));
        m_watcher->SetPowerHandler([this](PowerEvent event) { m_codes.push_back(event); });
        return *m_watcher;
    }

    bool Inhibited() { return m_logind->ListInhibitors() == std::vector {kOurInhibitor}; }

    TempDir m_dir;
    std::unique_ptr<PrivateBus> m_bus;
    std::unique_ptr<LogindMock> m_logind;
    std::string m_sessionPath;
    std::unique_ptr<LogindSessionWatcher> m_watcher;
    std::vector<PowerEvent> m_codes;
    std::vector<std::string> m_messages;
};

TEST_F(LogindWatcherTest, ReadsTheLockAtStartAndFollowsItsChanges)
{
    m_logind->SetLockedHint(m_sessionPath, true);
    LogindSessionWatcher& watcher = Start(Options());
    EXPECT_EQ(watcher.SessionPath(), m_sessionPath);
    EXPECT_TRUE(watcher.IsLocked());
    std::vector<bool> told; // what the lock handler found, once per change
    watcher.SetLockHandler([&] { told.push_back(watcher.IsLocked()); });

    m_logind->SetLockedHint(m_sessionPath, false);
    EXPECT_TRUE(PumpUntil(watcher, [&] { return !watcher.IsLocked(); }));
    m_logind->SetLockedHint(m_sessionPath, true);
    EXPECT_TRUE(PumpUntil(watcher, [&] { return watcher.IsLocked(); }));
    EXPECT_EQ(told, std::vector<bool>({false, true}));
    EXPECT_THAT(m_messages, IsEmpty());
}

TEST_F(LogindWatcherTest, OtherSessionsDoNotCount)
{
    const std::string other = m_logind->AddSession("c2");
    LogindSessionWatcher& watcher = Start(Options());

    m_logind->SetLockedHint(other, true);
    // The resume notice comes after the other session's change; once it is
    // here, that change has been seen too.
    m_logind->EmitPrepareForSleep(false);
    ASSERT_TRUE(PumpUntil(watcher, [&] { return !m_codes.empty(); }));
    EXPECT_FALSE(watcher.IsLocked());
}

TEST_F(LogindWatcherTest, ALockRequestIsNotTheLockItself)
{
    LogindSessionWatcher& watcher = Start(Options());

    // The locker answers a request by reporting the hint; until then the
    // desktop is not locked. A locker that ignores it must not stop tracking.
    m_logind->CallSessionMethod(m_sessionPath, "Lock");
    m_logind->EmitPrepareForSleep(false);
    ASSERT_TRUE(PumpUntil(watcher, [&] { return !m_codes.empty(); }));
    EXPECT_FALSE(watcher.IsLocked());

    m_logind->SetLockedHint(m_sessionPath, true);
    ASSERT_TRUE(PumpUntil(watcher, [&] { return watcher.IsLocked(); }));
    m_logind->CallSessionMethod(m_sessionPath, "Unlock");
    m_logind->EmitPrepareForSleep(false);
    ASSERT_TRUE(PumpUntil(watcher, [&] { return m_codes.size() == 2; }));
    EXPECT_TRUE(watcher.IsLocked()) << "an unlock request leaves the reported state alone";
}

TEST_F(LogindWatcherTest, SleepIsAnnouncedAndWaitsForTheHandler)
{
    LogindSessionWatcher& watcher = Start(Options());
    EXPECT_TRUE(watcher.HoldsSleepInhibitor());
    ASSERT_TRUE(Inhibited());

    bool heldDuringHandler = false;
    watcher.SetPowerHandler([&](PowerEvent event) {
        m_codes.push_back(event);
        if (event == kSuspend) {
            heldDuringHandler = watcher.HoldsSleepInhibitor() && Inhibited();
        }
    });

    m_logind->EmitPrepareForSleep(true);
    ASSERT_TRUE(PumpUntil(watcher, [&] { return !m_codes.empty(); }));
    EXPECT_THAT(m_codes, ElementsAre(kSuspend));
    EXPECT_TRUE(heldDuringHandler) << "logind may only go on once the handler has returned";
    EXPECT_FALSE(watcher.HoldsSleepInhibitor());
    EXPECT_TRUE(WaitUntil([&] { return m_logind->ListInhibitors().empty(); }));

    m_logind->EmitPrepareForSleep(false);
    ASSERT_TRUE(PumpUntil(watcher, [&] { return m_codes.size() == 2; }));
    EXPECT_THAT(m_codes, ElementsAre(kSuspend, kResume));
    EXPECT_TRUE(watcher.HoldsSleepInhibitor());
    EXPECT_TRUE(Inhibited());
}

TEST_F(LogindWatcherTest, AnAnnouncedSleepIsNotReportedAgainByTheClocks)
{
    SleepClockReading clocks {1000000, 1000000};
    LogindWatcherOptions options = Options();
    options.ReadClocks = [&] { return clocks; };
    LogindSessionWatcher& watcher = Start(std::move(options));

    m_logind->EmitPrepareForSleep(true);
    ASSERT_TRUE(PumpUntil(watcher, [&] { return !m_codes.empty(); }));
    clocks.BootMs += 3600000; // an hour asleep
    EXPECT_FALSE(watcher.IsLocked());
    m_logind->EmitPrepareForSleep(false);
    ASSERT_TRUE(PumpUntil(watcher, [&] { return m_codes.size() == 2; }));
    watcher.CheckForSleep();
    EXPECT_THAT(m_codes, ElementsAre(kSuspend, kResume));
}

TEST_F(LogindWatcherTest, AFailingHandlerStillLetsTheMachineSleep)
{
    LogindSessionWatcher& watcher = Start(Options());
    watcher.SetPowerHandler([](PowerEvent) { throw std::runtime_error("save failed"); });

    m_logind->EmitPrepareForSleep(true);
    EXPECT_THROW(PumpUntil(watcher, [] { return false; }), std::runtime_error);
    EXPECT_FALSE(watcher.HoldsSleepInhibitor());
}

TEST_F(LogindWatcherTest, LosingTheBusWhileAsleepEndsTheSleep)
{
    LogindSessionWatcher& watcher = Start(Options());
    m_logind->SetLockedHint(m_sessionPath, true);
    ASSERT_TRUE(PumpUntil(watcher, [&] { return watcher.IsLocked(); }));
    m_logind->EmitPrepareForSleep(true);
    ASSERT_TRUE(PumpUntil(watcher, [&] { return !m_codes.empty(); }));

    m_logind->Stop();
    m_bus->Stop();
    ASSERT_TRUE(PumpUntil(watcher, [&] { return !watcher.HasSystemBus(); }));
    // Without the bus the resume notice can never come; the tick must not
    // stay still for good, nor the desktop count as locked.
    EXPECT_THAT(m_codes, ElementsAre(kSuspend, kResume));
    EXPECT_FALSE(watcher.IsLocked());
    EXPECT_THAT(m_messages, testing::Contains(HasSubstr("lost the system bus")));
    EXPECT_EQ(watcher.EventDescriptors().size(), 1u);
}

TEST_F(LogindWatcherTest, FindsBusAndSessionFromTheEnvironment)
{
    m_logind->AddSession("c7");
    m_logind->SetLockedHint("/org/freedesktop/login1/session/c7", true);
    ScopedEnv systemBus("DBUS_SYSTEM_BUS_ADDRESS", m_bus->Address());
    ScopedEnv sessionId("XDG_SESSION_ID", "c7");

    LogindWatcherOptions options = Options("");
    options.SystemBusAddress.clear();
    LogindSessionWatcher& watcher = Start(std::move(options));
    EXPECT_EQ(watcher.SessionPath(), "/org/freedesktop/login1/session/c7");
    EXPECT_TRUE(watcher.IsLocked());
}

TEST_F(LogindWatcherTest, FallsBackToLogindsChoiceOfSession)
{
    // logind resolves "auto" to the caller's session; the mock only knows it
    // as a session of that name.
    const std::string automatic = m_logind->AddSession("auto");
    ScopedEnv sessionId("XDG_SESSION_ID", std::nullopt);

    LogindSessionWatcher& watcher = Start(Options(""));
    EXPECT_EQ(watcher.SessionPath(), automatic);
    m_logind->SetLockedHint(automatic, true);
    EXPECT_TRUE(PumpUntil(watcher, [&] { return watcher.IsLocked(); }));
}

TEST_F(LogindWatcherTest, AnUnknownSessionLeavesSleepNoticesWorking)
{
    LogindSessionWatcher& watcher = Start(Options("nosuchsession"));
    EXPECT_EQ(watcher.SessionPath(), "");
    EXPECT_FALSE(watcher.IsLocked());
    EXPECT_THAT(m_messages, testing::Contains(HasSubstr("no logind session")));

    m_logind->EmitPrepareForSleep(true);
    m_logind->EmitPrepareForSleep(false);
    ASSERT_TRUE(PumpUntil(watcher, [&] { return m_codes.size() == 2; }));
    EXPECT_THAT(m_codes, ElementsAre(kSuspend, kResume));
}

// A system bus without logind on it.
TEST(LogindAbsentTest, NothingAnsweringMeansNotLocked)
{
    TempDir dir;
    PrivateBus bus(dir.Path());
    std::vector<std::string> messages;
    LogindWatcherOptions options;
    options.SystemBusAddress = bus.Address();
    options.WatchScreenSaver = false;
    options.OnMessage = [&](const std::string& text) { messages.push_back(text); };

    LogindSessionWatcher watcher(std::move(options));
    EXPECT_TRUE(watcher.HasSystemBus());
    EXPECT_FALSE(watcher.IsLocked());
    EXPECT_FALSE(watcher.HoldsSleepInhibitor());
    EXPECT_THAT(messages, ElementsAre(HasSubstr("logind does not answer")));
    watcher.DispatchEvents();
}

} // namespace
} // namespace tally::test
