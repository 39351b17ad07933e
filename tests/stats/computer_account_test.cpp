#include "model/datetime.h"
#include "stats/computer_account.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace tally {
namespace {

const TDateTime kDay = EncodeDate(2026, 3, 2);
const TDateTime kNow = EncodeDate(2026, 3, 9) + EncodeTime(12, 0, 0);

TDateTime Hours(double h)
{
    return h / 24.0;
}

struct TimerSpec
{
    std::string Name;
    std::string Project; // empty: none
    // Active periods on kDay, in hours of the day.
    std::vector<std::pair<double, double>> Active;
};

using ComputerSpec = std::vector<TimerSpec>;

std::unique_ptr<TimeModel> Build(const ComputerSpec& spec)
{
    auto model = std::make_unique<TimeModel>();
    for (const TimerSpec& t : spec) {
        TMyTimer& timer = model->Timers.Create();
        timer.Name = t.Name;
        if (!t.Project.empty()) {
            // Ids differ per computer on purpose: projects match by name.
            auto project = std::make_unique<TTimeProject>();
            project->Id = static_cast<std::int32_t>(model->Projects.Count()) + 7 * (1 + static_cast<int>(spec.size()));
            project->Name = t.Project;
            timer.ProjectId = model->Projects.Add(std::move(project)).Id;
        }
        for (const auto& [from, to] : t.Active) {
            timer.ActivePeriods.Add(kDay + Hours(from), kDay + Hours(to));
            timer.ActiveTime += Hours(to - from);
        }
    }
    return model;
}

struct Case
{
    const char* What;
    std::vector<ComputerSpec> Others;
    bool ProjectQuery;
    std::string Query;
    double TotalHours;
    double OverlapHours;
    std::size_t Shares;
};

// The merge rules, on other computers' files only.
// clang-format off
const Case kCases[] = {
    {"same name on two computers adds up",
     {{{"Write", "", {{9, 10}}}}, {{"Write", "", {{14, 16}}}}}, false, "Write", 3, 0, 2},
    {"overlapping stretches count once",
     {{{"Write", "", {{9, 11}}}}, {{"Write", "", {{10, 12}}}}}, false, "Write", 3, 1, 2},
    {"three computers: a stretch over the gap of another, a third over both",
     {{{"Write", "", {{9, 10}, {11, 12}}}}, {{"Write", "", {{8, 13}}}}, {{"Write", "", {{9.5, 11.5}}}}}, false, "Write", 5, 4, 3},
    {"two timers of one name on one computer add up there, as in its own window",
     {{{"Write", "", {{9.5, 10.5}}}, {"Write", "", {{9, 10}}}}, {{"Write", "", {{10, 11}}}}}, false, "Write", 2.5, 0.5, 2},
    {"other timers at the same time are not overlap",
     {{{"Write", "", {{9, 11}}}}, {{"Read", "", {{9, 11}}}}}, false, "Write", 2, 0, 1},
    {"a project of the same name with different timers sums them",
     {{{"Write", "Book", {{9, 11}}}}, {{"Review", "Book", {{10, 11}}}}}, true, "Book", 3, 0, 2},
    {"a project counts only its own timers of a shared name",
     {{{"Write", "Book", {{9, 11}}}}, {{"Write", "", {{10, 12}}}}, {{"Write", "Book", {{10, 11}}}}}, true, "Book", 2, 1, 2},
    {"the same timer ignores the projects",
     {{{"Write", "Book", {{9, 11}}}}, {{"Write", "", {{10, 12}}}}}, false, "Write", 3, 1, 2},
};
// clang-format on

TEST(ComputerAccountTest, MergeRules)
{
    for (const Case& c : kCases) {
        std::vector<std::unique_ptr<TimeModel>> models;
        std::vector<ComputerModel> others;
        for (const ComputerSpec& spec : c.Others) {
            models.push_back(Build(spec));
            others.push_back({"pc" + std::to_string(models.size()), models.back().get()});
        }
        const ComputerAccount account({}, others);
        const MergedFigures figures
            = c.ProjectQuery ? account.ProjectFigures(c.Query, kDay, kNow) : account.TimerFigures(c.Query, kDay, kNow);
        EXPECT_NEAR(figures.Sums.TotalActive, Hours(c.TotalHours), 1e-9) << c.What;
        EXPECT_NEAR(figures.Sums.DayActive, Hours(c.TotalHours), 1e-9) << c.What;
        EXPECT_NEAR(figures.Overlap.TotalActive, Hours(c.OverlapHours), 1e-9) << c.What;
        EXPECT_EQ(figures.Shares.size(), c.Shares) << c.What;
        // The histogram and the report say the same.
        const std::vector<DayFigure> days
            = c.ProjectQuery ? account.ProjectDays(c.Query, {}, kNow) : account.TimerDays(c.Query, {}, kNow);
        ASSERT_EQ(days.size(), 1U) << c.What;
        EXPECT_NEAR(days[0].Active, Hours(c.TotalHours), 1e-9) << c.What;
        if (c.ProjectQuery) {
            TDateTime reported = 0.0;
            for (const ComputerDayRow& row : account.DayRows({}, kNow, &c.Query)) {
                reported += row.Active;
            }
            EXPECT_NEAR(reported, Hours(c.TotalHours), 1e-9) << c.What;
        }
    }
}

// This computer's live timers: a growing list and a running period, against
// another computer's file.
TEST(ComputerAccountTest, OwnTimersCountedLiveAgainstTheOthers)
{
    auto other = Build({{"Write", "", {{9, 11}}}});
    TimeModel own;
    TMyTimer& mine = own.Timers.Create();
    mine.Name = "Write";
    mine.ActivePeriods.Add(kDay + Hours(8), kDay + Hours(9.5));
    mine.ActiveTime = Hours(1.5);
    const ComputerAccount account({"here", &own}, {{"there", other.get()}});

    MergedFigures figures = account.TimerFigures("Write", kDay, kNow);
    EXPECT_NEAR(figures.Sums.TotalActive, Hours(3), 1e-9);
    EXPECT_NEAR(figures.Overlap.TotalActive, Hours(0.5), 1e-9);
    ASSERT_EQ(figures.Shares.size(), 2U);
    EXPECT_EQ(figures.Shares[0].Computer, 0U);
    EXPECT_NEAR(figures.Shares[0].Sums.TotalActive, Hours(1.5), 1e-9);

    // A later period and a running one, both inside the other's stretch;
    // the running one counts on today.
    mine.ActivePeriods.Add(kDay + Hours(10), kDay + Hours(10.25));
    mine.ActiveStart = kDay + Hours(10.5);
    mine.ActiveLast = kDay + Hours(10.75);
    mine.ActiveTime += Hours(0.5);
    figures = account.TimerFigures("Write", kDay, kNow);
    EXPECT_NEAR(figures.Overlap.TotalActive, Hours(1), 1e-9);
    EXPECT_NEAR(figures.Sums.TotalActive, Hours(3), 1e-9);
    EXPECT_NEAR(figures.Sums.DayActive, Hours(1.75 + 2 - 0.75), 1e-9);

    // The time log: own periods writable, the other's read only.
    const std::vector<ComputerPeriod> periods = account.TimerPeriods("Write");
    ASSERT_EQ(periods.size(), 3U);
    EXPECT_FALSE(periods[0].ReadOnly);
    EXPECT_EQ(periods[2].Computer, 1U);
    EXPECT_TRUE(periods[2].ReadOnly);
}

} // namespace
} // namespace tally
