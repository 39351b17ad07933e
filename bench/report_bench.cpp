// The day report of a heavy user's data file (5 million work periods over 50
// timers) next to loading that file, the step the report cannot avoid: the
// report should cost no more than the load again.

#include "data_tool.h"
#include "heavy_user_model.h"
#include "model/datetime.h"
#include "model/time_model.h"
#include "platform/system/posix_file_system.h"
#include "platform/system/system_clock.h"
#include "report.h"
#include "runlog/brisvale_log.h"
#include "stats/day_figures.h"
#include "storage/data_file.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace tally {
namespace {

namespace fs = std::filesystem;

using bench::FillHeavyUserModel;

struct Setup
{
    Setup()
        : dir(fs::temp_directory_path() / ("tally-report-bench-" + std::to_string(getpid())))
    {
        fs::create_directories(dir);
        TimeModel model;
        FillHeavyUserModel(model);
        DataFile data {model, log, clock, SystemFiles(), DataFilePaths::InDirectory(dir)};
        data.Save(dataPath);
    }
    ~Setup()
    {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }

    fs::path dir;
    SystemClock clock;
    TBrisvaleLog log {clock};
    std::string dataPath = (dir / "timers.dat").string();
};

Setup& Shared()
{
    static Setup setup;
    return setup;
}

// What the tool does before any command: read the whole file.
void BM_LoadFile(benchmark::State& state)
{
    Setup& s = Shared();
    for (auto _ : state) {
        auto content = std::make_unique<datatool::DataFileContent>(datatool::ReadDataFileContent(s.dataPath));
        benchmark::DoNotOptimize(content->Model.Timers.Count());
        state.PauseTiming();
        content.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadFile)->Unit(benchmark::kMillisecond)->Iterations(5);

// The report's rows over a freshly read file (no day sums kept yet), then
// its text: the work the report adds to the load.
void ReportOnly(benchmark::State& state, bool csv)
{
    Setup& s = Shared();
    std::size_t rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto content = std::make_unique<datatool::DataFileContent>(datatool::ReadDataFileContent(s.dataPath));
        std::vector<const TMyTimer*> timers;
        for (const TMyTimer& timer : content->Model.Timers) {
            timers.push_back(&timer);
        }
        state.ResumeTiming();
        const std::vector<DayReportRow> report = DayReport(timers, content->Model.Projects, {}, 0.0);
        const std::string text = csv ? datatool::ReportCsv(report) : datatool::ReportText(report, nullptr);
        benchmark::DoNotOptimize(text.data());
        rows = report.size();
        state.PauseTiming();
        content.reset();
        state.ResumeTiming();
    }
    state.counters["rows"] = static_cast<double>(rows);
}

void BM_ReportText(benchmark::State& state)
{
    ReportOnly(state, false);
}
BENCHMARK(BM_ReportText)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ReportCsv(benchmark::State& state)
{
    ReportOnly(state, true);
}
BENCHMARK(BM_ReportCsv)->Unit(benchmark::kMillisecond)->Iterations(5);

// The whole command as the user runs it: read, report, write.
void BM_ToolReportCommand(benchmark::State& state)
{
    Setup& s = Shared();
    for (auto _ : state) {
        std::ostringstream out;
        std::ostringstream err;
        if (datatool::RunDataTool({"report", s.dataPath, "--csv"}, out, err) != 0) {
            throw std::runtime_error("report failed: " + err.str());
        }
        benchmark::DoNotOptimize(out.str().size());
    }
}
BENCHMARK(BM_ToolReportCommand)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
} // namespace tally

BENCHMARK_MAIN();
