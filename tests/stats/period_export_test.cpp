#include "model/datetime.h"
#include "platform/fake/faulty_file_system.h"
#include "platform/system/posix_file_system.h"
#include "stats/csv_text.h"
#include "stats/day_figures.h"
#include "stats/period_export.h"
#include "storage/file_io.h"
#include "storage/storage_error.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>

#include <filesystem>
#include <string>
#include <vector>

namespace tally {
namespace {

const TDateTime kToday = EncodeDate(2026, 6, 10);
const TDateTime kNow = kToday + EncodeTime(15, 30, 0);

TDateTime At(int day, int hour, int minute)
{
    return EncodeDate(2026, 6, day) + EncodeTime(hour, minute, 0);
}

// Two timers of project 1 (one not selected anywhere) and one of project 2.
class PeriodExportTest : public testing::Test
{
protected:
    TimeModel model;
    TMyTimer& editor = model.Timers.Create();
    TMyTimer& shell = model.Timers.Create();
    TMyTimer& mail = model.Timers.Create();

    PeriodExportTest()
    {
        editor.Name = "Editor, main";
        editor.ProjectId = 1;
        editor.ActivePeriods.Add(At(2, 23, 30), At(3, 0, 30)); // starts before the days shown
        editor.ActivePeriods.Add(At(3, 9, 0), At(3, 9, 15));
        editor.ActivePeriods.Add(At(5, 23, 0), At(6, 1, 0)); // starts on the last day shown
        editor.BackgroundPeriods.Add(At(4, 10, 0), At(4, 10, 1));
        editor.ActivePeriods.Add(At(6, 8, 0), At(6, 9, 0)); // after the days shown
        shell.Name = "Shell";
        shell.ProjectId = 1;
        shell.ActivePeriods.Add(At(4, 12, 0), At(4, 12, 30));
        mail.Name = "Mail";
        mail.ProjectId = 2;
        mail.ActivePeriods.Add(At(3, 7, 0), At(3, 7, 5));
        TTimeProject& alpha = model.Projects.Create();
        alpha.Id = 1;
        alpha.Name = "Alpha \"A\"";
        TTimeProject& beta = model.Projects.Create();
        beta.Id = 2;
        beta.Name = "Beta";
    }

