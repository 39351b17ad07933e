#include "x11_fixture.h"

#include <cstdlib>
#include <optional>
#include <stdexcept>

namespace tally::test {
namespace {

class ScopedDisplayVariable
{
public:
    explicit ScopedDisplayVariable(const char* value)
    {
        if (const char* old = std::getenv("DISPLAY")) {
            m_old = old;
        }
        value != nullptr ? setenv("DISPLAY", value, 1) : unsetenv("DISPLAY");
    }
    ~ScopedDisplayVariable() { m_old ? setenv("DISPLAY", m_old->c_str(), 1) : unsetenv("DISPLAY"); }
    ScopedDisplayVariable(const ScopedDisplayVariable&) = delete;
    ScopedDisplayVariable& operator=(const ScopedDisplayVariable&) = delete;

private:
    std::optional<std::string> m_old;
};

std::string OpenError(const std::string& display)
{
    try {
        X11Desktop unused(nullptr, display);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "opened";
}

TEST(X11Connection, MissingDisplayIsAClearError)
{
    EXPECT_NE(OpenError(":4711").find(":4711"), std::string::npos) << OpenError(":4711");
    EXPECT_NE(OpenError("not a display").find("Cannot open X display"), std::string::npos);
    ScopedDisplayVariable unset(nullptr);
    EXPECT_NE(OpenError("").find("DISPLAY not set"), std::string::npos) << OpenError("");
}

TEST_F(X11Test, TakesTheDisplayFromTheEnvironment)
{
    ScopedDisplayVariable display(rig->Display().c_str());
    X11Desktop fromEnvironment;
    EXPECT_TRUE(fromEnvironment.HasWindowManager());
}

TEST_F(X11Test, LostServerMakesCallsThrowAndAReturningOneIsUsedAgain)
{
    int presses = 0;
    ASSERT_TRUE(desktop->SetKeyboardHook([&] { ++presses; }));
    const auto descriptors = desktop->EventDescriptors();
    rig->StopServer();

    EXPECT_THROW(desktop->GetForegroundWindow(), std::runtime_error);
    EXPECT_THROW(desktop->EnumTopLevelWindows(0, true), std::runtime_error);
    EXPECT_THROW(desktop->IdleSeconds(), std::runtime_error);
    EXPECT_THROW(desktop->GetCursorPos(), std::runtime_error);
    EXPECT_THROW(desktop->GetWindowProcessName(0x400001), std::runtime_error);
    try {
        desktop->DispatchEvents();
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(WaitReadable(std::chrono::milliseconds(50))) << "a dead connection must not keep the loop busy";
    EXPECT_EQ(desktop->EventDescriptors(), descriptors);

    rig->RestartServer();
    EXPECT_NO_THROW(desktop->IdleSeconds());
    EXPECT_TRUE(desktop->HasWindowManager());
    const auto w = Window({"--title", "Back again"});
    const auto windows = Census(true);
    ASSERT_NE(Find(windows, w->Id()), nullptr);
    EXPECT_EQ(Find(windows, w->Id())->ProcessName, "tally-test-window");

    ASSERT_EQ(rig->Xdotool({"key", "a"}), 0);
    EXPECT_TRUE(DispatchUntil([&] { return presses == 1; })) << "the hook is set up again on the new connection";
}

} // namespace
} // namespace tally::test
