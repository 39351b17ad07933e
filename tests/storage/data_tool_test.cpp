#ifdef TALLY_DATA_TOOL

#include "data_text.h"
#include "data_tool.h"
#include "model/version.h"
#include "report.h"
#include "storage_fixture.h"

#include <gmock/gmock.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <limits>
#include <map>
#include <set>
#include <sstream>

#include <sys/wait.h>

namespace tally::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::StartsWith;

struct ToolRun
{
    int Status = -1;
    std::string Out;
    std::string Err;
};

// env: assignments for the tool's environment, "TZ=Europe/Berlin" say.
ToolRun RunTool(const std::string& args, const TempDir& scratch, const std::string& env = "")
{
    const std::string errPath = scratch.File("stderr.txt");
    const std::string command = env + " " + std::string(TALLY_DATA_TOOL) + " " + args + " 2>" + errPath;
    ToolRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return run;
    }
    char buffer[4096];
    for (std::size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        run.Out.append(buffer, got);
    }
    const int status = pclose(pipe);
    run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.Err = ReadFile(errPath);
    return run;
}

const std::string kData = TALLY_TEST_DATA_DIR;

class DataToolTest : public ::testing::Test
{
protected:
    TempDir scratch;
};

TEST_F(DataToolTest, DumpShowsEveryFieldOfACurrentFile)
{
    const ToolRun run = RunTool(kData + "/storage/current_rich.dat dump", scratch);
    ASSERT_EQ(run.Status, 2) << "arguments in the wrong order are refused";

    const ToolRun dump = RunTool("dump " + kData + "/storage/current_rich.dat", scratch);
    ASSERT_EQ(dump.Status, 0) << dump.Err;
    const auto json = nlohmann::json::parse(dump.Out);
    EXPECT_EQ(json["format"], "current");
    EXPECT_EQ(json["version"], "1.1.0.363");
    ASSERT_EQ(json["timers"].size(), 3U);
    const auto& editor = json["timers"][0];
    EXPECT_EQ(editor["name"], "Editor");
    EXPECT_EQ(editor["identifiers"], nlohmann::json::array({"code.exe", "", "vim"}));
    EXPECT_EQ(editor["enabled"], true);
    EXPECT_EQ(editor["timer_type"], 1);
    EXPECT_EQ(editor["timer_type_name"], "Application");
    EXPECT_EQ(editor["window_scope"], 2);
    EXPECT_EQ(editor["active_time_days"], 0.5);
    EXPECT_EQ(editor["color_hex"], "0xFF000002");
    EXPECT_EQ(editor["project_id"], 1);
    EXPECT_EQ(editor["creation_date"]["local"], "2024-01-02T03:04:05.678");
    ASSERT_EQ(editor["active_periods"].size(), 3U);
    EXPECT_EQ(editor["active_periods"][1]["start"]["local"], "2024-03-02T23:59:59.999");
    EXPECT_EQ(editor["active_periods"][2]["start"]["raw"], 45000.123456789);
    EXPECT_EQ(editor["background_periods"].size(), 2U);
    EXPECT_EQ(json["timers"][1]["project_id"], -7);
    EXPECT_EQ(json["timers"][2]["name"], "Line\r\nbreak \xC3\xBC \xE2\x84\x96");

    ASSERT_EQ(json["projects"].size(), 2U);
    const auto& alpha = json["projects"][0];
    EXPECT_EQ(alpha["total_price"], "12.34");
    EXPECT_EQ(alpha["reserved_amount"], "0.05");
    EXPECT_EQ(alpha["description"], "first line\r\nsecond line\r\n");
    EXPECT_EQ(alpha["start_date"]["local"], "2024-01-01T00:00:00.000");
    EXPECT_EQ(alpha["creation_date"]["local"], "2023-11-05T14:03:27.000");
    EXPECT_EQ(json["projects"][1]["id"], -3);
    EXPECT_EQ(json["projects"][1]["reserved_amount"], "-1.5");
}

