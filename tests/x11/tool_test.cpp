#include "x11_fixture.h"

#ifdef TALLY_WINDOWS_TOOL

namespace tally::test {
namespace {

std::string RunTool(const std::vector<std::string>& args, int& status)
{
    std::vector<std::string> argv {TALLY_WINDOWS_TOOL};
    argv.insert(argv.end(), args.begin(), args.end());
    ChildProcess::Options options;
    options.PipeStdout = true;
    options.Quiet = true;
    ChildProcess tool(argv, options);
    std::string output;
    while (const auto line = tool.ReadLine(std::chrono::seconds(20))) {
        output += *line + "\n";
    }
    status = tool.Wait(std::chrono::seconds(20)).value_or(-1);
    return output;
}

TEST_F(X11Test, WindowsToolPrintsTheDesktop)
{
    const auto w = Window({"--title", "Tool probe"});
    const auto dialog = Window({"--title", "Tool dialog", "--transient-for", Hex(w->Id())});
    ASSERT_EQ(rig->Xdotool({"windowactivate", "--sync", Hex(w->Id())}), 0);
    ASSERT_TRUE(XRig::WaitUntil([&] { return desktop->GetForegroundWindow() == w->Id(); }));

    int status = -1;
    const std::string output = RunTool({"--display", rig->Display()}, status);
    EXPECT_EQ(status, 0);
    char handle[32];
    std::snprintf(handle, sizeof handle, "0x%08x", w->Id());
    EXPECT_NE(output.find("Foreground window: " + std::string(handle) + " \"Tool probe\""), std::string::npos)
        << output;
    EXPECT_NE(output.find(std::to_string(w->Process().Pid())), std::string::npos) << output;
    EXPECT_NE(output.find("tally-test-window"), std::string::npos) << output;
    EXPECT_NE(output.find("\"Tool dialog\""), std::string::npos) << output;
    EXPECT_NE(output.find("Idle seconds: "), std::string::npos) << output;
    EXPECT_NE(output.find("Desktop locked: no"), std::string::npos) << output;

    RunTool({"--display", ":4711"}, status);
    EXPECT_EQ(status, 1);
}

} // namespace
} // namespace tally::test

#endif
