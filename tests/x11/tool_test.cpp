#include "model/version.h"
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

TEST(WindowsTool, HelpAndVersionAnswerOnStdoutOthersAreRefusedWithTheUsage)
{
    const std::string usage = "Usage: tallyhour-windows [--display NAME]\n";
    struct Case
    {
        std::vector<std::string> Args;
        int Status;
        std::string Out;     // the start of the output
        std::string Problem; // the first line of the error output, then the usage
    };
    const Case cases[] = {
        {{"--help"}, 0, usage, ""},
        {{"-h"}, 0, usage, ""},
        {{"--display", ":1", "--version"}, 0, "tallyhour-windows " + std::string(kProgramVersion) + "\n", ""},
        {{"--bogus"}, 2, "", "unknown option '--bogus'"},
        {{"--display"}, 2, "", "option '--display' needs a value"},
        {{":1"}, 2, "", "unexpected argument ':1'"},
        {{"--bogus", "--help"}, 2, "", "unknown option '--bogus'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.Args));
        std::vector<std::string> argv {TALLY_WINDOWS_TOOL};
        argv.insert(argv.end(), c.Args.begin(), c.Args.end());
        // No display: none of these may need one.
        const ProgramOutput run = RunCapturing(argv, {"DISPLAY="});
        EXPECT_EQ(run.Status, c.Status);
        if (c.Status == 0) {
            EXPECT_TRUE(run.Out.starts_with(c.Out)) << run.Out;
            EXPECT_EQ(run.Err, "");
        } else {
            EXPECT_EQ(run.Out, "");
            EXPECT_TRUE(run.Err.starts_with("tallyhour-windows: " + c.Problem + "\n" + usage)) << run.Err;
        }
    }
    // The version line is all there is.
    EXPECT_EQ(RunCapturing({TALLY_WINDOWS_TOOL, "--version"}, {"DISPLAY="}).Out,
              "tallyhour-windows " + std::string(kProgramVersion) + "\n");
}

} // namespace
} // namespace tally::test

#endif