TEST_F(DataToolTest, DumpNamesTheMarkersOfAnOlderFile)
{
    const ToolRun plain = RunTool("dump " + kData + "/storage/legacy_rich.dat", scratch);
    ASSERT_EQ(plain.Status, 0) << plain.Err;
    const auto json = nlohmann::json::parse(plain.Out);
    EXPECT_EQ(json["format"], "legacy");
    EXPECT_EQ(json["legacy_markers"]["loadatime.txt"], false);
    EXPECT_EQ(json["projects"][0]["total_price"], "12.34");

    const ToolRun marked = RunTool("dump " + kData + "/storage/legacy_all_markers/timers.dat", scratch);
    ASSERT_EQ(marked.Status, 0) << marked.Err;
    const auto markedJson = nlohmann::json::parse(marked.Out);
    EXPECT_EQ(markedJson["legacy_markers"]["loadatime.txt"], true);
    EXPECT_EQ(markedJson["legacy_markers"]["notloadprojectid.txt"], true);
    EXPECT_EQ(markedJson["legacy_markers"]["notloadprojects.txt"], true);
    EXPECT_EQ(markedJson["timers"][0]["project_id"], 0);
    EXPECT_TRUE(markedJson["projects"].empty());
}

TEST_F(DataToolTest, ExportWritesOneQuotedRowPerPeriod)
{
    const ToolRun run = RunTool("export --csv " + kData + "/storage/current_rich.dat", scratch);
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_THAT(run.Out,
                StartsWith("timer,project,kind,start,stop,duration_seconds\r\n"
                           "Editor,Alpha,active,2024-03-01T09:00:00.000,2024-03-01T09:30:00.125,1800.125\r\n"));
    EXPECT_THAT(run.Out,
                HasSubstr("\r\n\"Line\r\nbreak \xC3\xBC \xE2\x84\x96\",,background,2024-02-29T08:00:00.000,"
                          "2024-02-29T17:45:30.000,35130.000\r\n"));
    // Six periods of the first timer, one of the third, and the header.
    EXPECT_EQ(std::count(run.Out.begin(), run.Out.end(), '\n'), 1 + 5 + 1 + 1);

    const ToolRun legacy = RunTool("export " + kData + "/storage/legacy_rich.dat --csv", scratch);
    EXPECT_EQ(legacy.Status, 0) << legacy.Err;
    EXPECT_EQ(legacy.Out, run.Out);
}

TEST_F(DataToolTest, BadFilesFailWithAMessageAndAreLeftAlone)
{
    const std::string damaged = CurrentImage(RichModel()).substr(0, 200);
    const std::string path = scratch.File("timers.dat");
    WriteFile(path, damaged);
    const auto before = fs::last_write_time(path);

    for (const std::string command : {"dump ", "export --csv "}) {
        const ToolRun run = RunTool(command + path, scratch);
        EXPECT_EQ(run.Status, 1);
        EXPECT_TRUE(run.Out.empty());
        EXPECT_THAT(run.Err, HasSubstr("not a readable data file"));
        EXPECT_THAT(run.Err, HasSubstr("timer 0, background period count: 2 at offset 187 claims more than"));
    }
    EXPECT_EQ(ReadFile(path), damaged);
    EXPECT_EQ(fs::last_write_time(path), before);
    // Only the file and the captured error output are in the folder: no copy.
    EXPECT_EQ(std::distance(fs::directory_iterator(scratch.Path()), fs::directory_iterator()), 2);

    EXPECT_EQ(RunTool("dump " + scratch.File("missing.dat"), scratch).Status, 1);
    EXPECT_EQ(RunTool("dump " + scratch.Path().string(), scratch).Status, 1);
    EXPECT_EQ(RunTool("export " + path, scratch).Status, 2);
    EXPECT_EQ(RunTool("", scratch).Status, 2);
}

