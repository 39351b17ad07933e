#include "model/datetime.h"
#include "model/duration.h"
#include "model/run_log_sink.h"
#include "stats/stat_dates.h"
#include "stats/stat_log.h"
#include "stats/text_stat.h"
#include "support/environment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace tally {
namespace {

struct RecordingLog final : RunLogSink
{
    std::vector<std::string> Lines;
    void WriteLine(std::uint8_t, std::string_view text) override { Lines.emplace_back(text); }
};

const TDateTime kToday = EncodeDate(2026, 6, 10);
const TDateTime kNow = kToday + EncodeTime(15, 30, 0);
const TDateTime kYesterday = kNow - 1;

TDateTime At(TDateTime day, int hour, int minute)
{
    return std::trunc(day) + EncodeTime(hour, minute, 0);
}

// Timers with one closed period of each kind today and yesterday, totals
// that differ from the periods (as after log edits) and, for the
// application timer, a running active period.
class TextStatTest : public testing::Test
{
protected:
    TMyTimer app = Make("Editor", ttApplication, 10, 3);
    TMyTimer manual = Make("Meeting", ttManual, 20, 0);
    TMyTimer typing = Make("Typing", ttTyping, 30, 5);
    TMyTimer other = Make("Browser", ttApplication, 40, 7);
    RecordingLog log;

    TextStatTest()
    {
        app.CreationDate = EncodeDate(2025, 1, 2);
        app.ActiveStart = kNow - 20 * kOneMinute;
        app.ActiveLast = kNow;
        other.ProjectId = 4;
        typing.ProjectId = 4;
    }

    // `minutes` active and minutes/2 background on each of today and
    // yesterday; the totals are `hours` and `backHours`.
    static TMyTimer Make(const std::string& name, TimerType type, int minutes, int backHours)
    {
        TMyTimer timer;
        timer.Name = name;
        timer.TimerType = type;
        for (TDateTime day : {kYesterday, kNow}) {
            timer.ActivePeriods.Add(At(day, 9, 0), At(day, 9, minutes));
            timer.BackgroundPeriods.Add(At(day, 11, 0), At(day, 11, minutes / 2));
        }
        timer.ActiveTime = 10 * kOneHour + minutes * kOneMinute;
        timer.BackgroundTime = backHours * kOneHour;
        return timer;
    }

