#ifdef TALLY_DATA_TOOL

#include "data_text.h"
#include "data_tool.h"
#include "storage_fixture.h"

#include <gmock/gmock.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <limits>

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

ToolRun RunTool(const std::string& args, const TempDir& scratch)
{
    const std::string errPath = scratch.File("stderr.txt");
    const std::string command = std::string(TALLY_DATA_TOOL) + " " + args + " 2>" + errPath;
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
    EXPECT_EQ(datatool::IsoLocalTime(1e300), std::nullopt);
    EXPECT_EQ(datatool::IsoLocalTime(std::numeric_limits<double>::quiet_NaN()), std::nullopt);
    EXPECT_EQ(datatool::IsoLocalTime(-1e9), std::nullopt);
}

} // namespace
} // namespace tally::test

#endif
