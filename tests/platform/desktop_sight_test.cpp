#include "platform/system/blind_desktop.h"
#include "platform/system/desktop_sight.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tally {
namespace {

struct SightCase
{
    const char* Name;
    SessionEnvironment Env;
    XServerFacts X;
    DesktopSight Expected;
};

TEST(DecideSight, FromTheSessionAndItsXServer)
{
    const XServerFacts none;
    const XServerFacts plainX {true, false, true, true};
    const XServerFacts xwayland {true, true, true, true};
    const DesktopSight all {true, true, true};
    const DesktopSight nothing {false, false, false};
    const std::vector<SightCase> cases {
        {"X session", {"x11", "", ":0"}, plainX, all},
        {"no session type (a virtual X server from a terminal)", {"", "", ":5"}, plainX, all},
        // A nested compositor inside X leaves the X server the desktop.
        {"X session with a nested compositor", {"x11", "wayland-1", ":0"}, plainX, all},
        {"X server without raw key events", {"x11", "", ":0"}, {true, false, false, true}, {true, false, true}},
        {"X server without an idle counter", {"x11", "", ":0"}, {true, false, true, false}, {true, true, false}},
        {"Wayland session, no X", {"wayland", "wayland-0", ""}, none, nothing},
        {"Wayland session over its X layer", {"wayland", "wayland-0", ":0"}, xwayland, nothing},
        // An X layer that does not announce itself is still not the user's desktop.
        {"Wayland session over an unmarked X server", {"wayland", "wayland-0", ":0"}, plainX, nothing},
        {"X layer named by the server alone", {"", "", ":1"}, xwayland, nothing},
    };
    for (const SightCase& c : cases) {
        EXPECT_EQ(DecideSight(c.Env, c.X), c.Expected) << c.Name;
    }
}

class LockReporter final : public SessionWatcher
{
public:
    bool IsLocked() override { return false; }
    void SetPowerHandler(PowerHandler) override { }
    void SetLockHandler(LockHandler onLockChange) override { handler = std::move(onLockChange); }
    std::vector<int> EventDescriptors() override { return {}; }
    void DispatchEvents() override { }
    LockHandler handler;
};

TEST(BlindDesktop, SeesNothingYetPassesLockChangesAndThePointerOn)
{
    LockReporter session;
    BlindDesktop desktop(&session, {false, false, false}, [] { return ScreenPoint {12, 34}; });
    EXPECT_TRUE(desktop.EnumTopLevelWindows(0, true).empty());
    EXPECT_FALSE(desktop.SetKeyboardHook([] {}));
    EXPECT_EQ(desktop.GetCursorPos().Y, 34);

    std::vector<DesktopChange> changes;
    desktop.SetChangeHandler([&](DesktopChange change) { changes.push_back(change); });
    ASSERT_TRUE(session.handler);
    session.handler();
    EXPECT_EQ(changes, std::vector<DesktopChange> {DesktopChange::Lock});
    desktop.SetChangeHandler(nullptr);
    EXPECT_FALSE(session.handler);
}

} // namespace
} // namespace tally
