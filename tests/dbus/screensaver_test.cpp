#include "dbus/bus_rig.h"
#include "platform/logind/logind_session_watcher.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <memory>

namespace tally::test {
namespace {

constexpr const char* kName = "org.freedesktop.ScreenSaver";
constexpr const char* kPath = "/org/freedesktop/ScreenSaver";

// A private session bus, optionally with a screen saver that answers
// GetActive with `active`; no system bus at all.
class ScreenSaverTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_bus = std::make_unique<PrivateBus>(m_dir.Path());
        m_driver = std::make_unique<BusDriver>(m_bus->Address());
    }

    void TearDown() override
    {
        m_watcher.reset();
        m_driver.reset();
        m_screenSaver.Stop();
        m_bus.reset();
    }

    void StartScreenSaver(bool active)
    {
        m_screenSaver = ChildProcess::Start({"/usr/bin/python3", "-m", "dbusmock", "--session", kName, kPath, kName},
                                            {"DBUS_SESSION_BUS_ADDRESS=" + m_bus->Address()});
        m_driver->WaitForOwner(kName, m_screenSaver);
        const std::string code = active ? "ret = True" : "ret = False";
        m_driver->Call(kName, kPath, "org.freedesktop.DBus.Mock", "AddMethod", [&](sd_bus_message* m) {
            sd_bus_message_append(m, "sssss", "", "GetActive", "", "b", code.c_str());
        });
    }

    void SetActive(bool active) { m_driver->EmitBoolSignal(kName, kPath, kName, "ActiveChanged", active); }

    LogindSessionWatcher& Start()
    {
        LogindWatcherOptions options;
        options.SystemBusAddress = "unix:path=" + m_dir.File("no-system-bus");
        options.SessionBusAddress = m_bus->Address();
        options.OnMessage = [this](const std::string& text) { m_messages.push_back(text); };
        m_watcher = std::make_unique<LogindSessionWatcher>(std::move(options));
        return *m_watcher;
    }

    TempDir m_dir;
    std::unique_ptr<PrivateBus> m_bus;
    std::unique_ptr<BusDriver> m_driver;
    ChildProcess m_screenSaver;
    std::unique_ptr<LogindSessionWatcher> m_watcher;
    std::vector<std::string> m_messages;
};

TEST_F(ScreenSaverTest, LockedWhileTheScreenSaverIsActive)
{
    StartScreenSaver(true);
    LogindSessionWatcher& watcher = Start();
    EXPECT_FALSE(watcher.HasSystemBus());
    EXPECT_TRUE(watcher.HasSessionBus());
    EXPECT_TRUE(watcher.IsLocked());

    SetActive(false);
    EXPECT_TRUE(PumpUntil(watcher, [&] { return !watcher.IsLocked(); }));
    SetActive(true);
    EXPECT_TRUE(PumpUntil(watcher, [&] { return watcher.IsLocked(); }));
}

TEST_F(ScreenSaverTest, AScreenSaverStartedLaterIsHeard)
{
    LogindSessionWatcher& watcher = Start();
    EXPECT_FALSE(watcher.IsLocked());

    StartScreenSaver(false);
    SetActive(true);
    EXPECT_TRUE(PumpUntil(watcher, [&] { return watcher.IsLocked(); }));
}

TEST_F(ScreenSaverTest, GnomeShellsLockScreenIsHeard)
{
    constexpr const char* kGnome = "org.gnome.ScreenSaver";
    constexpr const char* kGnomePath = "/org/gnome/ScreenSaver";
    LogindSessionWatcher& watcher = Start();
    m_screenSaver = ChildProcess::Start({"/usr/bin/python3", "-m", "dbusmock", "--session", kGnome, kGnomePath, kGnome},
                                        {"DBUS_SESSION_BUS_ADDRESS=" + m_bus->Address()});
    m_driver->WaitForOwner(kGnome, m_screenSaver);
    m_driver->EmitBoolSignal(kGnome, kGnomePath, kGnome, "ActiveChanged", true);
    EXPECT_TRUE(PumpUntil(watcher, [&] { return watcher.IsLocked(); }));
    m_driver->EmitBoolSignal(kGnome, kGnomePath, kGnome, "ActiveChanged", false);
    EXPECT_TRUE(PumpUntil(watcher, [&] { return !watcher.IsLocked(); }));
}

TEST_F(ScreenSaverTest, LosingTheSessionBusUnlocks)
{
    StartScreenSaver(true);
    LogindSessionWatcher& watcher = Start();
    ASSERT_TRUE(watcher.IsLocked());

    m_driver.reset();
    m_screenSaver.Stop();
    m_bus->Stop();
    EXPECT_TRUE(PumpUntil(watcher, [&] { return !watcher.HasSessionBus(); }));
    EXPECT_FALSE(watcher.IsLocked());
}

} // namespace
} // namespace tally::test