// Three timers over three days: a period across midnight, a second project
// with a comma in its name, a timer of no project, and a day that only
// records of no length touch.
TimeModel ReportModel()
{
    TimeModel model;
    TMyTimer& editor = model.Timers.Create();
    editor.Name = "Editor";
    editor.ProjectId = 1;
    editor.ActivePeriods.Add(EncodeDateTime(2024, 3, 1, 23, 30, 0), EncodeDateTime(2024, 3, 2, 0, 30, 0));
    editor.ActivePeriods.Add(EncodeDateTime(2024, 3, 2, 9, 0, 0), EncodeDateTime(2024, 3, 2, 9, 10, 0, 250));
    editor.BackgroundPeriods.Add(EncodeDateTime(2024, 3, 2, 10, 0, 0), EncodeDateTime(2024, 3, 2, 10, 0, 1, 500));
    editor.ActivePeriods.Add(EncodeDateTime(2024, 3, 4, 8, 0, 0), EncodeDateTime(2024, 3, 4, 8, 0, 0));

    TMyTimer& notes = model.Timers.Create();
    notes.Name = "Notes, \"draft\"";
    notes.ProjectId = 2;
    notes.ActivePeriods.Add(EncodeDateTime(2024, 3, 2, 8, 0, 0), EncodeDateTime(2024, 3, 2, 8, 30, 0));

    TMyTimer& idle = model.Timers.Create();
    idle.Name = "Idle";
    idle.ProjectId = 9; // names no project
    idle.BackgroundPeriods.Add(EncodeDateTime(2024, 3, 3, 12, 0, 0), EncodeDateTime(2024, 3, 3, 13, 0, 0));

    TTimeProject& alpha = model.Projects.Create();
    alpha.Id = 1;
    alpha.Name = "Alpha";
    TTimeProject& beta = model.Projects.Create();
    beta.Id = 2;
    beta.Name = "Beta, Gamma";
    return model;
}

class DataToolReportTest : public DataToolTest
{
protected:
    std::string file = scratch.File("timers.dat");

    DataToolReportTest() { WriteFile(file, CurrentImage(ReportModel())); }

    ToolRun Report(const std::string& options) { return RunTool("report " + file + " " + options, scratch); }
};

TEST_F(DataToolReportTest, CountsEachPeriodOnTheDayItStarted)
{
    const ToolRun csv = Report("--csv");
    ASSERT_EQ(csv.Status, 0) << csv.Err;
    // 03-01 holds the hour across midnight; 03-04 only a record of no length.
    EXPECT_EQ(csv.Out,
              "date,timer,project,active_seconds,background_seconds\r\n"
              "2024-03-01,Editor,Alpha,3600.000,0.000\r\n"
              "2024-03-02,Editor,Alpha,600.250,1.500\r\n"
              "2024-03-02,\"Notes, \"\"draft\"\"\",\"Beta, Gamma\",1800.000,0.000\r\n"
              "2024-03-03,Idle,,0.000,3600.000\r\n");

    const ToolRun text = Report("");
    ASSERT_EQ(text.Status, 0) << text.Err;
    EXPECT_EQ(text.Out,
              "Date        Timer            Active  Background\n"
              "2024-03-01  Editor          1:00:00     0:00:00\n"
              "2024-03-02  Editor          0:10:00     0:00:01\n"
              "            Notes, \"draft\"  0:30:00     0:00:00\n"
              "2024-03-03  Idle            0:00:00     1:00:00\n");
}

TEST_F(DataToolReportTest, DaysAndProjectNarrowTheRows)
{
    struct Case
    {
        std::string Options;
        std::vector<std::string> Rows; // the CSV rows' date and timer
    };
    const Case cases[] = {
        {"--from 2024-03-02 --to 2024-03-02", {"2024-03-02,Editor", "2024-03-02,\"Notes"}},
        {"--from=2024-03-02 --to=2024-03-02", {"2024-03-02,Editor", "2024-03-02,\"Notes"}},
        {"--from 2024-03-03", {"2024-03-03,Idle"}},
        {"--to 2024-03-01", {"2024-03-01,Editor"}},
        {"--from 2024-03-05", {}},
        {"--project Alpha", {"2024-03-01,Editor", "2024-03-02,Editor"}},
        {"--project 'Beta, Gamma' --to 2024-03-02", {"2024-03-02,\"Notes"}},
        {"--project Alpha --from 2024-03-03", {}},
    };
    for (const Case& c : cases) {
        const ToolRun run = Report(c.Options + " --csv");
        ASSERT_EQ(run.Status, 0) << c.Options << ": " << run.Err;
        std::istringstream lines(run.Out);
        std::string line;
        std::getline(lines, line);
        std::vector<std::string> rows;
        while (std::getline(lines, line)) {
            rows.push_back(line.substr(0, line.find(',', 11)));
        }
        EXPECT_EQ(rows, c.Rows) << c.Options;
    }

    // The text form adds the project's total of each day.
    const ToolRun text = Report("--project Alpha --from 2024-03-02");
    ASSERT_EQ(text.Status, 0) << text.Err;
    EXPECT_EQ(text.Out,
              "Date        Timer            Active  Background\n"
              "2024-03-02  Editor          0:10:00     0:00:01\n"
              "            Total of Alpha  0:10:00     0:00:01\n");
}

