#include "runlog/log_files.h"
#include "runlog_fixture.h"

#include <algorithm>
#include <filesystem>

namespace tally::test {
namespace {

// A log of caption, empty line and `count` entries of 80 bytes each; entry
// ends vary (CR LF, LF, CR) as hand-edited files do.
std::string Entries(int count)
{
    std::string text = kCaption;
    for (int i = 0; i < count; ++i) {
        std::string line = "entry " + std::to_string(i);
        line.resize(78, '.');
        text += line + (i % 3 == 0 ? "\r\n" : i % 3 == 1 ? "\n" : "\r");
    }
    return text;
}

TEST_F(RunLogTest, ShiftDropsOldestEntriesAfterCaption)
{
    log.SetMaxSize(20);
    WriteFile(path, Entries(258)); // 20492 bytes: just past 20480
    log.WriteLine(0, "new");
    const auto lines = SplitLogLines(Content());
    ASSERT_EQ(lines.size(), 2U + 158U + 1U);
    EXPECT_EQ(lines[0], "Tallyhour Zide run log");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2].substr(0, 10), "entry 100.");
    EXPECT_EQ(lines.back(), "14:03:27 new");
    const std::string shifted = Content(); // written back with CR LF only
    EXPECT_EQ(std::count(shifted.begin(), shifted.end(), '\n'), static_cast<long>(lines.size()));
    EXPECT_EQ(std::count(shifted.begin(), shifted.end(), '\r'), static_cast<long>(lines.size()));
    EXPECT_FALSE(std::filesystem::exists(path + ".shift~"));

    // Below the limit nothing moves.
    log.WriteLine(0, "next");
    EXPECT_EQ(SplitLogLines(Content()).size(), lines.size() + 1);

    // A small file over the limit keeps just its first two lines.
    log.SetMaxSize(1);
    WriteFile(path, Entries(14));
    log.WriteLine(0, "alone");
    EXPECT_EQ(Content(), kCaption + "14:03:27 alone\r\n");
}

TEST_F(RunLogTest, DeleteStartsAFreshFile)
{
    log.SetOnMaxSizeAction(msaDeleteLog);
    WriteFile(path, Entries(14));
    log.WriteLine(0, "fresh");
    EXPECT_EQ(Content(), kCaption + "14:03:27 fresh\r\n");
}

TEST_F(RunLogTest, StartNewContinuesInNumberedFiles)
{
    log.SetOnMaxSizeAction(msaStartNewLog);
    const std::string full = Entries(14);
    WriteFile(path, full);
    WriteFile(dir.File("0001_log.txt"), full);
    log.WriteLine(0, "first");
    EXPECT_EQ(log.LogFileName(), dir.File("0000_log.txt"));
    EXPECT_EQ(Content(), full);
    EXPECT_EQ(ReadFile(log.LogFileName()), kCaption + "14:03:27 first\r\n");

    WriteFile(log.LogFileName(), full);
    log.WriteLine(0, "second");
    EXPECT_EQ(log.LogFileName(), dir.File("0002_log.txt"));
}

TEST(RunLogNextName, DigitsTruncationAndExhaustion)
{
    TempDir dir;
    EXPECT_EQ(NextLogFileName(dir.File("9999_log.txt"), 4), dir.File("0000_log.txt"));
    EXPECT_EQ(NextLogFileName(dir.File("log.txt"), 2), dir.File("00_log.txt"));
    // Only four digits and "_" mark a continued log, whatever the width.
    EXPECT_EQ(NextLogFileName(dir.File("00007_log.txt"), 5), dir.File("00000_00007_log.txt"));
    EXPECT_EQ(NextLogFileName(dir.File("00007_log.txt"), 4), dir.File("0000_00007_log.txt"));
    EXPECT_EQ(NextLogFileName(dir.File("0041_log.txt"), 5), dir.File("00042_log.txt"));
    EXPECT_EQ(NextLogFileName(dir.File("0041_log.txt"), 2), dir.File("42_log.txt"));
    EXPECT_EQ(NextLogFileName(dir.File("12x_log.txt"), 2), dir.File("00_12x_log.txt"));
    EXPECT_EQ(NextLogFileName(dir.File("99_log.txt"), 2), dir.File("00_99_log.txt"));

    for (int i = 0; i < 10; ++i) {
        WriteFile(dir.File(std::to_string(i) + "_log.txt"), "");
    }
    EXPECT_EQ(NextLogFileName(dir.File("0003_log.txt"), 1), std::nullopt);
}

TEST_F(RunLogTest, OnMaxSizeCanSkipTheAction)
{
    const std::string full = Entries(14);
    WriteFile(path, full);
    int calls = 0;
    bool skip = true;
    log.SetOnMaxSize([&](TBrisvaleLog& sender, bool& handled) {
        ++calls;
        sender.WriteLine(0, "limit reached"); // must not recurse
        handled = skip;
    });
    log.WriteLine(0, "kept");
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(Content(), full + "14:03:27 limit reached\r\n14:03:27 kept\r\n");

    skip = false;
    log.WriteLine(0, "shifted");
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(Content(), kCaption + "14:03:27 shifted\r\n");
}

} // namespace
} // namespace tally::test
