#include "platform/x11/session_desktop.h"
#include "x11_fixture.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace tally::test {
namespace {

// The session's desktop over a real X server: the plain server is the
// desktop unless the session says the user works on Wayland.
TEST_F(X11Test, SessionDesktopIsTheXServerWhereItIsTheUsersDesktop)
{
    const XServerFacts facts = desktop->Facts();
    EXPECT_TRUE(facts.Connected);
    EXPECT_FALSE(facts.XWayland);

    SessionDesktop x = OpenSessionDesktop(nullptr, {"x11", "", rig->Display()});
    EXPECT_EQ(x.Desk->Sight(), (DesktopSight {true, true, true}));
    EXPECT_NE(x.Note.find("X display " + rig->Display()), std::string::npos) << x.Note;

    // In a Wayland session the same server is kept (it still shows the X
    // programs) but claims no sight, and the idle time reads as never idle.
    SessionDesktop wayland = OpenSessionDesktop(nullptr, {"wayland", "wayland-0", rig->Display()});
    EXPECT_EQ(wayland.Desk->Sight(), (DesktopSight {false, false, false}));
    EXPECT_NE(wayland.Note.find("in a Wayland session"), std::string::npos) << wayland.Note;
    EXPECT_EQ(wayland.Desk->IdleSeconds(), 0u);
}

// A compositor's X layer, really started: its own clients are all it sees,
// so even an X session's environment gets no sight from it.
TEST(SessionDesktop, ACompositorsXLayerIsKnownAndSeesNothing)
{
    if (std::system("command -v weston >/dev/null && command -v Xwayland >/dev/null") != 0) {
        GTEST_SKIP() << "weston or Xwayland is not installed";
    }
    TempDir dir;
    const std::string runtime = dir.File("run");
    std::filesystem::create_directories(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    const std::string logFile = dir.File("weston.log");
    ChildProcess::Options options;
    options.Environment = {"XDG_RUNTIME_DIR=" + runtime, "DISPLAY=", "WAYLAND_DISPLAY="};
    options.Quiet = true;
    ChildProcess weston({"weston",
                         "--backend=headless-backend.so",
                         "--socket=tally-x11-" + std::to_string(::getpid()),
                         "--xwayland",
                         "--log=" + logFile},
                        options);
    // The compositor names the display its X layer listens on.
    std::string display;
    ASSERT_TRUE(XRig::WaitUntil(
        [&] {
            const std::string log = std::filesystem::exists(logFile) ? ReadFile(logFile) : std::string();
            const auto at = log.find("xserver listening on display ");
            if (at == std::string::npos) {
                return false;
            }
            const auto from = at + std::string("xserver listening on display ").size();
            display = log.substr(from, log.find_first_of("\r\n", from) - from);
            return true;
        },
        std::chrono::seconds(20)));

    // The X layer starts on the first connection, which may take a moment.
    std::unique_ptr<X11Desktop> x;
    ASSERT_TRUE(XRig::WaitUntil(
        [&] {
            try {
                x = std::make_unique<X11Desktop>(nullptr, display);
                return true;
            } catch (const std::exception&) {
                return false;
            }
        },
        std::chrono::seconds(20)));
    EXPECT_TRUE(x->Facts().XWayland);
    x.reset();

    SessionDesktop layer = OpenSessionDesktop(nullptr, {"x11", "", display});
    EXPECT_EQ(layer.Desk->Sight(), (DesktopSight {false, false, false}));
    EXPECT_NE(layer.Note.find("a Wayland compositor's X layer"), std::string::npos) << layer.Note;
}

} // namespace
} // namespace tally::test
