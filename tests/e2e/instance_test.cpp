#include "model/datetime.h"
#include "platform/system/system_clock.h"
#include "program_fixture.h"

#include <algorithm>
#include <thread>
#include <utility>

namespace tally::test {
namespace {

struct TimerShape
{
    std::string Name;
    std::uint8_t Type;
    std::vector<std::string> Identifiers;
    std::vector<std::pair<TDateTime, TDateTime>> Periods;
    TDateTime ActiveTime;
};

std::vector<TimerShape> Shapes(const TimeModel& model)
{
    std::vector<TimerShape> shapes;
    for (const TMyTimer& t : model.Timers) {
        TimerShape& shape = shapes.emplace_back(TimerShape {t.Name, t.TimerType, t.Identifiers, {}, t.ActiveTime});
        for (const TWorkPeriod& p : t.ActivePeriods) {
            shape.Periods.emplace_back(p.Start, p.Stop);
        }
    }
    return shapes;
}

// Twenty starts at once, as when a session restores the program while the
// user clicks its icon too: one program runs, the others end at once without
// a word, and the data file stays whole.
TEST_F(ProgramTest, TwentySimultaneousStartsLeaveOneProgramAndTheDataIntact)
{
    TimeModel before;
    {
        const TDateTime yesterday = SystemClock().Read().Now - 1.0;
        TMyTimer& writing = before.Timers.Create();
        writing.Name = "Writing";
        writing.SetEnabled(true); // runs, so the survivor changes the file at its end
        TMyTimer& editor = before.Timers.Create();
        editor.Name = "Editor";
        editor.TimerType = ttApplication;
        editor.Identifiers = {"editor", "other-editor"};
        for (int i = 0; i < 500; ++i) {
            const TDateTime start = yesterday + i * kOneMinute;
            editor.ActivePeriods.Add(start, start + 30 * kOneSecond);
            editor.ActiveTime += 30 * kOneSecond;
        }
        TMyTimer& mail = before.Timers.Create();
        mail.Name = "Mail";
        mail.TimerType = ttCaption;
        mail.Identifiers = {"Inbox"};
        mail.ActivePeriods.Add(yesterday, yesterday + kOneHour);
        mail.ActiveTime = kOneHour;
        SaveData(before);
    }

    std::vector<std::unique_ptr<ChildProcess>> programs;
    for (int i = 0; i < 20; ++i) {
        programs.push_back(StartProgram());
    }
    const auto running
        = [&] { return std::count_if(programs.begin(), programs.end(), [](const auto& p) { return p->Running(); }); };
    ASSERT_TRUE(XRig::WaitUntil([&] { return running() <= 1; }, 30s)) << running() << " still running";
    ASSERT_EQ(running(), 1);
    for (const auto& p : programs) {
        if (!p->Running()) {
            EXPECT_EQ(p->Wait(0s), 0);
        }
    }
    ASSERT_TRUE(LogHas("Init->"));
    // The survivor's first ticks; no late starter has joined it meanwhile.
    std::this_thread::sleep_for(3s);
    EXPECT_EQ(running(), 1);
    EXPECT_EQ(Count(Log(), "Init->"), 1u);

    auto& survivor = *std::find_if(programs.begin(), programs.end(), [](const auto& p) { return p->Running(); });
    EXPECT_EQ(Terminate(*survivor), 0);

    TimeModel after;
    ASSERT_NO_FATAL_FAILURE(LoadData(after));
    const std::vector<TimerShape> was = Shapes(before);
    const std::vector<TimerShape> is = Shapes(after);
    ASSERT_EQ(is.size(), was.size());
    for (std::size_t i = 0; i < was.size(); ++i) {
        SCOPED_TRACE(was[i].Name);
        EXPECT_EQ(is[i].Name, was[i].Name);
        EXPECT_EQ(is[i].Type, was[i].Type);
        EXPECT_EQ(is[i].Identifiers, was[i].Identifiers);
        if (was[i].Name == "Writing") {
            // The one timer that ran gained the survivor's time.
            EXPECT_GT(is[i].ActiveTime, 1 * kOneSecond);
        } else {
            EXPECT_EQ(is[i].Periods, was[i].Periods);
            EXPECT_EQ(is[i].ActiveTime, was[i].ActiveTime);
        }
    }
    // Nothing was found damaged and copied aside, and no save failed.
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        const std::string name = entry.path().filename().string();
        EXPECT_FALSE(name.starts_with("timers.dat.") || name == kBackupFileName) << name;
    }
}

} // namespace
} // namespace tally::test
