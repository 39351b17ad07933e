#include "model/time_model.h"
#include "platform/fake/fake_clock.h"
#include "platform/system/posix_file_system.h"
#include "runlog/brisvale_log.h"
#include "storage/data_file.h"
#include "support/temp_dir.h"
#include "x11_rig.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace tally::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A program started from a folder of its own that holds nothing else, as a
// build tree or an unpacked archive does: its data must outlive that folder.
class DataFolderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        rig = std::make_unique<XRig>();
        fs::create_directories(dir.Path() / "run");
        fs::permissions(dir.Path() / "run", fs::perms::owner_all);
        // A user who ran the program before: quiet, logging, the window
        // open on start so that its "+" button can be clicked.
        fs::create_directories(perUser);
        WriteFile((perUser / "tallyhourlite.ini").string(),
                  "[main]\nLogActive=1\nLogDetail=0\nSplashOn=0\nFirstLaunch=1\nAutoRun=0\nSoundOn=0\n");
    }

    void TearDown() override
    {
        if (HasFailure()) {
            std::cout << "---- run log ----\n" << Log() << "---- end of run log ----\n";
        }
    }

    // A fresh copy of the built program in a new folder.
    fs::path CopyProgram(const std::string& folder) const
    {
        const fs::path program = dir.Path() / folder / "tallyhour-zide";
        fs::create_directories(program.parent_path());
        fs::copy_file(TALLY_PROGRAM, program);
        return program;
    }

    std::unique_ptr<ChildProcess> Start(const fs::path& program) const
    {
        ChildProcess::Options options;
        options.Environment = {"DISPLAY=" + rig->Display(),
                               "QT_QPA_PLATFORM=xcb",
                               "TALLYHOUR_DATA_DIR=",
                               "XDG_DATA_HOME=" + (dir.Path() / "share").string(),
                               "XDG_CONFIG_HOME=" + (dir.Path() / "config").string(),
                               "XDG_RUNTIME_DIR=" + (dir.Path() / "run").string(),
                               "DBUS_SESSION_BUS_ADDRESS=unix:path=" + (dir.Path() / "no-bus").string(),
                               "TALLYHOUR_PROBE_URL=http://127.0.0.1:9/"};
        options.Quiet = true;
        return std::make_unique<ChildProcess>(std::vector<std::string> {program.string()}, options);
    }

    std::string Log() const
    {
        const fs::path log = perUser / "log.txt";
        return fs::exists(log) ? ReadFile(log.string()) : std::string();
    }

    bool LogHas(const std::string& text, std::size_t count = 1) const
    {
        return XRig::WaitUntil(
            [&] {
                const std::string log = Log();
                std::size_t n = 0;
                for (auto at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) {
                    ++n;
                }
                return n >= count;
            },
            60s);
    }

    int Xdo(const std::vector<std::string>& args) const
    {
        std::vector<std::string> argv {"xdotool"};
        argv.insert(argv.end(), args.begin(), args.end());
        return RunProgram(argv, rig->Environment(), 60s);
    }

    TempDir dir;
    fs::path perUser = dir.Path() / "share" / "tallyhour-zide";
    std::unique_ptr<XRig> rig;
};

TEST_F(DataFolderTest, ATimerOutlivesTheFolderTheProgramRanFrom)
{
    const fs::path first = CopyProgram("first");
    {
        auto program = Start(first);
        ASSERT_TRUE(LogHas("FirstLaunch"));
        // The "+" button under the timer list; a click before the window
        // takes input is lost, so click until the dialog opens.
        bool opened = false;
        for (int attempt = 0; attempt < 3 && !opened; ++attempt) {
            ASSERT_EQ(Xdo({"search",
                           "--sync",
                           "--onlyvisible",
                           "--name",
                           "^Tallyhour Zide$",
                           "mousemove",
                           "--window",
                           "%1",
                           "69",
                           "304",
                           "click",
                           "1"}),
                      0);
            opened = LogHas("actNewTimerExecute->");
        }
        ASSERT_TRUE(opened);
        // The name field has the focus; "Ok" is the default button.
        ASSERT_EQ(Xdo({"search", "--sync", "--onlyvisible", "--name", "^New timer$", "windowactivate", "--sync", "%1"}),
                  0);
        // It holds a proposed name: replace it.
        ASSERT_EQ(Xdo({"key", "ctrl+a"}), 0);
        ASSERT_EQ(Xdo({"type", "--delay", "80", "Wombat survey"}), 0);
        ASSERT_EQ(Xdo({"key", "Return"}), 0);
        ASSERT_TRUE(LogHas("FormNewTimerRelease-<"));
        ::kill(program->Pid(), SIGTERM);
        ASSERT_EQ(program->Wait(60s), 0);
    }
    // Nothing was written beside the program.
    EXPECT_EQ(std::distance(fs::directory_iterator(first.parent_path()), fs::directory_iterator()), 1);
    fs::remove_all(first.parent_path());

    {
        auto program = Start(CopyProgram("second"));
        ASSERT_TRUE(LogHas("Init->", 2));
        ::kill(program->Pid(), SIGTERM);
        ASSERT_EQ(program->Wait(60s), 0);
    }
    EXPECT_NE(Log().find("Installpath:" + (perUser / "").string()), std::string::npos);

    // The second run read the timer and saved it again at its end.
    FakeClock clock;
    TBrisvaleLog quiet(clock);
    TimeModel model;
    DataFile data(model, quiet, clock, SystemFiles(), DataFilePaths::InDirectory(perUser));
    ASSERT_EQ(data.Load(data.Paths().DataFile).State, LoadResult::Status::Loaded);
    ASSERT_EQ(model.Timers.Count(), 1u);
    EXPECT_EQ(model.Timers[0].Name, "Wombat survey");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path() / "second"), fs::directory_iterator()), 1);
}

} // namespace
} // namespace tally::test