TEST_F(DataToolReportTest, ADaylightSavingDayHasTheHoursItHad)
{
    // Work around the clock on the days the clocks change: the tracking
    // closes its periods at a step, so the 23 and 25 hours come as two
    // periods each, in local wall-clock time.
    TimeModel model;
    TMyTimer& timer = model.Timers.Create();
    timer.Name = "Shift";
    timer.ActivePeriods.Add(EncodeDateTime(2024, 3, 30, 0, 0, 0), EncodeDateTime(2024, 3, 31, 0, 0, 0));
    timer.ActivePeriods.Add(EncodeDateTime(2024, 3, 31, 0, 0, 0), EncodeDateTime(2024, 3, 31, 2, 0, 0));
    timer.ActivePeriods.Add(EncodeDateTime(2024, 3, 31, 3, 0, 0), EncodeDateTime(2024, 4, 1, 0, 0, 0));
    timer.ActivePeriods.Add(EncodeDateTime(2024, 10, 27, 0, 0, 0), EncodeDateTime(2024, 10, 27, 3, 0, 0));
    timer.ActivePeriods.Add(EncodeDateTime(2024, 10, 27, 2, 0, 0), EncodeDateTime(2024, 10, 28, 0, 0, 0));
    WriteFile(file, CurrentImage(model));

    const ToolRun run = RunTool("report " + file + " --from 2024-03-30", scratch);
    // The tool runs under the zone whose clocks change on those days.
    const ToolRun berlin = RunTool("report " + file + " --from 2024-03-30 --csv", scratch, "TZ=Europe/Berlin");
    ASSERT_EQ(berlin.Status, 0) << berlin.Err;
    EXPECT_EQ(berlin.Out,
              "date,timer,project,active_seconds,background_seconds\r\n"
              "2024-03-30,Shift,,86400.000,0.000\r\n"
              "2024-03-31,Shift,,82800.000,0.000\r\n"
              "2024-10-27,Shift,,90000.000,0.000\r\n");
    const ToolRun text = RunTool("report " + file + " --from 2024-03-30", scratch, "TZ=Europe/Berlin");
    EXPECT_THAT(text.Out, HasSubstr("2024-03-31  Shift  23:00:00"));
    EXPECT_THAT(text.Out, HasSubstr("2024-10-27  Shift  25:00:00"));
    EXPECT_EQ(text.Out, run.Out) << "the zone changes nothing";
}

TEST_F(DataToolReportTest, WrongArgumentsAndFilesFailWithAMessage)
{
    struct Case
    {
        std::string Args;
        int Status;
        std::string Message;
    };
    const std::string damaged = scratch.File("damaged.dat");
    WriteFile(damaged, CurrentImage(RichModel()).substr(0, 200));
    const Case cases[] = {
        {"report " + file + " --from 2026-02-30", 2, "--from 2026-02-30: not a date"},
        {"report " + file + " --to 2023-02-29", 2, "--to 2023-02-29: not a date"},
        {"report " + file + " --from 2024-13-01", 2, "not a date"},
        {"report " + file + " --from 2024-3-1", 2, "not a date"},
        {"report " + file + " --from 2024-03-01x", 2, "not a date"},
        {"report " + file + " --from 2024-03-02 --to 2024-03-01", 2, "--from 2024-03-02 is after --to 2024-03-01"},
        {"report " + file + " --from", 2, "--from needs a value"},
        {"report " + file + " --to 2024-03-01 --to 2024-03-02", 2, "--to given twice"},
        {"report " + file + " --project Delta", 2, "no project named \"Delta\""},
        {"report " + file + " --project alpha", 2, "no project named \"alpha\""},
        {"report " + file + " --bogus", 2, "unknown option: --bogus"},
        {"dump " + file + " --from 2024-03-01", 2, "usage:"},
        {"frobnicate " + file, 2, "usage:"},
        {"report", 2, "usage:"},
        {"report " + damaged, 1, "timer 0, background period count: 2 at offset 187 claims more than"},
        {"report " + damaged + " --project Alpha", 1, "not a readable data file"},
        {"report " + scratch.File("missing.dat"), 1, "no such file"},
    };
    for (const Case& c : cases) {
        const ToolRun run = RunTool(c.Args, scratch);
        EXPECT_EQ(run.Status, c.Status) << c.Args;
        EXPECT_TRUE(run.Out.empty()) << c.Args;
        EXPECT_THAT(run.Err, HasSubstr(c.Message)) << c.Args;
    }
    EXPECT_EQ(datatool::ParseIsoDay("2024-02-29"), DayOf(EncodeDate(2024, 2, 29)));
    EXPECT_EQ(datatool::ParseIsoDay("2000-02-29"), DayOf(EncodeDate(2000, 2, 29)));
    EXPECT_EQ(datatool::ParseIsoDay("1900-02-29"), std::nullopt);
    EXPECT_EQ(datatool::ParseIsoDay("0000-01-01"), std::nullopt);
    EXPECT_EQ(datatool::ParseIsoDay("2024-04-31"), std::nullopt);
    EXPECT_EQ(datatool::ParseIsoDay("+024-04-01"), std::nullopt);
}

