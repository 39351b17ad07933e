// Four other computers of a million periods each in a shared folder: reading
// them once, opening the merged account (reading plus the merge), and a
// refresh of the merged text figures afterwards.
#include "model/datetime.h"
#include "model/time_model.h"
#include "platform/fake/fake_clock.h"
#include "platform/system/posix_file_system.h"
#include "runlog/brisvale_log.h"
#include "stats/computer_account.h"
#include "storage/data_file.h"
#include "storage/shared_folder.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace tally {
namespace {

namespace fs = std::filesystem;

constexpr int kComputers = 4;
constexpr std::size_t kPeriods = 1'000'000;
const TDateTime kNow = EncodeDateTime(2026, 6, 10, 15, 30, 0);

// Three timers per computer sharing the million periods: 30 s each minute,
// each computer 10 s later than the one before, so that every period of the
// busiest timer overlaps another computer's.
void FillModel(TimeModel& model, int computer, std::size_t periods)
{
    const char* names[] = {"Write", "Read", "Mail"};
    TTimeProject& project = model.Projects.Create();
    project.Id = 1;
    project.Name = "Book";
    for (const char* name : names) {
        TMyTimer& timer = model.Timers.Create();
        timer.Name = name;
        timer.ProjectId = 1;
    }
    const TDateTime first = kNow - static_cast<double>(periods) * kOneMinute;
    for (std::size_t i = 0; i < periods; ++i) {
        TMyTimer& timer = model.Timers[i % 10 < 6 ? 0 : (i % 10 < 8 ? 1 : 2)];
        const TDateTime start = first + static_cast<double>(i) * kOneMinute + computer * 10 * kOneSecond;
        (i % 3 == 2 ? timer.BackgroundPeriods : timer.ActivePeriods).Add(start, start + 30 * kOneSecond);
        (i % 3 == 2 ? timer.BackgroundTime : timer.ActiveTime) += 30 * kOneSecond;
    }
}

struct Folder
{
    fs::path Path = fs::temp_directory_path() / ("tally-computers-bench-" + std::to_string(::getpid()));
    TimeModel Own;

    Folder()
    {
        fs::create_directories(Path);
        FakeClock clock;
        TBrisvaleLog log(clock);
        for (int c = 1; c <= kComputers; ++c) {
            TimeModel model;
            FillModel(model, c, kPeriods);
            DataFile data(model, log, clock, SystemFiles(), DataFilePaths::InDirectory(Path));
            data.Save((Path / ("pc" + std::to_string(c) + "-0000000" + std::to_string(c) + ".dat")).string());
        }
        // This computer: a year of a working day's periods.
        FillModel(Own, 0, 100'000);
        Own.Timers[0].ActiveStart = kNow - 5 * kOneMinute;
        Own.Timers[0].ActiveLast = kNow;
    }
    ~Folder() { fs::remove_all(Path); }
};

Folder& Shared()
{
    static Folder folder;
    return folder;
}

void BM_ReadOthersOnce(benchmark::State& state)
{
    Folder& folder = Shared();
    for (auto _ : state) {
        SharedFolderReader reader(SystemFiles(), folder.Path.string(), "me-1.dat");
        reader.Refresh();
        benchmark::DoNotOptimize(reader.Computers().size());
    }
}
BENCHMARK(BM_ReadOthersOnce)->Unit(benchmark::kMillisecond)->MinTime(3);

void BM_OpenAllComputers(benchmark::State& state)
{
    Folder& folder = Shared();
    for (auto _ : state) {
        SharedFolderReader reader(SystemFiles(), folder.Path.string(), "me-1.dat");
        reader.Refresh();
        std::vector<ComputerModel> others;
        for (const ComputerData* data : reader.Computers()) {
            others.push_back({data->Computer, data->Model.get()});
        }
        ComputerAccount account({"me", &folder.Own}, others);
        benchmark::DoNotOptimize(account.TimerFigures("Write", kNow, kNow));
    }
}
BENCHMARK(BM_OpenAllComputers)->Unit(benchmark::kMillisecond)->MinTime(3);

// The text page's refresh each second: a timer and its project, today.
void BM_RefreshMergedText(benchmark::State& state)
{
    Folder& folder = Shared();
    SharedFolderReader reader(SystemFiles(), folder.Path.string(), "me-1.dat");
    reader.Refresh();
    std::vector<ComputerModel> others;
    for (const ComputerData* data : reader.Computers()) {
        others.push_back({data->Computer, data->Model.get()});
    }
    const ComputerAccount account({"me", &folder.Own}, others);
    TDateTime now = kNow;
    for (auto _ : state) {
        // The running period grows, as it does between two refreshes.
        now += kOneSecond;
        folder.Own.Timers[0].ActiveLast = now;
        benchmark::DoNotOptimize(account.TimerFigures("Write", now, now));
        benchmark::DoNotOptimize(account.ProjectFigures("Book", now, now));
    }
}
BENCHMARK(BM_RefreshMergedText)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tally

BENCHMARK_MAIN();