    // The window shows the 3rd (with some time of day) through the 5th.
    std::string Export(const StatObject& object, std::vector<TMyTimer*> selected)
    {
        return ExportStatPeriods(object, selected, model, At(3, 15, 30), At(5, 15, 30), true);
    }
};

constexpr const char* kHeader = "timer,project,kind,start,stop,duration_seconds\r\n";

TEST_F(PeriodExportTest, ExportsTheObjectsPeriodsOfTheShownDays)
{
    const std::string editorRows
        = "\"Editor, main\",\"Alpha \"\"A\"\"\",active,2026-06-03T09:00:00.000,2026-06-03T09:15:00.000,900.000\r\n"
          "\"Editor, main\",\"Alpha \"\"A\"\"\",active,2026-06-05T23:00:00.000,2026-06-06T01:00:00.000,7200.000\r\n"
          "\"Editor, main\",\"Alpha \"\"A\"\"\",background,2026-06-04T10:00:00.000,2026-06-04T10:01:00.000,60.000\r\n";
    const std::string mailRows = "Mail,Beta,active,2026-06-03T07:00:00.000,2026-06-03T07:05:00.000,300.000\r\n";
    const std::string shellRows = "Shell,\"Alpha \"\"A\"\"\",active,2026-06-04T12:00:00.000,2026-06-04T12:30:00.000,"
                                  "1800.000\r\n";

    // A timer: the selected timers in list order; the object alone while
    // nothing is selected.
    EXPECT_EQ(Export(&editor, {&editor, &mail}), kHeader + editorRows + mailRows);
    EXPECT_EQ(Export(&editor, {}), kHeader + editorRows);
    // A project: all its timers, listed or not.
    EXPECT_EQ(Export(model.Projects.FindById(1), {&mail}), kHeader + editorRows + shellRows);
    EXPECT_EQ(Export(StatObject {}, {&editor}), kHeader);

    // One day shown: the period that began the evening before stays out. The
    // text and log pages show the chosen day alone, whatever the histogram's length.
    const std::string firstRow = editorRows.substr(0, editorRows.find("\r\n") + 2);
    EXPECT_EQ(ExportStatPeriods(&editor, {}, model, At(3, 0, 0), At(3, 23, 59), true), kHeader + firstRow);
    EXPECT_EQ(ExportStatPeriods(&editor, {}, model, At(3, 15, 30), At(5, 15, 30), false), kHeader + firstRow);

    // A name that a spreadsheet would run as a formula is shown as text.
    editor.Name = "=HYPERLINK(\"x\")";
    const std::string guarded = ExportStatPeriods(&editor, {}, model, At(3, 0, 0), At(3, 23, 59), true);
    EXPECT_TRUE(guarded.substr(std::strlen(kHeader)).starts_with("\"'=HYPERLINK(\"\"x\"\")\",")) << guarded;
}

TEST(DayFigures, RunningPeriodsCountOnTodayOnly)
{
    TMyTimer timer;
    timer.ActivePeriods.Add(kToday - 1 + EncodeTime(23, 0, 0), kToday + EncodeTime(1, 0, 0));
    timer.BackgroundPeriods.Add(kToday - 3 + EncodeTime(8, 0, 0), kToday - 3 + EncodeTime(8, 0, 0));
    // Running since yesterday evening.
    timer.ActiveStart = kToday - 1 + EncodeTime(22, 0, 0);
    timer.ActiveLast = kNow;

    const std::vector<DayFigure> figures = TimerDayFigures(timer, {}, kNow);
    ASSERT_EQ(figures.size(), 2U) << "a day with a record of no length is left out";
    EXPECT_EQ(figures[0].Day, DayOf(kToday) - 1);
    EXPECT_EQ(DurationSecondsText(figures[0].Active), "7200.000");
    EXPECT_EQ(figures[1].Day, DayOf(kToday));
    EXPECT_EQ(figures[1].Active, timer.ActiveToday(kNow));
    EXPECT_EQ(DurationSecondsText(figures[1].Active), "63000.000");

    // Seen from tomorrow, the running period belongs to no day shown.
    EXPECT_EQ(TimerDayFigures(timer, {DayOf(kToday), DayOf(kToday)}, kNow + 1).size(), 0U);
    EXPECT_EQ(TimerDayFigures(timer, {DayOf(kToday) - 5, DayOf(kToday) - 1}, kNow).size(), 1U);
}

// A failed write must leave the file the user picked as it was, and no
// temporary file beside it.
TEST(ExportWrite, FailedStepLeavesTheTargetUntouched)
{
    test::TempDir dir;
    const std::string target = dir.File("work-periods.csv");
    test::WriteFile(target, "old export\r\n");
    TimeModel model;
    TMyTimer& timer = model.Timers.Create();
    timer.Name = "Editor";
    timer.ActivePeriods.Add(kToday + EncodeTime(9, 0, 0), kToday + EncodeTime(10, 0, 0));
    const std::string csv = ExportStatPeriods(&timer, {}, model, kToday, kToday, false);
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(csv.data()), csv.size());

    using Step = FaultyFileSystem::Step;
    for (const Step step : {Step::Create, Step::Write, Step::Flush, Step::Close, Step::Rename}) {
        FaultyFileSystem faulty(SystemFiles());
        faulty.Fail(step, std::errc::no_space_on_device);
        EXPECT_THROW(WriteFileAtomically(faulty, target, bytes), DataFileError) << StepName(step);
        EXPECT_EQ(test::ReadFile(target), "old export\r\n") << StepName(step);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1) << StepName(step);
    }
    FaultyFileSystem healthy(SystemFiles());
    WriteFileAtomically(healthy, target, bytes);
    EXPECT_EQ(test::ReadFile(target), csv);
}

} // namespace
} // namespace tally
