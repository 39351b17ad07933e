#include "platform/x11/process_names.h"
#include "x11_fixture.h"

#include <fstream>
#include <sstream>

namespace tally::test {
namespace {

constexpr const char* kProgram = "tally-test-window";

int ParentOf(int pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // The name in parentheses may hold spaces; the fields after it are fixed.
    std::istringstream rest(text.substr(text.rfind(')') + 1));
    std::string state;
    int parent = 0;
    rest >> state >> parent;
    return parent;
}

TEST_F(X11Test, ProcessNamesOnlyWhenAskedAndOnlyForCaptionedWindows)
{
    const auto titled = Window({"--title", "Worker"});
    const auto bare = Window({});

    auto windows = Census(false);
    ASSERT_NE(Find(windows, titled->Id()), nullptr);
    EXPECT_EQ(Find(windows, titled->Id())->ProcessName, "");

    windows = Census(true);
    ASSERT_NE(Find(windows, titled->Id()), nullptr);
    EXPECT_EQ(Find(windows, titled->Id())->ProcessName, kProgram);
    ASSERT_NE(Find(windows, bare->Id()), nullptr);
    EXPECT_EQ(Find(windows, bare->Id())->ProcessName, "");

    const auto detailed = desktop->Census(0, true);
    for (const auto& info : detailed) {
        if (info.Window.Handle == titled->Id()) {
            EXPECT_EQ(info.ProcessId, titled->Process().Pid());
        }
    }
    EXPECT_EQ(desktop->GetWindowProcessId(titled->Id()), titled->Process().Pid());
    EXPECT_EQ(desktop->GetWindowProcessName(titled->Id()), kProgram);
    EXPECT_EQ(desktop->GetWindowProcessName(bare->Id()), kProgram);
    EXPECT_EQ(desktop->GetWindowProcessName(0x7ffff1), "") << "no such window";
    EXPECT_EQ(desktop->GetWindowProcessName(0), "");
}

TEST_F(X11Test, ServerRecordBeatsTheWindowsOwnPidInsideANamespace)
{
    if (!XRig::CanUnsharePid()) {
        GTEST_SKIP() << "this machine does not allow unprivileged user and PID namespaces (unshare failed)";
    }
    // Inside its namespace the program is process 1 and writes that as _NET_WM_PID.
    const auto inside = Window({"--title", "Inside"}, {.PidNamespace = true, .WaitShown = true, .Program = {}});
    const int pid = desktop->GetWindowProcessId(inside->Id());
    EXPECT_NE(pid, 1);
    EXPECT_EQ(ParentOf(pid), inside->Process().Pid()) << "the program runs as the child of unshare";
    EXPECT_EQ(desktop->GetWindowProcessName(inside->Id()), kProgram);
    const auto windows = Census(true);
    ASSERT_NE(Find(windows, inside->Id()), nullptr);
    EXPECT_EQ(Find(windows, inside->Id())->ProcessName, kProgram);
}

// A server without the X-Resource extension: the windows' own _NET_WM_PID,
// trusted only from clients on this host.
class X11NoResourceTest : public X11Test
{
protected:
    void SetUp() override { StartRig({.WindowManager = true, .ServerArgs = {"-extension", "X-Resource"}}); }
};

TEST_F(X11NoResourceTest, FallsBackToTheWindowsPidFromThisHost)
{
    const auto local = Window({"--title", "Local"});
    const auto noPid = Window({"--title", "No pid", "--no-pid"});
    const auto remote = Window({"--title", "Remote", "--machine", "elsewhere.example"});

    EXPECT_EQ(desktop->GetWindowProcessId(local->Id()), local->Process().Pid());
    const auto windows = Census(true);
    ASSERT_NE(Find(windows, local->Id()), nullptr);
    EXPECT_EQ(Find(windows, local->Id())->ProcessName, kProgram);
    ASSERT_NE(Find(windows, noPid->Id()), nullptr);
    EXPECT_EQ(Find(windows, noPid->Id())->ProcessName, "");
    ASSERT_NE(Find(windows, remote->Id()), nullptr);
    EXPECT_EQ(Find(windows, remote->Id())->ProcessName, "") << "a process id from another host means nothing here";
}

} // namespace
} // namespace tally::test
