#include "platform/system/posix_file_system.h"
#include "storage_fixture.h"

#include "storage/storage_error.h"

#include <gmock/gmock.h>

namespace tally::test {
namespace {

using ::testing::ElementsAre;

class LegacyImportTest : public StorageTest
{
protected:
    // One timer record with the given enabled text, type and scope, in the
    // layout without markers, and no projects.
    static std::string OneTimer(std::string_view enabled, std::int64_t type, std::int64_t scope)
    {
        ByteWriter out;
        out.IntBE(1).TextBE("t").IntBE(0).TextBE(enabled).IntBE(type).IntBE(scope);
        out.SplitDoubleBE(0).SplitDoubleBE(0).SplitDoubleBE(0).IntBE(0).IntBE(0).IntBE(0).IntBE(0);
        out.IntBE(0);
        return out.Bytes();
    }

    const TMyTimer& LoadOne(const std::string& bytes)
    {
        WriteFile(dataPath, bytes);
        const LoadResult result = data.Load(dataPath);
        EXPECT_EQ(result.State, LoadResult::Status::Loaded) << result.Error;
        EXPECT_EQ(model.Timers.Count(), 1U);
        return model.Timers[0];
    }
};

TEST_F(LegacyImportTest, EveryMarkerCombinationReadsItsLayout)
{
    for (const LegacyMarkers& markers : AllMarkerCombinations()) {
        SCOPED_TRACE(MarkerText(markers));
        PlaceMarkers(markers);
        WriteFile(dataPath, LegacyImage(RichModel(), markers));
        model = TimeModel();
        const LoadResult result = data.Load(dataPath);
        EXPECT_EQ(result.State, LoadResult::Status::Loaded) << result.Error;
        EXPECT_EQ(result.Format, DataFormat::Legacy);
        EXPECT_EQ(result.Markers, markers);
        ExpectSameModel(model, LegacyExpectation(markers));
    }
}

TEST_F(LegacyImportTest, AWrongMarkerChoiceEndsAsInvalid)
{
    // Written with project ids but read as if there were none: the fields shift.
    WriteFile(dataPath, LegacyImage(RichModel(), {}));
    PlaceMarkers({.LoadATime = true});
    EXPECT_EQ(data.Load(dataPath).State, LoadResult::Status::Invalid);
}

TEST_F(LegacyImportTest, OnlyTheExactTextFalseIsOff)
{
    EXPECT_TRUE(LoadOne(OneTimer("True", 0, 0)).Enabled);
    EXPECT_FALSE(LoadOne(OneTimer("False", 0, 0)).Enabled);
    EXPECT_TRUE(LoadOne(OneTimer("false", 0, 0)).Enabled);
    EXPECT_TRUE(LoadOne(OneTimer("", 0, 0)).Enabled);
}

TEST_F(LegacyImportTest, UnknownTypeAndScopeLeaveManualAndMainOnly)
{
    const TMyTimer& odd = LoadOne(OneTimer("True", 9, 7));
    EXPECT_EQ(odd.TimerType, ttManual);
    EXPECT_EQ(odd.WindowScope, scMainOnly);
    const TMyTimer& negative = LoadOne(OneTimer("True", -1, 256 + 1));
    EXPECT_EQ(negative.TimerType, ttManual);
    EXPECT_EQ(negative.WindowScope, scMainOnly);
    const TMyTimer& last = LoadOne(OneTimer("True", 6, 2));
    EXPECT_EQ(last.TimerType, ttIdleTime);
    EXPECT_EQ(last.WindowScope, scWithHidden);
}

TEST_F(LegacyImportTest, MoneyPairsAreWholeUnitsAndHundredths)
{
    EXPECT_EQ(LegacyMoney(12, 34).Count, 123400);
    EXPECT_EQ(LegacyMoney(0, 5).Count, 500);
    EXPECT_EQ(LegacyMoney(-1, -50).Count, -15000);
    EXPECT_EQ(LegacyMoney(2147483647, 99).Count, 21474836479900);

    ByteWriter out;
    out.IntBE(0).IntBE(1).TextBE("p").TextBE("").SplitDoubleBE(1).SplitDoubleBE(2).SplitDoubleBE(3);
    out.IntBE(0).IntBE(4).IntBE(0).IntBE(5).IntBE(12).IntBE(34);
    WriteFile(dataPath, out.Bytes());
    data.Load(dataPath);
    ASSERT_EQ(model.Projects.Count(), 1U);
    EXPECT_EQ(model.Projects[0].ReservedAmount.Count, 500);
    EXPECT_EQ(model.Projects[0].TotalPrice.Count, 123400);
}

TEST_F(LegacyImportTest, DoublesAreSplitLowWordFirst)
{
    TimeModel source;
    source.Timers.Create().ActiveTime = 1.0;
    const std::string bytes = LegacyImage(source, {});
    // Count, name, id count, "False", type, scope: ActiveTime follows.
    const std::size_t at = 4 + 4 + 4 + 4 + 5 + 4 + 4;
    EXPECT_EQ(bytes.substr(at, 8), std::string("\0\0\0\0\x3F\xF0\0\0", 8));
    EXPECT_EQ(LoadOne(bytes).ActiveTime, 1.0);
}

TEST_F(LegacyImportTest, BytesAfterTheTimersAreIgnoredWithoutProjects)
{
    PlaceMarkers({.NotLoadProjects = true});
    WriteFile(dataPath, LegacyImage(RichModel(), {.NotLoadProjects = true}) + "junk after the last timer");
    EXPECT_EQ(data.Load(dataPath).State, LoadResult::Status::Loaded);
    EXPECT_EQ(model.Timers.Count(), 3U);
    EXPECT_TRUE(model.Projects.Empty());
}

TEST_F(LegacyImportTest, ImportLogsOnlyItsEntryAndTheFirstSaveWritesTheCurrentLayout)
{
    WriteFile(dataPath, LegacyImage(RichModel(), {}));
    data.Load(dataPath);
    EXPECT_THAT(LogLines(), ElementsAre("Load->", "Clear->", "LoadOld->", "Clear->"));

    data.SafeSave();
    EXPECT_EQ(ReadFile(dataPath), CurrentImage(RichModel()));
    TimeModel again;
    DataFile reader(again, log, clock, SystemFiles(), DataFilePaths::InDirectory(dir.Path()));
    const LoadResult result = reader.Load(dataPath);
    EXPECT_EQ(result.Format, DataFormat::Current);
    ExpectSameModel(again, RichModel());
}

TEST_F(LegacyImportTest, ZeroLengthFileImportsNothingAndIsInvalid)
{
    WriteFile(dataPath, "");
    const LoadResult result = data.Load(dataPath);
    EXPECT_EQ(result.State, LoadResult::Status::Invalid);
    EXPECT_EQ(result.Format, DataFormat::Legacy);
    EXPECT_TRUE(model.Timers.Empty());
    EXPECT_THAT(LogLines(), ElementsAre("Load->", "Clear->", "LoadOld->", "Clear->", "Invalid data file"));
}

TEST_F(LegacyImportTest, FileWithAnotherHeaderGoesToTheImport)
{
    // A newer header is not ours: read as an older file, which fails.
    std::string bytes = CurrentImage(RichModel());
    bytes[4 + 35] = '2';
    WriteFile(dataPath, bytes);
    const LoadResult result = data.Load(dataPath);
    EXPECT_EQ(result.Format, DataFormat::Legacy);
    EXPECT_EQ(result.State, LoadResult::Status::Invalid);
}

TEST_F(LegacyImportTest, LoadOldOnItsOwn)
{
    data.LoadOld(dataPath);
    EXPECT_THAT(LogLines(), ElementsAre("LoadOld->"));

    WriteFile(dataPath, std::string("\0\0\0\x01", 4));
    model.Timers.Create().Name = "gone";
    EXPECT_THROW(data.LoadOld(dataPath), DataFileError);
    // The timer begun is kept, with nothing read into it.
    ASSERT_EQ(model.Timers.Count(), 1U);
    EXPECT_EQ(model.Timers[0].Name, "");
}

} // namespace
} // namespace tally::test
