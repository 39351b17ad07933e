#include "model/datetime.h"
#include "platform/fake/fake_clock.h"
#include "runlog/brisvale_log.h"
#include "storage/data_file.h"
#include "support/temp_dir.h"
#include "x11_rig.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

namespace tally::test {
namespace {

using namespace std::chrono_literals;

// The program on a private display, with its data, settings, lock and
// autostart folders inside a temporary folder.
class ProgramTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        rig = std::make_unique<XRig>();
        std::filesystem::create_directories(dir.Path() / "run");
        WriteFile(dir.File("tallyhourlite.ini"),
                  "[main]\nLogActive=1\nLogDetail=0\nSplashOn=0\nFirstLaunch=0\nAutoRun=0\n");
    }

    std::vector<std::string> Environment() const
    {
        return {"DISPLAY=" + rig->Display(),
                "TALLYHOUR_DATA_DIR=" + dir.Path().string(),
                "XDG_CONFIG_HOME=" + (dir.Path() / "config").string(),
                "XDG_RUNTIME_DIR=" + (dir.Path() / "run").string(),
                // No probe leaves the machine.
                "TALLYHOUR_PROBE_URL=http://127.0.0.1:9/"};
    }

    std::unique_ptr<ChildProcess> StartProgram()
    {
        ChildProcess::Options options;
        options.Environment = Environment();
        options.Quiet = true;
        return std::make_unique<ChildProcess>(std::vector<std::string> {TALLY_PROGRAM}, options);
    }

    std::string Log() const
    {
        return std::filesystem::exists(dir.File("log.txt")) ? ReadFile(dir.File("log.txt")) : std::string();
    }

    bool LogHas(const std::string& text, std::chrono::milliseconds timeout = 20s) const
    {
        return XRig::WaitUntil([&] { return Log().find(text) != std::string::npos; }, timeout);
    }

    TempDir dir;
    std::unique_ptr<XRig> rig;
    FakeClock clock;
    TBrisvaleLog quietLog {clock};
};

std::size_t Count(const std::string& text, const std::string& what)
{
    std::size_t n = 0;
    for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1)) {
        ++n;
    }
    return n;
}

TEST_F(ProgramTest, RunningTimerIsSavedWholeWhenTheSessionEnds)
{
    {
        TimeModel model;
        TMyTimer& timer = model.Timers.Create();
        timer.Name = "Writing";
        timer.SetEnabled(true);
        DataFile data(model, quietLog, clock, DataFilePaths::InDirectory(dir.Path()));
        data.Save(data.Paths().DataFile);
    }
    auto program = StartProgram();
    ASSERT_TRUE(LogHas("Init->"));
    std::this_thread::sleep_for(3s);

    // A second start ends at once and writes nothing.
    EXPECT_EQ(RunProgram({TALLY_PROGRAM}, Environment(), 20s), 0);
    EXPECT_EQ(Count(Log(), "Init->"), 1u);

    ::kill(program->Pid(), SIGTERM);
    EXPECT_EQ(program->Wait(20s), 0);
    const std::string log = Log();
    for (const char* line : {"FormCloseQuery->", "AddToAllTimersOffEvents->", "SafeSave->", "FreeProjects->"}) {
        EXPECT_NE(log.find(line), std::string::npos) << line;
    }

    TimeModel model;
    DataFile data(model, quietLog, clock, DataFilePaths::InDirectory(dir.Path()));
    ASSERT_EQ(data.Load(data.Paths().DataFile).State, LoadResult::Status::Loaded);
    ASSERT_EQ(model.Timers.Count(), 1u);
    const TMyTimer& saved = model.Timers[0];
    // The first tick comes a second after start-up and opens the period.
    EXPECT_GE(saved.ActiveTime, 1 * kOneSecond);
    EXPECT_LT(saved.ActiveTime, 60 * kOneSecond);
    ASSERT_GE(saved.ActivePeriods.Count(), 1u);
    EXPECT_EQ(saved.ActiveStart, kNoPeriod); // nothing left open
    for (const TWorkPeriod& p : saved.ActivePeriods) {
        EXPECT_LE(p.Start, p.Stop);
    }
}

TEST_F(ProgramTest, DamagedDataFileIsKeptAsideNotOverwritten)
{
    // The header and a version text that ends early.
    const char bytes[] = "Tallyhour Zide timers data file v1.1\x09\x00\x00\x00"
                         "1.1.0";
    const std::string damaged(bytes, sizeof bytes - 1);
    WriteFile(dir.File("timers.dat"), damaged);
    auto program = StartProgram();
    ASSERT_TRUE(LogHas("Init->"));
    ::kill(program->Pid(), SIGTERM);
    EXPECT_EQ(program->Wait(20s), 0);

    std::vector<std::filesystem::path> copies;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        if (entry.path().filename().string().starts_with("timers.dat.invalid-")) {
            copies.push_back(entry.path());
        }
    }
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(ReadFile(copies[0].string()), damaged);
    EXPECT_NE(Log().find("Invalid data file"), std::string::npos);
}

} // namespace
} // namespace tally::test
