// Saving and loading a heavy user's data file (5 million work periods over
// 50 timers, about 80 MB) next to plain I/O of the same bytes: one write and
// a flush to the disk, and one read of the whole file.

#include "heavy_user_model.h"
#include "model/datetime.h"
#include "model/time_model.h"
#include "platform/system/posix_file_system.h"
#include "platform/system/system_clock.h"
#include "runlog/brisvale_log.h"
#include "storage/data_file.h"
#include "storage/file_io.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <random>
#include <stdexcept>

namespace tally {
namespace {

namespace fs = std::filesystem;

using bench::FillHeavyUserModel;

// One data set and one folder on the disk for all benchmarks.
struct Setup
{
    Setup()
        : dir(fs::temp_directory_path() / ("tally-storage-bench-" + std::to_string(getpid())))
    {
        fs::create_directories(dir);
        FillHeavyUserModel(model);
        data.Save(dataPath);
        plainPath = (dir / "plain.dat").string();
    }
    ~Setup()
    {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }

    fs::path dir;
    SystemClock clock;
    TBrisvaleLog log {clock};
    TimeModel model;
    std::string dataPath = (dir / "timers.dat").string();
    std::string plainPath;
    DataFile data {model, log, clock, SystemFiles(), DataFilePaths::InDirectory(dir)};
};

Setup& Shared()
{
    static Setup setup;
    return setup;
}

void BM_Save(benchmark::State& state)
{
    Setup& s = Shared();
    for (auto _ : state) {
        s.data.Save(s.dataPath);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(s.dataPath)));
}
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->Iterations(8);

// The same bytes written in one call and flushed.
void BM_PlainWriteAndFlush(benchmark::State& state)
{
    Setup& s = Shared();
    const TMemFileStream image = ReadWholeFile(SystemFiles(), s.dataPath);
    for (auto _ : state) {
        const int fd = ::open(s.plainPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const auto bytes = image.Bytes();
        if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())
            || ::fsync(fd) != 0) {
            throw std::runtime_error("plain write failed");
        }
        ::close(fd);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(image.Size()));
}
BENCHMARK(BM_PlainWriteAndFlush)->Unit(benchmark::kMillisecond)->Iterations(8);

// Start-up: the lists are empty, as the program's only load meets them.
void BM_Load(benchmark::State& state)
{
    Setup& s = Shared();
    TBrisvaleLog quiet(s.clock);
    std::size_t periods = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto model = std::make_unique<TimeModel>();
        DataFile reader(*model, quiet, s.clock, SystemFiles(), DataFilePaths::InDirectory(s.dir));
        state.ResumeTiming();
        if (reader.Load(s.dataPath).State != LoadResult::Status::Loaded) {
            throw std::runtime_error("load failed");
        }
        state.PauseTiming();
        periods = 0;
        for (const TMyTimer& timer : model->Timers) {
            periods += timer.ActivePeriods.Count() + timer.BackgroundPeriods.Count();
        }
        model.reset();
        state.ResumeTiming();
    }
    state.counters["periods"] = static_cast<double>(periods);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(s.dataPath)));
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->Iterations(8);

// The data file's own whole-file read, without parsing.
void BM_ReadWholeFile(benchmark::State& state)
{
    Setup& s = Shared();
    for (auto _ : state) {
        TMemFileStream stream = ReadWholeFile(SystemFiles(), s.dataPath);
        benchmark::DoNotOptimize(stream.Size());
    }
}
BENCHMARK(BM_ReadWholeFile)->Unit(benchmark::kMillisecond)->Iterations(8);

// The same file read whole in one call.
void BM_PlainRead(benchmark::State& state)
{
    Setup& s = Shared();
    const auto size = static_cast<std::size_t>(fs::file_size(s.dataPath));
    for (auto _ : state) {
        auto buffer = std::make_unique_for_overwrite<char[]>(size);
        const int fd = ::open(s.dataPath.c_str(), O_RDONLY);
        if (fd < 0 || ::read(fd, buffer.get(), size) != static_cast<ssize_t>(size)) {
            throw std::runtime_error("plain read failed");
        }
        ::close(fd);
        benchmark::DoNotOptimize(buffer.get());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(size));
}
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond)->Iterations(8);

} // namespace
} // namespace tally

BENCHMARK_MAIN();
