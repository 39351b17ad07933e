#include "platform/system/posix_file_system.h"
#include "storage_fixture.h"

#include "storage/storage_error.h"

#include <gmock/gmock.h>

namespace tally::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

using DataFileTest = StorageTest;

// Header (40), version text (13), timer count (4), then a first timer with an
// empty name (4) and no identifiers (4).
constexpr std::size_t kEnabledAt = 40 + 13 + 4 + 4 + 4;

TEST_F(DataFileTest, EmptyDataSetIsTheSixtyOneByteFile)
{
    data.Save(dataPath);
    const std::string expected = ByteWriter()
                                     .Int(36)
                                     .Raw("Tallyhour Zide timers data file v1.1")
                                     .Int(9)
                                     .Raw("1.1.0.363")
                                     .Int(0)
                                     .Int(0)
                                     .Bytes();
    ASSERT_EQ(expected.size(), 61U);
    EXPECT_EQ(ReadFile(dataPath), expected);

    model.Timers.Create();
    const LoadResult result = data.Load(dataPath);
    EXPECT_EQ(result.State, LoadResult::Status::Loaded);
    EXPECT_EQ(result.Format, DataFormat::Current);
    EXPECT_EQ(result.Version, "1.1.0.363");
    EXPECT_TRUE(model.Timers.Empty());
    EXPECT_TRUE(model.Projects.Empty());
}

TEST_F(DataFileTest, HandBuiltFileLoadsIntoExactlyTheExpectedObjects)
{
    const TimeModel expected = RichModel();
    WriteFile(dataPath, CurrentImage(expected));
    const LoadResult result = data.Load(dataPath);
    EXPECT_EQ(result.State, LoadResult::Status::Loaded) << result.Error;
    ExpectSameModel(model, expected);
}

TEST_F(DataFileTest, SavedBytesFollowTheLayoutAndLoadBack)
{
    model = RichModel();
    data.Save(dataPath);
    EXPECT_EQ(ReadFile(dataPath), CurrentImage(model));

    TimeModel loaded;
    DataFile other(loaded, log, clock, SystemFiles(), DataFilePaths::InDirectory(dir.Path()));
    other.Load(dataPath);
    ExpectSameModel(loaded, RichModel());
}

TEST_F(DataFileTest, TypeAndScopeAreWidenedAndNarrowedAndAnyEnabledByteIsOn)
{
    TimeModel source;
    TMyTimer& timer = source.Timers.Create();
    timer.TimerType = ttWorkTime;
    timer.WindowScope = scWithOwned;
    std::string bytes = CurrentImage(source);
    const std::size_t typeAt = kEnabledAt + 1;
    EXPECT_EQ(bytes.substr(typeAt, 8), std::string("\x05\0\0\0\x01\0\0\0", 8));
    // Only the low byte of each counts.
    bytes.replace(typeAt, 8, std::string("\x03\x01\0\0\x02\0\0\xFF", 8));
    bytes[kEnabledAt] = '\x02';
    WriteFile(dataPath, bytes);
    data.Load(dataPath);
    ASSERT_EQ(model.Timers.Count(), 1U);
    EXPECT_TRUE(model.Timers[0].Enabled);
    EXPECT_EQ(model.Timers[0].TimerType, ttTyping);
    EXPECT_EQ(model.Timers[0].WindowScope, scWithHidden);
}

TEST_F(DataFileTest, AnotherVersionLoadsTheSameAndIsLogged)
{
    WriteFile(dataPath, CurrentImage(RichModel(), "9.9 beta"));
    const LoadResult result = data.Load(dataPath);
    EXPECT_EQ(result.State, LoadResult::Status::Loaded);
    EXPECT_EQ(result.Version, "9.9 beta");
    ExpectSameModel(model, RichModel());
    EXPECT_THAT(LogLines(), ::testing::Contains("Data file version 9.9 beta"));
}

TEST_F(DataFileTest, BytesAfterTheLastProjectAreIgnored)
{
    WriteFile(dataPath, CurrentImage(RichModel()) + "trailing");
    EXPECT_EQ(data.Load(dataPath).State, LoadResult::Status::Loaded);
    ExpectSameModel(model, RichModel());
}

