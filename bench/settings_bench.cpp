#include "platform/fake/fake_clock.h"
#include "platform/system/posix_file_system.h"
#include "runlog/brisvale_log.h"
#include "storage/options.h"
#include "storage/settings_file.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace {

// A settings file of the usual size in a folder of its own, removed when the
// benchmark ends.
class BenchFile
{
public:
    BenchFile()
        : m_folder(std::filesystem::temp_directory_path()
                   / ("settings-bench-" + std::to_string(std::random_device()())))
    {
        std::filesystem::create_directories(m_folder);
        std::ofstream(Path()) << "[main]\nAutoRun=1\nSoundOn=1\nShowHints=1\nIdleInterval=300\nAutoSaveInterval=5\n"
                                 "MaxKeyInterval=1\nSplashOn=1\nLogActive=0\nLogDetail=0\nFirstLaunch=0\n"
                                 "LastRunDate=03/15/24\nPrjIdCounter=12\n\n[view]\nShowTodayTime=1\nShowColor=0\n\n"
                                 "[Statistic]\nShowMarks=1\nTimeFormat=2\nStatPage=0\nPosition=367\nScaleX=7\n";
    }
    ~BenchFile()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    BenchFile(const BenchFile&) = delete;
    BenchFile& operator=(const BenchFile&) = delete;

    std::string Path() const { return (m_folder / "tallyhourlite.ini").string(); }

private:
    std::filesystem::path m_folder;
};

// One read of an unchanged file: a look at its stamp and a search.
void BM_ReadUnchanged(benchmark::State& state)
{
    BenchFile file;
    tally::IniSettings settings(tally::SystemFiles(), file.Path());
    for (auto _ : state) {
        benchmark::DoNotOptimize(settings.ReadInteger("Statistic", "ScaleX", 7));
    }
}
BENCHMARK(BM_ReadUnchanged);

// Start-up reading, FirstLaunch already 0.
void BM_LoadIni(benchmark::State& state)
{
    BenchFile file;
    tally::IniSettings settings(tally::SystemFiles(), file.Path());
    tally::FakeClock clock;
    tally::TBrisvaleLog log(clock);
    tally::IniOptions options;
    for (auto _ : state) {
        tally::LoadIni(settings, log, options);
        benchmark::DoNotOptimize(options);
    }
}
BENCHMARK(BM_LoadIni);

// One option click: a whole new copy of the file renamed over the old one.
void BM_Write(benchmark::State& state)
{
    BenchFile file;
    tally::IniSettings settings(tally::SystemFiles(), file.Path());
    bool on = false;
    for (auto _ : state) {
        settings.WriteBool("main", "SoundOn", on = !on);
    }
}
BENCHMARK(BM_Write);

} // namespace

BENCHMARK_MAIN();
