#include "model/time_model.h"
#include "platform/fake/fake_clock.h"
#include "platform/system/posix_file_system.h"
#include "runlog/brisvale_log.h"
#include "storage/data_file.h"
#include "support/temp_dir.h"
#include "x11_rig.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>

namespace tally::test {
namespace {

using namespace std::chrono_literals;

const char* const kWindowsNotice = "This desktop does not let Tallyhour Zide see other programs' windows";

// The real program on a headless Wayland compositor of its own, with no X
// server anywhere: it must start, count what needs no window and say which
// timers this desktop keeps from counting.
class WaylandProgramTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (std::system("command -v weston >/dev/null") != 0) {
            GTEST_SKIP() << "weston is not installed";
        }
        std::filesystem::create_directories(Runtime());
        std::filesystem::permissions(Runtime(), std::filesystem::perms::owner_all);
        socket = "tally-e2e-" + std::to_string(::getpid());
        ChildProcess::Options options;
        options.Environment = {"XDG_RUNTIME_DIR=" + Runtime(), "DISPLAY=", "WAYLAND_DISPLAY="};
        options.Quiet = true;
        compositor = std::make_unique<ChildProcess>(
            std::vector<std::string> {"weston", "--backend=headless-backend.so", "--socket=" + socket, "--idle-time=0"},
            options);
        ASSERT_TRUE(XRig::WaitUntil([&] { return std::filesystem::exists(Runtime() + "/" + socket); }, 20s))
            << "the compositor did not open its socket";
    }

    std::string Runtime() const { return dir.File("run"); }

    std::unique_ptr<ChildProcess> StartProgram() const
    {
        ChildProcess::Options options;
        options.Environment = {"DISPLAY=",
                               "WAYLAND_DISPLAY=" + socket,
                               "XDG_SESSION_TYPE=wayland",
                               "XDG_RUNTIME_DIR=" + Runtime(),
                               "QT_QPA_PLATFORM=wayland",
                               "TALLYHOUR_DATA_DIR=" + dir.Path().string(),
                               "XDG_CONFIG_HOME=" + dir.File("config"),
                               "DBUS_SESSION_BUS_ADDRESS=unix:path=" + dir.File("no-bus"),
                               "TALLYHOUR_PROBE_URL=http://127.0.0.1:9/"};
        options.Quiet = true;
        return std::make_unique<ChildProcess>(std::vector<std::string> {TALLY_PROGRAM}, options);
    }

    std::string Log() const
    {
        return std::filesystem::exists(dir.File("log.txt")) ? ReadFile(dir.File("log.txt")) : std::string();
    }

    DataFile Data(TimeModel& model) const
    {
        return DataFile(model, quietLog, clock, SystemFiles(), DataFilePaths::InDirectory(dir.Path()));
    }

    TempDir dir;
    std::string socket;
    std::unique_ptr<ChildProcess> compositor;
    FakeClock clock;
    mutable TBrisvaleLog quietLog {clock};
};

TEST_F(WaylandProgramTest, StartsCountsManualTimeAndTellsWhatItCannotSee)
{
    {
        TimeModel model;
        TMyTimer& manual = model.Timers.Create();
        manual.Name = "Manual";
        manual.TimerType = ttManual;
        manual.SetEnabled(true);
        TMyTimer& caption = model.Timers.Create();
        caption.Name = "Caption";
        caption.TimerType = ttCaption;
        caption.Identifiers = {"Editor"};
        caption.SetEnabled(true);
        DataFile data = Data(model);
        data.Save(data.Paths().DataFile);
    }
    // The first start: the window opens, and the tick keeps its one-second pace.
    WriteFile(dir.File("tallyhourlite.ini"),
              "[main]\nLogActive=1\nLogDetail=0\nSplashOn=0\nAutoRun=0\nFirstLaunch=1\n");

    auto program = StartProgram();
    ASSERT_TRUE(XRig::WaitUntil([&] { return Log().find("actOpenExecute->") != std::string::npos; }, 30s))
        << "no window opened; run log:\n"
        << Log();
    const std::string log = Log();
    EXPECT_NE(log.find("Desktop: no X display; not seen: windows, keystrokes, idle time"), std::string::npos) << log;
    EXPECT_NE(log.find(std::string("Notice, Caption: ") + kWindowsNotice), std::string::npos) << log;
    EXPECT_EQ(log.find("Notice, Manual"), std::string::npos) << log;

    // A few ticks' worth, on the one-second pace of an open window.
    std::this_thread::sleep_for(3s);
    ::kill(program->Pid(), SIGTERM);
    EXPECT_EQ(program->Wait(30s), 0);

    TimeModel model;
    DataFile data = Data(model);
    ASSERT_EQ(data.Load(data.Paths().DataFile).State, LoadResult::Status::Loaded);
    ASSERT_EQ(model.Timers.Count(), 2u);
    EXPECT_GT(model.Timers[0].ActivePeriods.Count(), 0u) << "the manual timer counted";
    EXPECT_GT(model.Timers[0].ActiveTime, 0.0);
    EXPECT_EQ(model.Timers[1].ActiveTime, 0.0) << "no window is seen, so the caption timer never counts";
    EXPECT_EQ(model.Timers[1].BackgroundTime, 0.0);
}

} // namespace
} // namespace tally::test
