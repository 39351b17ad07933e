#include "storage_fixture.h"

#include <gmock/gmock.h>

#include <filesystem>

namespace tally::test {
namespace {

namespace fs = std::filesystem;

// The first count timers of the rich model (and its projects when asked).
TimeModel RichPrefix(std::size_t timerCount, std::size_t projectCount)
{
    TimeModel model = RichModel();
    while (model.Timers.Count() > timerCount) {
        model.Timers.DeleteAt(model.Timers.Count() - 1);
    }
    while (model.Projects.Count() > projectCount) {
        model.Projects.Delete(&model.Projects[model.Projects.Count() - 1]);
    }
    return model;
}

// Offsets at which each timer record and each project record end.
struct Boundaries
{
    std::vector<std::size_t> TimerEnds;
    std::vector<std::size_t> ProjectEnds;
    std::size_t ProjectCountEnd = 0;

    std::size_t CompleteTimers(std::size_t cut) const
    {
        return static_cast<std::size_t>(
            std::count_if(TimerEnds.begin(), TimerEnds.end(), [&](auto e) { return e <= cut; }));
    }
    std::size_t CompleteProjects(std::size_t cut) const
    {
        return static_cast<std::size_t>(
            std::count_if(ProjectEnds.begin(), ProjectEnds.end(), [&](auto e) { return e <= cut; }));
    }
};

Boundaries CurrentBoundaries()
{
    const TimeModel rich = RichModel();
    Boundaries b;
    for (std::size_t k = 1; k <= rich.Timers.Count(); ++k) {
        b.TimerEnds.push_back(CurrentImage(RichPrefix(k, 0)).size() - 4);
    }
    b.ProjectCountEnd = b.TimerEnds.back() + 4;
    for (std::size_t k = 1; k <= rich.Projects.Count(); ++k) {
        b.ProjectEnds.push_back(CurrentImage(RichPrefix(rich.Timers.Count(), k)).size());
    }
    return b;
}

Boundaries LegacyBoundaries(const LegacyMarkers& markers)
{
    const TimeModel rich = RichModel();
    LegacyMarkers timersOnly = markers;
    timersOnly.NotLoadProjects = true;
    Boundaries b;
    for (std::size_t k = 1; k <= rich.Timers.Count(); ++k) {
        b.TimerEnds.push_back(LegacyImage(RichPrefix(k, 0), timersOnly).size());
    }
    b.ProjectCountEnd = markers.NotLoadProjects ? 0 : b.TimerEnds.back() + 4;
    if (!markers.NotLoadProjects) {
        for (std::size_t k = 1; k <= rich.Projects.Count(); ++k) {
            b.ProjectEnds.push_back(LegacyImage(RichPrefix(rich.Timers.Count(), k), markers).size());
        }
    }
    return b;
}

class DamageTest : public StorageTest
{
protected:
    DamageTest() { log.SetLogDetail(0); }