// Two computers in a shared folder: the same timer summed, the stretch that
// ran on both at once counted once (for the first computer), the sync
// tool's conflict copy and a half-synced file left out.
TEST_F(DataToolReportTest, FolderSumsTheComputers)
{
    const fs::path share = scratch.Path() / "share";
    fs::create_directory(share);
    WriteFile((share / "desk-1a2b.dat").string(), CurrentImage(ReportModel()));
    TimeModel lap;
    TMyTimer& editor = lap.Timers.Create();
    editor.Name = "Editor";
    editor.ActivePeriods.Add(EncodeDateTime(2024, 3, 2, 9, 5, 0), EncodeDateTime(2024, 3, 2, 9, 35, 0));
    const std::string lapImage = CurrentImage(lap);
    WriteFile((share / "lap-9f.dat").string(), lapImage);
    WriteFile((share / "lap-9f.sync-conflict-20240302-101010-ABCDEFG.dat").string(), CurrentImage(ReportModel()));
    WriteFile((share / "half-3.dat").string(), lapImage.substr(0, lapImage.size() - 3));

    const ToolRun csv
        = RunTool("report --folder " + share.string() + " --from 2024-03-02 --to 2024-03-02 --csv", scratch);
    ASSERT_EQ(csv.Status, 0) << csv.Err;
    EXPECT_THAT(csv.Err, HasSubstr("half-3.dat"));
    EXPECT_EQ(csv.Out,
              "date,timer,project,computer,active_seconds,background_seconds\r\n"
              "2024-03-02,Editor,Alpha,desk,600.250,1.500\r\n"
              "2024-03-02,Editor,,lap,1499.750,0.000\r\n"
              "2024-03-02,\"Notes, \"\"draft\"\"\",\"Beta, Gamma\",desk,1800.000,0.000\r\n");

    const ToolRun text = RunTool("report " + (share / "desk-1a2b.dat").string() + " " + (share / "lap-9f.dat").string()
                                     + " --from 2024-03-02 --to 2024-03-02 --project Alpha",
                                 scratch);
    ASSERT_EQ(text.Status, 0) << text.Err;
    EXPECT_EQ(text.Out,
              "Date        Timer            Active  Background\n"
              "2024-03-02  Editor          0:10:00     0:00:01\n"
              "            Total of Alpha  0:10:00     0:00:01\n"
              "\n"
              "Computer     Time  Share\n"
              "desk      0:10:01   100%\n"
              "lap       0:00:00     0%\n")
        << "the laptop's Editor is in no project";
}

TEST_F(DataToolReportTest, HelpAndVersionGoToStandardOutput)
{
    const ToolRun help = RunTool("--help", scratch);
    EXPECT_EQ(help.Status, 0);
    EXPECT_THAT(help.Out, StartsWith("usage: tallyhour-data dump FILE\n"));
    EXPECT_THAT(help.Out, HasSubstr("report FILE [--from YYYY-MM-DD]"));
    EXPECT_TRUE(help.Err.empty());
    EXPECT_EQ(RunTool("report " + file + " -h", scratch).Out, help.Out);

    const ToolRun version = RunTool("--version", scratch);
    EXPECT_EQ(version.Status, 0);
    EXPECT_EQ(version.Out, "tallyhour-data " + std::string(kProgramVersion) + "\n");

    const ToolRun unknown = RunTool("--verbose", scratch);
    EXPECT_EQ(unknown.Status, 2);
    EXPECT_TRUE(unknown.Out.empty());
    EXPECT_THAT(unknown.Err, HasSubstr(help.Out));
}

