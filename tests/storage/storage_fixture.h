#pragma once

#include "byte_writer.h"
#include "model/datetime.h"
#include "model/time_model.h"
#include "platform/fake/fake_clock.h"
#include "platform/system/posix_file_system.h"
#include "runlog/brisvale_log.h"
#include "storage/data_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include <unistd.h>

namespace tally::test {

inline bool SameBits(double a, double b)
{
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

inline void ExpectSamePeriods(const PeriodList& actual, const PeriodList& expected, const std::string& what)
{
    ASSERT_EQ(actual.Count(), expected.Count()) << what;
    for (std::size_t i = 0; i < actual.Count(); ++i) {
        EXPECT_TRUE(SameBits(actual[i].Start, expected[i].Start)) << what << " " << i;
        EXPECT_TRUE(SameBits(actual[i].Stop, expected[i].Stop)) << what << " " << i;
    }
}

inline void ExpectSameTimer(const TMyTimer& actual, const TMyTimer& expected)
{
    const std::string what = "timer '" + expected.Name + "'";
    EXPECT_EQ(actual.Name, expected.Name);
    EXPECT_EQ(actual.Identifiers, expected.Identifiers) << what;
    EXPECT_EQ(actual.Enabled, expected.Enabled) << what;
    EXPECT_EQ(actual.TimerType, expected.TimerType) << what;
    EXPECT_EQ(actual.WindowScope, expected.WindowScope) << what;
    EXPECT_TRUE(SameBits(actual.ActiveTime, expected.ActiveTime)) << what;
    EXPECT_TRUE(SameBits(actual.BackgroundTime, expected.BackgroundTime)) << what;
    EXPECT_TRUE(SameBits(actual.CreationDate, expected.CreationDate)) << what;
    EXPECT_EQ(actual.Color, expected.Color) << what;
    EXPECT_EQ(actual.ProjectId, expected.ProjectId) << what;
    ExpectSamePeriods(actual.ActivePeriods, expected.ActivePeriods, what + " active");
    ExpectSamePeriods(actual.BackgroundPeriods, expected.BackgroundPeriods, what + " background");
    // Nothing open comes from a file.
    EXPECT_EQ(actual.ActiveStart, kNoPeriod) << what;
    EXPECT_EQ(actual.BackgroundStart, kNoPeriod) << what;
}

inline void ExpectSameProject(const TTimeProject& actual, const TTimeProject& expected)
{
    const std::string what = "project '" + expected.Name + "'";
    EXPECT_EQ(actual.Name, expected.Name);
    EXPECT_EQ(actual.Description, expected.Description) << what;
    EXPECT_TRUE(SameBits(actual.StartDate, expected.StartDate)) << what;
    EXPECT_TRUE(SameBits(actual.EndDate, expected.EndDate)) << what;
    EXPECT_TRUE(SameBits(actual.CreationDate, expected.CreationDate)) << what;
    EXPECT_EQ(actual.Color, expected.Color) << what;
    EXPECT_EQ(actual.Id, expected.Id) << what;
    EXPECT_EQ(actual.ReservedAmount.Count, expected.ReservedAmount.Count) << what;
    EXPECT_EQ(actual.TotalPrice.Count, expected.TotalPrice.Count) << what;
}

inline void ExpectSameModel(const TimeModel& actual, const TimeModel& expected)
{
    ASSERT_EQ(actual.Timers.Count(), expected.Timers.Count());
    for (std::size_t i = 0; i < actual.Timers.Count(); ++i) {
        ExpectSameTimer(actual.Timers[i], expected.Timers[i]);
    }
    ASSERT_EQ(actual.Projects.Count(), expected.Projects.Count());
    for (std::size_t i = 0; i < actual.Projects.Count(); ++i) {
        ExpectSameProject(actual.Projects[i], expected.Projects[i]);
    }
}

// Three timers and two projects that exercise every field: empty texts, line
// breaks, non-ASCII bytes, a system colour, negative ids, money 12.34.
inline TimeModel RichModel()
{
    TimeModel model;
    TMyTimer& editor = model.Timers.Create();
    editor.Name = "Editor";
    editor.Identifiers = {"code.exe", "", "vim"};
    editor.Enabled = true;
    editor.TimerType = ttApplication;
    editor.WindowScope = scWithHidden;
    editor.ActiveTime = 0.5;
    editor.BackgroundTime = 0.25;
    editor.CreationDate = EncodeDateTime(2024, 1, 2, 3, 4, 5, 678);
    editor.Color = kActiveCaptionColor;
    editor.ProjectId = 1;
    editor.ActivePeriods.Add(EncodeDateTime(2024, 3, 1, 9, 0, 0), EncodeDateTime(2024, 3, 1, 9, 30, 0, 125));
    editor.ActivePeriods.Add(EncodeDateTime(2024, 3, 2, 23, 59, 59, 999), EncodeDateTime(2024, 3, 3, 0, 10, 0));
    editor.ActivePeriods.Add(45000.123456789, 45000.987654321);
    editor.BackgroundPeriods.Add(EncodeDateTime(2024, 3, 1, 10, 0, 0), EncodeDateTime(2024, 3, 1, 10, 0, 1));
    editor.BackgroundPeriods.Add(-1.5, -1.25);

    TMyTimer& idle = model.Timers.Create();
    idle.Name = "";
    idle.TimerType = ttIdleTime;
    idle.WindowScope = scMainOnly;
    idle.ActiveTime = 1e-9;
    idle.CreationDate = EncodeDate(2023, 12, 31);
    idle.Color = 0x00123456;
    idle.ProjectId = -7;

    TMyTimer& caption = model.Timers.Create();
    caption.Name = "Line\r\nbreak \xC3\xBC \xE2\x84\x96";
    caption.Identifiers = {"Caption\nwith break", std::string("nul\0byte", 8)};
    caption.Enabled = true;
    caption.TimerType = ttCaption;
    caption.WindowScope = scWithOwned;
    caption.ActiveTime = 3.75;
    caption.BackgroundTime = 0.0;
    caption.CreationDate = EncodeDateTime(2020, 2, 29, 12, 0, 0);
    caption.Color = 0xFFFFFFFF;
    caption.ProjectId = 2;
    caption.BackgroundPeriods.Add(EncodeDateTime(2024, 2, 29, 8, 0, 0), EncodeDateTime(2024, 2, 29, 17, 45, 30));

    TTimeProject& alpha = model.Projects.Create();
    alpha.Id = 1;
    alpha.Name = "Alpha";
    alpha.Description = "first line\r\nsecond line\r\n";
    alpha.StartDate = EncodeDate(2024, 1, 1);
    alpha.EndDate = EncodeDate(2024, 12, 31);
    alpha.CreationDate = EncodeDateTime(2023, 11, 5, 14, 3, 27);
    alpha.Color = kActiveCaptionColor;
    alpha.ReservedAmount = Money {500};
    alpha.TotalPrice = Money {123400};

    TTimeProject& empty = model.Projects.Create();
    empty.Id = -3;
    empty.StartDate = 1.0;
    empty.EndDate = 2.0;
    empty.CreationDate = 3.0;
    empty.Color = 0x000000FF;
    empty.ReservedAmount = Money {-15000};
    empty.TotalPrice = Money {0};
    return model;
}

// The current layout, written from the layout table by hand.
inline std::string CurrentImage(const TimeModel& model, std::string_view version = "1.1.0.363")
{
    ByteWriter out;
    out.Text("Tallyhour Zide timers data file v1.1").Text(version).Int(model.Timers.Count());
    for (const TMyTimer& timer : model.Timers) {
        out.Text(timer.Name).Int(static_cast<std::int64_t>(timer.Identifiers.size()));
        for (const std::string& id : timer.Identifiers) {
            out.Text(id);
        }
        out.Byte(timer.Enabled ? 1 : 0).Int(timer.TimerType).Int(timer.WindowScope);
        out.Double(timer.ActiveTime).Double(timer.BackgroundTime).Double(timer.CreationDate);
        out.Int(timer.Color).Int(timer.ProjectId);
        for (const PeriodList* list : {&timer.ActivePeriods, &timer.BackgroundPeriods}) {
            out.Int(static_cast<std::int64_t>(list->Count()));
            for (const TWorkPeriod& period : *list) {
                out.Double(period.Start).Double(period.Stop);
            }
        }
    }
    out.Int(static_cast<std::int64_t>(model.Projects.Count()));
    for (std::size_t i = 0; i < model.Projects.Count(); ++i) {
        const TTimeProject& project = model.Projects[i];
        out.Text(project.Name).Text(project.Description);
        out.Double(project.StartDate).Double(project.EndDate).Double(project.CreationDate);
        out.Int(project.Color).Int(project.Id);
        out.Double(static_cast<double>(project.ReservedAmount.Count) / 10000.0);
        out.Double(static_cast<double>(project.TotalPrice.Count) / 10000.0);
    }
    return out.Bytes();
}

// Sixteen bytes of the "loadatime" layout; their content is ignored.
inline constexpr std::string_view kATimeBytes = "\x01\x02\x03\x04\x05\x06\x07\x08\xF1\xF2\xF3\xF4\xF5\xF6\xF7\xF8";

// The older layout, written by hand. Amounts must be whole hundredths.
inline std::string LegacyImage(const TimeModel& model, const LegacyMarkers& markers)
{
    ByteWriter out;
    out.IntBE(static_cast<std::int64_t>(model.Timers.Count()));
    for (const TMyTimer& timer : model.Timers) {
        out.TextBE(timer.Name).IntBE(static_cast<std::int64_t>(timer.Identifiers.size()));
        for (const std::string& id : timer.Identifiers) {
            out.TextBE(id);
        }
        out.TextBE(timer.Enabled ? "True" : "False").IntBE(timer.TimerType).IntBE(timer.WindowScope);
        out.SplitDoubleBE(timer.ActiveTime).SplitDoubleBE(timer.BackgroundTime).SplitDoubleBE(timer.CreationDate);
        for (const PeriodList* list : {&timer.ActivePeriods, &timer.BackgroundPeriods}) {
            out.IntBE(static_cast<std::int64_t>(list->Count()));
            for (const TWorkPeriod& period : *list) {
                out.SplitDoubleBE(period.Start).SplitDoubleBE(period.Stop);
            }
        }
        if (markers.LoadATime) {
            out.Raw(kATimeBytes);
        }
        out.IntBE(timer.Color);
        if (!markers.NotLoadProjectId) {
            out.IntBE(timer.ProjectId);
        }
    }
    if (!markers.NotLoadProjects) {
        out.IntBE(static_cast<std::int64_t>(model.Projects.Count()));
        for (std::size_t i = 0; i < model.Projects.Count(); ++i) {
            const TTimeProject& project = model.Projects[i];
            out.TextBE(project.Name).TextBE(project.Description);
            out.SplitDoubleBE(project.StartDate).SplitDoubleBE(project.EndDate).SplitDoubleBE(project.CreationDate);
            out.IntBE(project.Color).IntBE(project.Id);
            for (const Money money : {project.ReservedAmount, project.TotalPrice}) {
                out.IntBE(money.Count / 10000).IntBE(money.Count % 10000 / 100);
            }
        }
    }
    return out.Bytes();
}

// What the import of LegacyImage(model, markers) yields.
inline TimeModel LegacyExpectation(const LegacyMarkers& markers)
{
    TimeModel model = RichModel();
    if (markers.NotLoadProjectId) {
        for (TMyTimer& timer : model.Timers) {
            timer.ProjectId = 0;
        }
    }
    if (markers.NotLoadProjects) {
        model.Projects.Clear();
    }
    return model;
}

inline std::vector<LegacyMarkers> AllMarkerCombinations()
{
    std::vector<LegacyMarkers> all;
    for (int bits = 0; bits < 8; ++bits) {
        all.push_back({(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0});
    }
    return all;
}

inline std::string MarkerText(const LegacyMarkers& markers)
{
    std::string text;
    text += markers.LoadATime ? "A" : "-";
    text += markers.NotLoadProjectId ? "I" : "-";
    text += markers.NotLoadProjects ? "P" : "-";
    return text;
}

// A folder in memory where there is one: the tests that load a file
// hundreds of times would otherwise wait for the disk at every flush.
inline std::filesystem::path FastTempBase()
{
    std::error_code ec;
    const std::filesystem::path shm = "/dev/shm";
    if (std::filesystem::is_directory(shm, ec) && access(shm.string().c_str(), W_OK) == 0) {
        return shm;
    }
    return std::filesystem::temp_directory_path();
}

// A model, an active run log with every detail and no time prefix, and the
// data file in a fresh folder.
class StorageTest : public ::testing::Test
{
protected:
    StorageTest()
    {
        log.SetLogFileName(dir.File("log.txt"));
        log.SetLogCaption("caption");
        log.SetInsertTime(false);
        log.SetMaxSize(1 << 20);
        log.SetLogDetail(9);
        log.SetActive(true);
    }

    // The entries written so far, without the caption.
    std::vector<std::string> LogLines() const
    {
        const std::string text = ReadFile(dir.File("log.txt"));
        std::vector<std::string> lines;
        std::size_t start = 0;
        for (std::size_t end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
            lines.push_back(text.substr(start, end - start));
            start = end + 2;
        }
        if (!lines.empty() && lines.front() == "caption") {
            lines.erase(lines.begin(), lines.begin() + std::min<std::ptrdiff_t>(2, std::ssize(lines)));
        }
        return lines;
    }
    void ClearLog() { std::filesystem::remove(dir.File("log.txt")); }

    void PlaceMarkers(const LegacyMarkers& markers) const
    {
        for (const auto& [on, name] : {std::pair {markers.LoadATime, kMarkerLoadATime},
                                       std::pair {markers.NotLoadProjectId, kMarkerNotLoadProjectId},
                                       std::pair {markers.NotLoadProjects, kMarkerNotLoadProjects}}) {
            const std::string path = dir.File(std::string(name));
            if (on) {
                WriteFile(path, "");
            } else {
                std::filesystem::remove(path);
            }
        }
    }

    TempDir dir {FastTempBase()};
    FakeClock clock {EncodeDateTime(2024, 3, 5, 14, 3, 27)};
    TBrisvaleLog log {clock};
    TimeModel model;
    std::string dataPath = dir.File("timers.dat");
    std::string backupPath = dir.File("~timersBackup.dat");
    DataFile data {model, log, clock, SystemFiles(), DataFilePaths::InDirectory(dir.Path())};
};

} // namespace tally::test