    // Loads bytes into a fresh model; each load gets its own second so the
    // copies do not collide.
    LoadResult LoadBytes(const std::string& bytes)
    {
        clock.AdvanceSeconds(1);
        model = TimeModel();
        ClearLog();
        WriteFile(dataPath, bytes);
        return data.Load(dataPath);
    }
};

TEST_F(DamageTest, CurrentFileCutAnywhereKeepsEveryCompleteItem)
{
    const TimeModel rich = RichModel();
    const std::string full = CurrentImage(rich);
    const Boundaries bounds = CurrentBoundaries();
    for (std::size_t cut = 0; cut < full.size(); ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        const std::string bytes = full.substr(0, cut);
        const LoadResult result = LoadBytes(bytes);
        ASSERT_EQ(result.State, LoadResult::Status::Invalid);
        ASSERT_FALSE(result.Error.empty());
        EXPECT_EQ(LogLines().back(), "Invalid data file");
        ASSERT_FALSE(result.InvalidCopyPath.empty()) << result.CopyError;
        EXPECT_EQ(ReadFile(result.InvalidCopyPath), bytes);
        fs::remove(result.InvalidCopyPath);
        if (cut < 40) {
            // Too short for the header: read as an older file, which fails.
            EXPECT_EQ(result.Format, DataFormat::Legacy);
            continue;
        }
        EXPECT_EQ(result.Format, DataFormat::Current);
        const std::size_t timers = bounds.CompleteTimers(cut);
        ASSERT_EQ(model.Timers.Count(), timers);
        for (std::size_t i = 0; i < timers; ++i) {
            ExpectSameTimer(model.Timers[i], rich.Timers[i]);
        }
        const std::size_t projects = bounds.CompleteProjects(cut);
        ASSERT_EQ(model.Projects.Count(), projects);
        for (std::size_t i = 0; i < projects; ++i) {
            ExpectSameProject(model.Projects[i], rich.Projects[i]);
        }
    }
}

TEST_F(DamageTest, OlderFileCutAnywhereKeepsWhatWasBegun)
{
    for (const LegacyMarkers& markers :
         {LegacyMarkers {}, LegacyMarkers {true, true, false}, LegacyMarkers {true, true, true}}) {
        SCOPED_TRACE(MarkerText(markers));
        PlaceMarkers(markers);
        const TimeModel expected = LegacyExpectation(markers);
        const std::string full = LegacyImage(RichModel(), markers);
        const Boundaries bounds = LegacyBoundaries(markers);
        for (std::size_t cut = 0; cut < full.size(); ++cut) {
            SCOPED_TRACE("cut at " + std::to_string(cut));
            const LoadResult result = LoadBytes(full.substr(0, cut));
            ASSERT_EQ(result.State, LoadResult::Status::Invalid);
            EXPECT_EQ(result.Format, DataFormat::Legacy);
            EXPECT_EQ(LogLines().back(), "Invalid data file");
            ASSERT_FALSE(result.InvalidCopyPath.empty()) << result.CopyError;
            fs::remove(result.InvalidCopyPath);

            // Complete timers, plus the one being read once the count is in.
            const std::size_t complete = bounds.CompleteTimers(cut);
            const bool begun = cut >= 4 && complete < expected.Timers.Count();
            ASSERT_EQ(model.Timers.Count(), complete + (begun ? 1 : 0));
            for (std::size_t i = 0; i < complete; ++i) {
                ExpectSameTimer(model.Timers[i], expected.Timers[i]);
            }
            const std::size_t projects = bounds.CompleteProjects(cut);
            const bool projectBegun
                = !markers.NotLoadProjects && cut >= bounds.ProjectCountEnd && projects < expected.Projects.Count();
            ASSERT_EQ(model.Projects.Count(), projects + (projectBegun ? 1 : 0));
            for (std::size_t i = 0; i < projects; ++i) {
                ExpectSameProject(model.Projects[i], expected.Projects[i]);
            }
        }
    }
}

TEST_F(DamageTest, LengthsOutsideTheBufferAreInvalidInBothLayouts)
{
    const std::string header = ByteWriter().Text("Tallyhour Zide timers data file v1.1").Bytes();
    const std::string padding(70000, 'x');
    for (const std::int64_t length : {65557LL, -1LL, 2147483647LL, -2147483648LL}) {
        SCOPED_TRACE(length);
        // Version text, a timer name, a project description.
        EXPECT_EQ(LoadBytes(header + ByteWriter().Int(length).Bytes() + padding).State, LoadResult::Status::Invalid);
        EXPECT_EQ(LoadBytes(header + ByteWriter().Text("v").Int(1).Int(length).Bytes() + padding).State,
                  LoadResult::Status::Invalid);
        EXPECT_TRUE(model.Timers.Empty());
        EXPECT_EQ(
            LoadBytes(header + ByteWriter().Text("v").Int(0).Int(1).Text("p").Int(length).Bytes() + padding).State,
            LoadResult::Status::Invalid);
        EXPECT_TRUE(model.Projects.Empty());

        EXPECT_EQ(LoadBytes(ByteWriter().IntBE(1).IntBE(length).Bytes() + padding).State, LoadResult::Status::Invalid);
    }
}

TEST_F(DamageTest, HugeCountsAreRefusedBeforeAnythingIsMadeForThem)
{
    const std::string header = ByteWriter().Text("Tallyhour Zide timers data file v1.1").Text("v").Bytes();
    EXPECT_EQ(LoadBytes(header + ByteWriter().Int(2147483647).Bytes()).State, LoadResult::Status::Invalid);
    // One timer announcing two billion identifiers, then two billion periods.
    ByteWriter ids;
    ids.Int(1).Text("t").Int(2147483647).Text("a").Text("b");
    const LoadResult idsResult = LoadBytes(header + ids.Bytes());
    EXPECT_EQ(idsResult.State, LoadResult::Status::Invalid);
    EXPECT_THAT(idsResult.Error, ::testing::HasSubstr("identifier count: 2147483647 at offset 54 claims more than"));
    ByteWriter periods;
    periods.Int(1).Text("t").Int(0).Byte(1).Int(0).Int(0).Double(0).Double(0).Double(0).Int(0).Int(0);
    periods.Int(2147483647).Double(1).Double(2);
    EXPECT_EQ(LoadBytes(header + periods.Bytes()).State, LoadResult::Status::Invalid);
    EXPECT_TRUE(model.Timers.Empty());
    // Negative counts mean none.
    EXPECT_EQ(LoadBytes(header + ByteWriter().Int(-5).Int(-1).Bytes()).State, LoadResult::Status::Loaded);
}

TEST_F(DamageTest, InvalidFileIsCopiedAsideBeforeTheNextSave)
{
    const std::string damaged = CurrentImage(RichModel()).substr(0, 300);
    WriteFile(dataPath, damaged);
    const LoadResult first = data.Load(dataPath);
    ASSERT_EQ(first.State, LoadResult::Status::Invalid);
    EXPECT_EQ(first.InvalidCopyPath, dataPath + ".invalid-20240305-140327");
    EXPECT_THAT(first.Error, ::testing::HasSubstr("timers.dat"));

    // A second failure within the same second does not overwrite the first copy.
    const LoadResult second = data.Load(dataPath);
    EXPECT_EQ(second.InvalidCopyPath, dataPath + ".invalid-20240305-140327-2");

    data.SafeSave();
    EXPECT_EQ(ReadFile(first.InvalidCopyPath), damaged);
    EXPECT_EQ(ReadFile(dataPath), CurrentImage(model));
}

TEST_F(DamageTest, CopyThatCannotBeMadeIsReported)
{
    WriteFile(dataPath, "short");
    const std::string base = InvalidCopyName(dataPath, clock.Now());
    fs::create_directory(base);
    for (int i = 2; i <= 100; ++i) {
        fs::create_directory(base + "-" + std::to_string(i));
    }
    const LoadResult result = data.Load(dataPath);
    EXPECT_EQ(result.State, LoadResult::Status::Invalid);
    EXPECT_TRUE(result.InvalidCopyPath.empty());
    EXPECT_FALSE(result.CopyError.empty());
}

TEST(InvalidCopyName, CarriesRoundedSecondsIntoTheDate)
{
    EXPECT_EQ(InvalidCopyName("d", EncodeDateTime(2024, 12, 31, 23, 59, 59, 600)), "d.invalid-20250101-000000");
    EXPECT_EQ(InvalidCopyName("d", EncodeDateTime(2024, 2, 29, 7, 8, 9, 400)), "d.invalid-20240229-070809");
}

} // namespace
} // namespace tally::test