// The histogram and the text page take each day's figure from TimeInRange;
// the report must give the same figure for every timer and day.
TEST_F(DataToolTest, ReportAgreesWithTheStatisticsDayFigures)
{
    const std::string path = kData + "/storage/current_rich.dat";
    const ToolRun run = RunTool("report " + path + " --csv", scratch);
    ASSERT_EQ(run.Status, 0) << run.Err;
    const datatool::DataFileContent content = datatool::ReadDataFileContent(path);

    std::map<std::pair<std::string, std::string>, std::pair<std::string, std::string>> reported;
    std::istringstream lines(run.Out);
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line, '\n')) {
        // Only the simple names of the fixture are looked at by field.
        std::vector<std::string> fields;
        std::istringstream row(line.substr(0, line.size() - 1));
        for (std::string field; std::getline(row, field, ',');) {
            fields.push_back(field);
        }
        if (fields.size() == 5) {
            reported[{fields[0], fields[1]}] = {fields[3], fields[4]};
        }
    }
    ASSERT_GE(reported.size(), 4U);
    const TDateTime now = EncodeDate(2030, 1, 1);
    for (const TMyTimer& timer : content.Model.Timers) {
        if (timer.Name != "Editor") {
            continue;
        }
        std::set<std::int64_t> days;
        for (const PeriodList* list : {&timer.ActivePeriods, &timer.BackgroundPeriods}) {
            for (const TWorkPeriod& period : *list) {
                for (std::int64_t d = DayOf(period.Start) - 1; d <= DayOf(period.Start) + 1; ++d) {
                    days.insert(d);
                }
            }
        }
        for (const std::int64_t d : days) {
            const auto day = static_cast<TDateTime>(d);
            const TDateTime active = timer.TimeInRange(PeriodKind::Active, day, day, now);
            const TDateTime background = timer.TimeInRange(PeriodKind::Background, day, day, now);
            const auto found = reported.find({*IsoDay(d), timer.Name});
            if (active == 0.0 && background == 0.0) {
                EXPECT_EQ(found, reported.end()) << *IsoDay(d);
                continue;
            }
            ASSERT_NE(found, reported.end()) << *IsoDay(d);
            EXPECT_EQ(found->second.first, DurationSecondsText(active)) << *IsoDay(d);
            EXPECT_EQ(found->second.second, DurationSecondsText(background)) << *IsoDay(d);
        }
    }
}

TEST(DataToolText, QuotingMoneyAndInstantsAtTheirEdges)
{
    EXPECT_EQ(datatool::CsvField("plain text"), "plain text");
    EXPECT_EQ(datatool::CsvField("say \"hi\", then"), "\"say \"\"hi\"\", then\"");
    EXPECT_EQ(datatool::CsvField(" padded"), "\" padded\"");
    EXPECT_EQ(datatool::MoneyText(Money {1}), "0.0001");
    EXPECT_EQ(datatool::MoneyText(Money {std::numeric_limits<std::int64_t>::min()}), "-922337203685477.5808");

    EXPECT_EQ(datatool::IsoLocalTime(0.0), "1899-12-30T00:00:00.000");
    EXPECT_EQ(datatool::IsoLocalTime(EncodeDateTime(2024, 12, 31, 23, 59, 59, 999) + 0.4 / kMsPerDay),
              "2024-12-31T23:59:59.999");
    EXPECT_EQ(datatool::IsoLocalTime(EncodeDateTime(2024, 12, 31, 23, 59, 59, 999) + 0.6 / kMsPerDay),
              "2025-01-01T00:00:00.000");
    // Before 1899-12-30 the fraction still counts the time of day forward.
    EXPECT_EQ(datatool::IsoLocalTime(-1.25), "1899-12-29T06:00:00.000");
    EXPECT_EQ(datatool::IsoLocalTime(-1.0 - 0.9999999999), "1899-12-30T00:00:00.000");
    EXPECT_EQ(datatool::IsoLocalTime(-0.9999999999), "1899-12-31T00:00:00.000");
    EXPECT_EQ(datatool::IsoLocalTime(1e300), std::nullopt);
    EXPECT_EQ(datatool::IsoLocalTime(std::numeric_limits<double>::quiet_NaN()), std::nullopt);
    EXPECT_EQ(datatool::IsoLocalTime(-1e9), std::nullopt);
}

} // namespace
} // namespace tally::test

#endif
