// The real program under a private Xvfb with openbox and a tray host, with
// its window open and 20 application and caption timers, while windows open,
// close, change their captions and come to the front every few seconds; then
// the session ends. Prints the program's resident memory (VmRSS) each minute,
// the figures after 1 minute and at the end and their difference, and whether
// the saved work periods follow what was on the screen.
//
//   soak_bench [--minutes N] [--pace-ms MS] [--seed S] [--program FILE]

#include "model/time_model.h"
#include "platform/system/posix_file_system.h"
#include "platform/system/system_clock.h"
#include "runlog/brisvale_log.h"
#include "soak_desktop.h"
#include "storage/data_file.h"
#include "x11_rig.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using tally::test::ChildProcess;
using tally::test::SoakDesktop;
using tally::test::XRig;

struct Folder
{
    fs::path Path;
    explicit Folder(const std::string& program)
    {
        std::string pattern = (fs::temp_directory_path() / "soak-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        Path = pattern;
        fs::create_directories(Path / "run");
        fs::permissions(Path / "run", fs::perms::owner_all);
        fs::copy_file(program, Path / "tallyhour-zide");
        // The program keeps its data beside it, as a portable copy does.
        std::ofstream(Path / "portable");
    }
    ~Folder()
    {
        std::error_code ignored;
        fs::remove_all(Path, ignored);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
};

std::vector<std::string> Environment(const Folder& folder, const XRig& rig)
{
    return {"DISPLAY=" + rig.Display(),
            "QT_QPA_PLATFORM=xcb",
            "TALLYHOUR_DATA_DIR=",
            "XDG_DATA_HOME=" + (folder.Path / "share").string(),
            "XDG_CONFIG_HOME=" + (folder.Path / "config").string(),
            "XDG_RUNTIME_DIR=" + (folder.Path / "run").string(),
            "DBUS_SESSION_BUS_ADDRESS=unix:path=" + (folder.Path / "no-bus").string(),
            "TALLYHOUR_PROBE_URL=http://127.0.0.1:9/"};
}

int Run(const std::string& program, int minutes, std::chrono::milliseconds pace, unsigned seed)
{
    Folder folder(program);
    // The window open keeps the tick at one second; nobody types here.
    std::ofstream(folder.Path / "tallyhourlite.ini")
        << "[main]\nLogActive=0\nSplashOn=0\nAutoRun=0\nSoundOn=0\nFirstLaunch=1\nIdleInterval=3600\n"
           "AutoSaveInterval=1\n";
    tally::SystemClock clock;
    tally::TBrisvaleLog log(clock);
    {
        tally::TimeModel model;
        SoakDesktop::AddTimers(model);
        tally::DataFile data(model, log, clock, tally::SystemFiles(), tally::DataFilePaths::InDirectory(folder.Path));
        data.Save(data.Paths().DataFile);
    }

    tally::test::RigOptions options;
    options.Tray = true;
    XRig rig(options);
    SoakDesktop desktop(rig, folder.Path, seed);

    ChildProcess::Options start;
    start.Environment = Environment(folder, rig);
    start.Quiet = true;
    ChildProcess soaked({(folder.Path / "tallyhour-zide").string()}, start);
    const bool shown = XRig::WaitUntil(
        [&] {
            const auto windows = rig.FindWindows("Tallyhour Zide");
            // Wider than the tray icon: the main window.
            return std::any_of(
                windows.begin(), windows.end(), [](const auto& w) { return w.Viewable && w.Width > 64; });
        },
        60s);
    if (!shown) {
        throw std::runtime_error("the main window did not appear");
    }
    const tally::TDateTime ready = clock.Read().Now;

    long firstKb = 0;
    long lastKb = 0;
    for (int minute = 1; minute <= minutes; ++minute) {
        desktop.RunFor(60s, pace);
        lastKb = tally::test::ResidentKb(soaked.Pid());
        if (minute == 1) {
            firstKb = lastKb;
        }
        std::printf("minute %2d: VmRSS %ld kB (%d changes of the desktop so far)\n", minute, lastKb, desktop.Steps());
    }
    const tally::TDateTime stop = clock.Read().Now;
    ::kill(soaked.Pid(), SIGTERM);
    const auto exitCode = soaked.Wait(60s);

    std::printf("VmRSS after 1 minute: %ld kB; after %d minutes: %ld kB; difference %+ld kB\n",
                firstKb,
                minutes,
                lastKb,
                lastKb - firstKb);
    std::printf("exit code after SIGTERM: %s\n", exitCode ? std::to_string(*exitCode).c_str() : "none within 60 s");

    tally::TimeModel saved;
    tally::DataFile data(saved, log, clock, tally::SystemFiles(), tally::DataFilePaths::InDirectory(folder.Path));
    if (data.Load(data.Paths().DataFile).State != tally::LoadResult::Status::Loaded) {
        std::printf("saved data: the data file does not load\n");
        return 1;
    }
    tally::TDateTime active = 0;
    tally::TDateTime background = 0;
    std::size_t periods = 0;
    for (const tally::TMyTimer& timer : saved.Timers) {
        active += timer.ActiveTime;
        background += timer.BackgroundTime;
        periods += timer.ActivePeriods.Count() + timer.BackgroundPeriods.Count();
    }
    std::printf("saved data: %zu timers, %zu periods, %.0f s active, %.0f s background over %.0f s\n",
                saved.Timers.Count(),
                periods,
                active / tally::kOneSecond,
                background / tally::kOneSecond,
                (stop - ready) / tally::kOneSecond);
    const std::vector<std::string> problems = desktop.Check(saved, ready, stop);
    std::printf("saved periods against the screen: %s\n", problems.empty() ? "consistent" : "PROBLEMS");
    for (const std::string& line : problems) {
        std::printf("  %s\n", line.c_str());
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::string program = TALLY_PROGRAM;
    int minutes = 10;
    int paceMs = 3000;
    unsigned seed = 12;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--minutes" && i + 1 < argc) {
            minutes = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--pace-ms" && i + 1 < argc) {
            paceMs = std::max(100, std::atoi(argv[++i]));
        } else if (arg == "--seed" && i + 1 < argc) {
            seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        } else if (arg == "--program" && i + 1 < argc) {
            program = argv[++i];
        } else {
            std::fprintf(stderr, "usage: soak_bench [--minutes N] [--pace-ms MS] [--seed S] [--program FILE]\n");
            return 2;
        }
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    try {
        return Run(program, minutes, std::chrono::milliseconds(paceMs), seed);
    } catch (const std::exception& e) {
        std::printf("soak_bench skipped: %s\n", e.what());
    }
    return 0;
}