TEST_F(DataFileTest, MissingFileLeavesTheListsAlone)
{
    model.Timers.Create().Name = "kept";
    const LoadResult result = data.Load(dataPath);
    EXPECT_EQ(result.State, LoadResult::Status::NoFile);
    ASSERT_EQ(model.Timers.Count(), 1U);
    EXPECT_THAT(LogLines(), ElementsAre("Load->"));
}

TEST_F(DataFileTest, LoadWritesEveryStepAtItsLevel)
{
    WriteFile(dataPath, CurrentImage(RichModel()));
    data.Load(dataPath);
    const std::string n = "\xE2\x84\x96";
    EXPECT_THAT(LogLines(),
                ElementsAreArray(std::vector<std::string> {"Load->",
                                                           "Clear->",
                                                           "Data file version 1.1.0.363",
                                                           "TimerCount: 3",
                                                           "Load " + n + "0",
                                                           "IdentifierCount:3",
                                                           "Load id " + n + "0",
                                                           "Load id " + n + "1",
                                                           "Load id " + n + "2",
                                                           "WorkPeriodsCount2",
                                                           "Load wp " + n + "0",
                                                           "Load wp " + n + "1",
                                                           "Load " + n + "1",
                                                           "IdentifierCount:0",
                                                           "WorkPeriodsCount0",
                                                           "Load " + n + "2",
                                                           "IdentifierCount:2",
                                                           "Load id " + n + "0",
                                                           "Load id " + n + "1",
                                                           "WorkPeriodsCount1",
                                                           "Load wp " + n + "0",
                                                           "ProjectCount2",
                                                           "Load prj " + n + "0",
                                                           "Load prj " + n + "1"}));

    ClearLog();
    log.SetLogDetail(0);
    data.Load(dataPath);
    EXPECT_THAT(LogLines(), ElementsAre("Load->", "Clear->", "Data file version 1.1.0.363", "TimerCount: 3"));
}

TEST_F(DataFileTest, ClearTellsTheViewFirstAndKeepsProjects)
{
    model = RichModel();
    std::size_t timersSeenByView = 0;
    data.SetOnClear([&] { timersSeenByView = model.Timers.Count(); });
    data.Clear();
    EXPECT_EQ(timersSeenByView, 3U);
    EXPECT_TRUE(model.Timers.Empty());
    EXPECT_EQ(model.Projects.Count(), 2U);
    EXPECT_THAT(LogLines(), ElementsAre("Clear->"));
}

TEST_F(DataFileTest, SafeSaveWritesTheDataFileOnly)
{
    model = RichModel();
    data.SafeSave();
    EXPECT_EQ(ReadFile(dataPath), CurrentImage(model));
    EXPECT_FALSE(std::filesystem::exists(backupPath));
    EXPECT_FALSE(std::filesystem::exists(dataPath + ".tmp"));
    EXPECT_THAT(LogLines(), ElementsAre("SafeSave->", "Save->"));
}

TEST_F(DataFileTest, AutoSaveFollowsTheIntervalSetting)
{
    EXPECT_TRUE(data.SetAutoSave(5).Enabled);
    EXPECT_EQ(data.AutoSave().IntervalMs, 300000);
    EXPECT_FALSE(data.SetAutoSave(0).Enabled);
    EXPECT_FALSE(data.SetAutoSave(-3).Enabled);
    // A timer interval is an int of milliseconds.
    EXPECT_EQ(data.SetAutoSave(1000000).IntervalMs, 2147483647);

    ClearLog();
    model.Timers.Create().Name = "saved";
    data.TimAutoSaveTimer();
    EXPECT_EQ(ReadFile(dataPath), CurrentImage(model));
    EXPECT_THAT(LogLines(), ElementsAre("TimAutoSaveTimer->", "SafeSave->", "Save->"));
}

TEST_F(DataFileTest, OverlongTextIsCutSoTheFileStillLoads)
{
    // Cut at the longest length a file may hold, or before a character
    // that would end past it.
    model.Timers.Create().Name = std::string(70000, 'x');
    model.Timers.Create().Name = std::string(65555, 'x') + "\xE2\x84\x96";
    data.Save(dataPath);
    model.Timers.Clear();
    ASSERT_EQ(data.Load(dataPath).State, LoadResult::Status::Loaded);
    ASSERT_EQ(model.Timers.Count(), 2U);
    EXPECT_EQ(model.Timers[0].Name, std::string(65556, 'x'));
    EXPECT_EQ(model.Timers[1].Name, std::string(65555, 'x'));
}

} // namespace
} // namespace tally::test
