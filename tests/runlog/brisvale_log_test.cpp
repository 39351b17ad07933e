#include "runlog_fixture.h"

#include "model/version.h"

#include <filesystem>

namespace tally::test {
namespace {

TEST_F(RunLogTest, InactiveOrFilteredEntriesTouchNoFile)
{
    log.SetActive(false);
    log.SetLogDetail(9);
    log.WriteLine(0, "dropped");
    EXPECT_FALSE(std::filesystem::exists(path));

    log.SetActive(true);
    log.SetLogDetail(0);
    log.WriteLine(1, "dropped");
    EXPECT_FALSE(std::filesystem::exists(path));

    log.SetLogDetail(9);
    for (std::uint8_t level : {0, 1, 2, 3, 4, 9, 10}) {
        log.WriteLine(level, std::to_string(level));
    }
    EXPECT_EQ(Content(),
              kCaption + "14:03:27 0\r\n14:03:27 1\r\n14:03:27 2\r\n14:03:27 3\r\n14:03:27 4\r\n14:03:27 9\r\n");
}

TEST_F(RunLogTest, FirstEntryCreatesCaptionAndDeletedFileIsRecreated)
{
    log.WriteLine(0, "SafeSave->");
    log.WriteLine(0, "two\nlines");
    EXPECT_EQ(Content(), kCaption + "14:03:27 SafeSave->\r\n14:03:27 two\nlines\r\n");

    std::filesystem::remove(path);
    log.SetLogCaption("Own caption");
    log.WriteLine(0, "again");
    EXPECT_EQ(Content(), "Own caption\r\n\r\n14:03:27 again\r\n");
}

TEST_F(RunLogTest, StartupHeaderReadsAsSixLinesWithoutTime)
{
    log.WriteLine(0, StartupHeader(kProgramVersion, 3));
    const std::string dashes(27, '-');
    EXPECT_EQ(Content(),
              kCaption + "\r\n" + dashes + "\r\nNew session 03/05/24 \r\nProgram version [1.1.0.363]\r\n"
                  + "Log detail = 3\r\n" + dashes + "\r\n");
}

TEST_F(RunLogTest, TokensAndPrefixes)
{
    const std::string exec = dir.File("tallyhour");
    WriteFile(exec, "");
    log.WriteLine(0, "[%ver%]");
    log.SetExecFileName(dir.File("missing"));
    log.WriteLine(0, "[%ver%]");
    log.SetExecFileName(exec);
    log.WriteLine(0, "%date%|%time%|%ver%|%date%");
    log.WriteLine(0, "Timer %notime%%tick%");
    log.SetInsertDate(true);
    log.WriteLine(0, "both");
    log.WriteLine(0, "%notime%date only");
    log.SetInsertDate(false);
    log.SetInsertTime(false);
    log.WriteLine(0, "bare%notime%");
    EXPECT_EQ(Content(),
              kCaption + "14:03:27 []\r\n14:03:27 []\r\n14:03:27 03/05/24|14:03:27|1.1.0.363|03/05/24\r\n"
                  + "Timer 1000000\r\n14:03:27 03/05/24 both\r\n03/05/24 date only\r\nbare\r\n");

    log.SetVersionReader([](const std::string&) { return std::string("9.9"); });
    log.SetExecFileName(exec);
    EXPECT_EQ(log.VersionText(), "9.9");
}

TEST_F(RunLogTest, StopCountsElapsedTicksAcrossBit31AndWrap)
{
    log.SetInsertTime(false);
    const std::int64_t bit31 = std::int64_t {1} << 31;
    const std::int64_t wrap = std::int64_t {1} << 32;
    clock.SetTick(bit31 - 500);
    log.WriteLine(0, "a%start%");
    clock.SetTick(bit31 + 700);
    log.WriteLine(0, "%stop% ms");
    clock.SetTick(3 * wrap - 100);
    log.WriteLine(0, "%start%");
    clock.SetTick(3 * wrap + 250);
    log.WriteLine(0, "%stop% ms at %tick%");
    EXPECT_EQ(Content(), kCaption + "a\r\n1200 ms\r\n\r\n350 ms at 250\r\n");
    EXPECT_EQ(log.StartTick(), 4294967196U);
}

TEST(RunLogProperties, DefaultsAndIgnoredAssignments)
{
    FakeClock clock;
    TBrisvaleLog log(clock);
    EXPECT_FALSE(log.Active());
    EXPECT_TRUE(log.InsertTime());
    EXPECT_EQ(log.MaxSize(), 1);
    EXPECT_EQ(log.OnMaxSizeAction(), msaShiftLog);
    EXPECT_EQ(log.LogCaption(), "Tallyhour Zide run log");
    EXPECT_EQ(log.VersionText(), "");

    log.SetMaxSize(20);
    log.SetMaxSize(0);
    log.SetMaxSize(-5);
    log.SetShiftStringsCount(0);
    log.SetFilePrefixDigitsCount(6);
    log.SetFilePrefixDigitsCount(0);
    EXPECT_EQ(log.MaxSize(), 20);
    EXPECT_EQ(log.ShiftStringsCount(), 100);
    EXPECT_EQ(log.FilePrefixDigitsCount(), 4);
    log.SetFilePrefixDigitsCount(5);
    EXPECT_EQ(log.FilePrefixDigitsCount(), 5);
}

TEST_F(RunLogTest, FileErrorsRaiseOnlyWhenAsked)
{
    const std::string bad = dir.File("missing-folder") + "/log.txt";
    log.SetLogFileName(bad);
    EXPECT_NO_THROW(log.WriteLine(0, "lost"));

    log.SetRaiseFileError(true);
    try {
        log.WriteLine(0, "lost");
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find(bad), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()).find("No such file"), std::string::npos) << error.what();
    }
    log.SetLogDetail(0);
    EXPECT_NO_THROW(log.WriteLine(1, "filtered"));
}

} // namespace
} // namespace tally::test
