#include "model/datetime.h"
#include "program_fixture.h"

#include <thread>

namespace tally::test {
namespace {

TEST_F(ProgramTest, RunningTimerIsSavedWholeWhenTheSessionEnds)
{
    {
        TimeModel model;
        TMyTimer& timer = model.Timers.Create();
        timer.Name = "Writing";
        timer.SetEnabled(true);
        SaveData(model);
    }
    auto program = StartProgram();
    ASSERT_TRUE(LogHas("Init->"));
    std::this_thread::sleep_for(3s);

    // A second start ends at once and writes nothing.
    EXPECT_EQ(RunProgram({Program()}, Environment(), 20s), 0);
    EXPECT_EQ(Count(Log(), "Init->"), 1u);

    EXPECT_EQ(Terminate(*program), 0);
    const std::string log = Log();
    for (const char* line : {"FormCloseQuery->", "AddToAllTimersOffEvents->", "SafeSave->", "FreeProjects->"}) {
        EXPECT_NE(log.find(line), std::string::npos) << line;
    }

    TimeModel model;
    ASSERT_NO_FATAL_FAILURE(LoadData(model));
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
    EXPECT_EQ(Terminate(*program), 0);

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
