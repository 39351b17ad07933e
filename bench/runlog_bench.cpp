#include "platform/system/system_clock.h"
#include "runlog/brisvale_log.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>

namespace {

// A log file in a folder of its own under the temporary directory, removed
// when the benchmark ends.
class BenchFolder
{
public:
    BenchFolder()
        : m_path(std::filesystem::temp_directory_path() / ("runlog-bench-" + std::to_string(std::random_device()())))
    {
        std::filesystem::create_directories(m_path);
    }
    ~BenchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;

    std::string LogFile() const { return (m_path / "log.txt").string(); }

private:
    std::filesystem::path m_path;
};

// The common case in the tracking tick: a level above LogDetail.
void BM_WriteLineFiltered(benchmark::State& state)
{
    tally::SystemClock clock;
    tally::TBrisvaleLog log(clock);
    log.SetLogFileName("unused-log.txt");
    log.SetActive(true);
    for (auto _ : state) {
        log.WriteLine(3, "TimUpdateTimer-> %time%");
    }
}
BENCHMARK(BM_WriteLineFiltered);

void BM_WriteLineInactive(benchmark::State& state)
{
    tally::SystemClock clock;
    tally::TBrisvaleLog log(clock);
    for (auto _ : state) {
        log.WriteLine(0, "SafeSave->");
    }
}
BENCHMARK(BM_WriteLineInactive);

// One written entry: size check, time prefix, open, append, flush, close.
// Arg 0: no size limit in reach; arg 20: the configured 20 KiB with shifts.
void BM_WriteLineAppend(benchmark::State& state)
{
    BenchFolder folder;
    tally::SystemClock clock;
    tally::TBrisvaleLog log(clock);
    log.SetLogFileName(folder.LogFile());
    log.SetMaxSize(state.range(0) > 0 ? static_cast<int>(state.range(0)) : 1 << 20);
    log.SetActive(true);
    for (auto _ : state) {
        log.WriteLine(0, "SafeSave->");
    }
}
BENCHMARK(BM_WriteLineAppend)->Arg(0)->Arg(20);

} // namespace

BENCHMARK_MAIN();
