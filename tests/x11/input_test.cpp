#include "x11_fixture.h"

#include <sys/eventfd.h>
#include <unistd.h>

namespace tally::test {
namespace {

TEST_F(X11Test, ForegroundFollowsActivation)
{
    const auto a = Window({"--title", "Alpha"});
    const auto b = Window({"--title", "Bravo"});
    // Openbox reports no active window for a moment while the focus moves.
    ASSERT_EQ(rig->Xdotool({"windowactivate", "--sync", Hex(b->Id())}), 0);
    EXPECT_TRUE(XRig::WaitUntil([&] { return desktop->GetForegroundWindow() == b->Id(); }));
    ASSERT_EQ(rig->Xdotool({"windowactivate", "--sync", Hex(a->Id())}), 0);
    EXPECT_TRUE(XRig::WaitUntil([&] { return desktop->GetForegroundWindow() == a->Id(); }));

    a->Command("quit");
    EXPECT_TRUE(XRig::WaitUntil([&] { return desktop->GetForegroundWindow() != a->Id(); }))
        << "a closed window is no longer the foreground";
}

TEST_F(X11Test, IdleSecondsFallAfterInputAndCursorFollowsThePointer)
{
    ASSERT_TRUE(XRig::WaitUntil([&] { return desktop->IdleSeconds() >= 1; }, std::chrono::seconds(5)));
    ASSERT_EQ(rig->Xdotool({"mousemove", "123", "45"}), 0);
    EXPECT_EQ(desktop->IdleSeconds(), 0U);
    const ScreenPoint where = desktop->GetCursorPos();
    EXPECT_EQ(where.X, 123);
    EXPECT_EQ(where.Y, 45);

    // Every call sees where the pointer is now, whatever was asked before.
    ASSERT_EQ(rig->Xdotool({"mousemove", "200", "60"}), 0);
    EXPECT_EQ(desktop->GetCursorPos().X, 200);
    desktop->IdleSeconds();
    ASSERT_EQ(rig->Xdotool({"mousemove", "300", "70"}), 0);
    desktop->IdleSeconds();
    EXPECT_EQ(desktop->GetCursorPos().X, 300);
    ASSERT_EQ(rig->Xdotool({"mousemove", "310", "70"}), 0);
    EXPECT_EQ(desktop->GetCursorPos().X, 310);
}

TEST_F(X11Test, KeystrokesArriveOncePerKeyPressWhileHooked)
{
    int presses = 0;
    ASSERT_TRUE(desktop->SetKeyboardHook([&] { ++presses; }));
    ASSERT_EQ(rig->Xdotool({"key", "a"}), 0);
    ASSERT_TRUE(DispatchUntil([&] { return presses >= 1; }));
    ASSERT_EQ(rig->Xdotool({"key", "b", "c"}), 0);
    ASSERT_TRUE(DispatchUntil([&] { return presses >= 3; }));
    desktop->IdleSeconds(); // a round trip: every event sent before it has arrived
    if (WaitReadable(std::chrono::milliseconds(0))) {
        desktop->DispatchEvents();
    }
    EXPECT_EQ(presses, 3) << "releases do not count";

    // Events read while another call waited for its reply still wake the loop.
    ASSERT_EQ(rig->Xdotool({"key", "d"}), 0);
    desktop->IdleSeconds();
    desktop->GetCursorPos();
    EXPECT_TRUE(DispatchUntil([&] { return presses == 4; }));

    // A new handler replaces the old one.
    int second = 0;
    ASSERT_TRUE(desktop->SetKeyboardHook([&] { ++second; }));
    ASSERT_EQ(rig->Xdotool({"key", "e"}), 0);
    ASSERT_TRUE(DispatchUntil([&] { return second == 1; }));
    EXPECT_EQ(presses, 4);

    EXPECT_TRUE(desktop->RemoveKeyboardHook());
    ASSERT_EQ(rig->Xdotool({"key", "f"}), 0);
    desktop->IdleSeconds();
    if (WaitReadable(std::chrono::milliseconds(200))) {
        desktop->DispatchEvents();
    }
    EXPECT_EQ(second, 1) << "no notifications once the hook is removed";
}

class FakeWatcher final : public SessionWatcher
{
public:
    FakeWatcher()
        : fd(eventfd(0, EFD_CLOEXEC))
    { }
    ~FakeWatcher() override { close(fd); }
    bool IsLocked() override { return false; }
    void SetPowerHandler(PowerHandler /*onPower*/) override { }
    std::vector<int> EventDescriptors() override { return {fd}; }
    void DispatchEvents() override { ++dispatched; }

    int fd;
    int dispatched = 0;
};

TEST_F(X11Test, TheSessionWatcherIsDispatchedWithTheWindowSystem)
{
    EXPECT_EQ(desktop->EventDescriptors().size(), 1U);

    FakeWatcher watcher;
    X11Desktop watched(&watcher, rig->Display());
    const auto fds = watched.EventDescriptors();
    ASSERT_EQ(fds.size(), 2U);
    EXPECT_EQ(fds[1], watcher.fd);
    watched.DispatchEvents();
    EXPECT_EQ(watcher.dispatched, 1);
}

} // namespace
} // namespace tally::test