    TextStat Fill(const StatObject& object,
                  std::vector<TMyTimer*> selected,
                  TDateTime day,
                  const TTimeProject* project = nullptr)
    {
        std::vector<TMyTimer*> listed {&app, &manual, &typing, &other};
        return FillTextStat(object, {selected, listed, project}, day, kNow, log);
    }
};

TEST_F(TextStatTest, TimerSelections)
{
    struct Case
    {
        const char* Name;
        std::vector<TMyTimer*> Selected;
        int Position;
        TextStat Want;
    };
    const std::string created = FormatShortDate(EncodeDate(2025, 1, 2));
    const Case cases[] = {
        // Today: the running 20 minutes count with the closed 10.
        {"today", {&app}, 367, {"today", "0:30:00", "0:05:00", "0:35:00", "10:10:00", "3:00:00", "13:10:00", created}},
        // Yesterday: no running period.
        {"yesterday",
         {&app},
         366,
         {FormatShortDate(kYesterday), "0:10:00", "0:05:00", "0:15:00", "10:10:00", "3:00:00", "13:10:00", created}},
        // The first selected timer decides that background shows: sums over both.
        {"app first",
         {&app, &other},
         367,
         {"today", "1:10:00", "0:25:00", "1:35:00", "20:50:00", "10:00:00", "30:50:00", "..."}},
        // A typing timer first hides background, though the summaries hold the other's.
        {"typing first",
         {&typing, &other},
         367,
         {"today", "1:10:00", "...", "1:45:00", "21:10:00", "...", "33:10:00", "..."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const TextStat got = Fill(c.Selected.front(), c.Selected, ComputeStatDates(c.Position, 7, kNow).StatDate);
        EXPECT_EQ(got.OnDate, c.Want.OnDate);
        EXPECT_EQ(got.TodayAct, c.Want.TodayAct);
        EXPECT_EQ(got.TodayBack, c.Want.TodayBack);
        EXPECT_EQ(got.TodaySumm, c.Want.TodaySumm);
        EXPECT_EQ(got.TotalAct, c.Want.TotalAct);
        EXPECT_EQ(got.TotalBack, c.Want.TotalBack);
        EXPECT_EQ(got.TotalSumm, c.Want.TotalSumm);
        EXPECT_EQ(got.Creation, c.Want.Creation);
    }
}

TEST_F(TextStatTest, ManualTimerHidesBackgroundEvenWithBackgroundPeriods)
{
    manual.CreationDate = EncodeDate(2026, 2, 3);
    manual.BackgroundTime = kOneHour; // from a data file that says so
    TextStat got = Fill(&manual, {&manual}, kNow);
    EXPECT_EQ(got.TotalBack, "...");
    EXPECT_EQ(got.TodayBack, "...");
    EXPECT_EQ(got.TodayAct, "0:20:00");
    EXPECT_EQ(got.Creation, FormatShortDate(EncodeDate(2026, 2, 3)));

    // A manual first, an application second: still hidden, summaries add both.
    got = Fill(&manual, {&manual, &app}, kNow);
    EXPECT_EQ(got.TotalBack, "...");
    EXPECT_EQ(got.TodaySumm, FormatDuration(50 * kOneMinute + 15 * kOneMinute));
    EXPECT_EQ(got.Creation, "...");
}

TEST_F(TextStatTest, TimerWithoutSelectedRowsKeepsTheCreationText)
{
    const TextStat got = Fill(&app, {}, kYesterday);
    EXPECT_EQ(got.OnDate, FormatShortDate(kYesterday));
    EXPECT_EQ(got.TodayAct, "0:00:00");
    EXPECT_EQ(got.TotalSumm, "0:00:00");
    EXPECT_FALSE(got.Creation.has_value());
}

TEST_F(TextStatTest, ProjectsSumTheirListedTimers)
{
    TTimeProject empty;
    empty.Id = 9;
    empty.Name = "Nothing yet";
    empty.CreationDate = EncodeDate(2024, 12, 24);
    TextStat got = Fill(&empty, {&app}, kNow, &empty);
    for (const std::string* value :
         {&got.TodayAct, &got.TodayBack, &got.TodaySumm, &got.TotalAct, &got.TotalBack, &got.TotalSumm}) {
        EXPECT_EQ(*value, "0:00:00");
    }
    EXPECT_EQ(got.Creation, FormatShortDate(EncodeDate(2024, 12, 24)));
    EXPECT_EQ(got.OnDate, "today");

    // Selected or not, every listed timer of the project counts; no
    // background rule for projects, so the typing timer's shows.
    TTimeProject project;
    project.Id = 4;
    got = Fill(&project, {&app}, kNow, &project);
    EXPECT_EQ(got.TodayAct, "1:10:00");
    EXPECT_EQ(got.TodayBack, "0:35:00");
    EXPECT_EQ(got.TotalBack, "12:00:00");
    EXPECT_EQ(got.TotalSumm, "33:10:00");

    // A keyboard move to a pseudo-project row: timers of that id.
    TTimeProject nonProject;
    nonProject.Id = NonProjectId;
    got = Fill(&project, {}, kNow, &nonProject);
    EXPECT_EQ(got.TodayAct, "0:50:00"); // app (with its running period) and manual

    // The separator row or a closed projects window: zeros, creation kept.
    got = Fill(&project, {}, kNow, nullptr);
    EXPECT_EQ(got.TotalAct, "0:00:00");
    EXPECT_FALSE(got.Creation.has_value());
}

TEST_F(TextStatTest, NoObjectClearsEveryValue)
{
    const TextStat got = Fill(StatObject {}, {&app}, kNow);
    for (const std::string* value :
         {&got.OnDate, &got.TodayAct, &got.TodayBack, &got.TodaySumm, &got.TotalAct, &got.TotalBack, &got.TotalSumm}) {
        EXPECT_EQ(*value, "...");
    }
    EXPECT_EQ(got.Creation, "...");
    EXPECT_EQ(log.Lines, std::vector<std::string> {"FillTextStat"});
}

TEST_F(TextStatTest, CaptionNamesTheObject)
{
    TTimeProject project;
    project.Name = "Website";
    struct Case
    {
        StatObject Object;
        std::size_t Selected;
        const char* Want;
    };
    const Case cases[] = {
        {StatObject {}, 0, "  Work time statistic"},
        {&app, 1, "  Statistic on timer: Editor"},
        {&app, 2, "  Statistic on selected timers (2 timers selected)"},
        {&app, 12, "  Statistic on selected timers (12 timers selected)"},
        {&project, 3, "  Statistic on project: Website"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FillCaptInfo(c.Object, c.Selected, log), c.Want);
    }
}

TEST_F(TextStatTest, LogPageShowsTheObjectsTimerOnly)
{
    TTimeProject project;
    for (const StatObject& object : {StatObject {}, StatObject {&project}}) {
        const LogPage page = FillLog(object, kNow, kNow, log);
        EXPECT_EQ(page.Title, "Timer activity log for ... (no timers selected)");
        EXPECT_TRUE(page.Rows.empty());
        EXPECT_FALSE(AddStatLogItem(object, kNow, EncodeTime(14, 0, 0), EncodeTime(15, 0, 0)));
    }

    LogPage page = FillLog(&app, kYesterday, kNow, log);
    EXPECT_EQ(page.Title, "Timer activity log for " + FormatShortDate(kYesterday));
    ASSERT_EQ(page.Rows.size(), 1u);

    // Added on the chosen day, shown last though it starts earlier.
    ASSERT_TRUE(AddStatLogItem(&app, kYesterday, EncodeTime(8, 0, 0), EncodeTime(8, 45, 0)));
    page = FillLog(&app, kYesterday, kNow, log);
    ASSERT_EQ(page.Rows.size(), 2u);
    EXPECT_EQ(page.Rows[1].StartText, FormatLongTime(EncodeTime(8, 0, 0)));
    EXPECT_EQ(Fill(&app, {&app}, kYesterday).TodayAct, "0:55:00");
    EXPECT_EQ(FormatDuration(app.ActiveTime), "10:55:00");

    const TWorkPeriod* both[] = {page.Rows[0].Period, page.Rows[1].Period};
    DeleteStatLogItems(&project, both); // not a timer: nothing happens
    EXPECT_EQ(FillLog(&app, kYesterday, kNow, log).Rows.size(), 2u);
    DeleteStatLogItems(&app, both);
    EXPECT_TRUE(FillLog(&app, kYesterday, kNow, log).Rows.empty());
    EXPECT_EQ(FormatDuration(app.ActiveTime), "10:00:00");
    // The running period is never listed, even today.
    EXPECT_EQ(FillLog(&app, kNow, kNow, log).Rows.size(), 1u);
}

// Periods are closed at a wall-clock step, so a change of daylight saving
// leaves two periods whose wall-clock lengths are their real lengths; the
// repeated autumn hour lists its second period after the first, in list
// order, and the day counts both.
TEST_F(TextStatTest, DaylightSavingDaysSumTheirPeriods)
{
    test::ScopedTimeZone zone("Europe/Berlin");
    const TDateTime spring = EncodeDate(2026, 3, 29);
    const TDateTime autumn = EncodeDate(2026, 10, 25);
    TMyTimer timer;
    timer.TimerType = ttApplication;
    timer.ActivePeriods.Add(spring + EncodeTime(1, 30, 0), spring + EncodeTime(2, 0, 0));
    timer.ActivePeriods.Add(spring + EncodeTime(3, 0, 0), spring + EncodeTime(3, 30, 0));
    timer.ActivePeriods.Add(autumn + EncodeTime(2, 20, 0), autumn + EncodeTime(3, 0, 0));
    timer.ActivePeriods.Add(autumn + EncodeTime(2, 0, 0), autumn + EncodeTime(2, 40, 0));
    struct Case
    {
        TDateTime Now;
        int Position;
        const char* DayAct;
        std::vector<std::string> Starts;
    };
    const Case cases[] = {
        {spring + 1 + EncodeTime(0, 30, 0), 366, "1:00:00", {"01:30:00", "03:00:00"}},
        {autumn + 1 + EncodeTime(0, 30, 0), 366, "1:20:00", {"02:20:00", "02:00:00"}},
        {autumn + EncodeTime(23, 0, 0), 367, "1:20:00", {"02:20:00", "02:00:00"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.DayAct);
        const StatDates dates = ComputeStatDates(c.Position, 7, c.Now);
        std::vector<TMyTimer*> selected {&timer};
        const TextStat text = FillTextStat(&timer, {selected, selected, nullptr}, dates.StatDate, c.Now, log);
        EXPECT_EQ(text.TodayAct, c.DayAct);
        std::vector<std::string> starts;
        for (const LogRow& row : FillLog(&timer, dates.StatDate, c.Now, log).Rows) {
            starts.push_back(row.StartText);
        }
        EXPECT_EQ(starts, c.Starts);
    }
}

} // namespace
} // namespace tally
