#include "model/version.h"
#include "program_fixture.h"
#include "support/temp_dir.h"
#include "x11_rig.h"

#include <gtest/gtest.h>

#include <sys/file.h>

#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace tally::test {
namespace {

// No display at all: what the command line answers must not need one, nor
// wait for a running copy of the program to go.
class CommandLineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(dir.Path() / "run");
        lock = ::open(dir.File("run/tallyhour-zide.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        ASSERT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);
    }

    void TearDown() override { ::close(lock); }

    ProgramOutput Run(std::vector<std::string> args) const
    {
        args.insert(args.begin(), TALLY_PROGRAM);
        return RunCapturing(args,
                            {"DISPLAY=",
                             "WAYLAND_DISPLAY=",
                             "QT_QPA_PLATFORM=xcb",
                             "XDG_RUNTIME_DIR=" + (dir.Path() / "run").string(),
                             "XDG_DATA_HOME=" + (dir.Path() / "share").string(),
                             "TALLYHOUR_DATA_DIR="});
    }

    TempDir dir;
    int lock = -1;
};

TEST_F(CommandLineTest, HelpAndVersionAnswerOnStdoutOthersAreRefusedWithTheUsage)
{
    const std::string version = "tallyhour-zide " + std::string(kProgramVersion) + "\n";
    struct Case
    {
        std::vector<std::string> Args;
        int Status;
        std::string Out;     // the whole output; "usage" for the usage text
        std::string Problem; // in the error output, before the usage
    };
    const Case cases[] = {
        {{"--help"}, 0, "usage", ""},
        {{"-h"}, 0, "usage", ""},
        {{"--version"}, 0, version, ""},
        // The toolkit's options are accepted, with one dash or two.
        {{"-platform", "offscreen", "--style=Fusion", "-reverse", "--version"}, 0, version, ""},
        {{"--session", "id-1", "-display", ":9", "--help"}, 0, "usage", ""},
        {{"--bogus"}, 2, "", "unknown option '--bogus'"},
        {{"-platform=xcb"}, 2, "", "unknown option '-platform=xcb'"},
        {{"--"}, 2, "", "unknown option '--'"},
        {{"-reverse", "notes.txt"}, 2, "", "unexpected argument 'notes.txt'"},
        // Accepted: the program goes on to start, finds the running copy
        // and ends quietly. The value is taken as a value, not as --help.
        {{"-reverse"}, 0, "", ""},
        {{"-style", "--help"}, 0, "", ""},
        {{"-platform"}, 2, "", "option '-platform' needs a value"},
        // A mistake before --help is still a mistake.
        {{"--bogus", "--help"}, 2, "", "unknown option '--bogus'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.Args));
        const ProgramOutput run = Run(c.Args);
        EXPECT_EQ(run.Status, c.Status);
        if (c.Out == "usage") {
            EXPECT_TRUE(run.Out.starts_with("Usage: tallyhour-zide [OPTION]...\n")) << run.Out;
            for (const char* part : {"--version", "-platform NAME", "\"portable\"", "TALLYHOUR_DATA_DIR"}) {
                EXPECT_NE(run.Out.find(part), std::string::npos) << part;
            }
        } else {
            EXPECT_EQ(run.Out, c.Out);
        }
        if (c.Status == 2) {
            EXPECT_TRUE(run.Err.starts_with("tallyhour-zide: ")) << run.Err;
            EXPECT_NE(run.Err.find(c.Problem + "\nUsage: tallyhour-zide [OPTION]...\n"), std::string::npos) << run.Err;
        } else {
            EXPECT_EQ(run.Err, "");
        }
    }
}

// "-display" picks the display for the toolkit; the desktop's own
// connection (windows, idle time, keystrokes) must watch the same one.
TEST_F(ProgramTest, TheDisplayNamedOnTheCommandLineIsTheOneWatched)
{
    ChildProcess::Options options;
    options.Environment = Environment();
    for (std::string& entry : options.Environment) {
        if (entry.starts_with("DISPLAY=")) {
            entry = "DISPLAY=";
        }
    }
    options.Quiet = true;
    ChildProcess program({Program(), "-display", rig->Display()}, options);
    ASSERT_TRUE(LogHas("Init->")) << Log();
    EXPECT_NE(Log().find("Desktop: X display " + rig->Display() + ";"), std::string::npos) << Log();
    EXPECT_EQ(Terminate(program), 0);
}

} // namespace
} // namespace tally::test
