// The real program, hidden, inside a headless sway run as an unprivileged
// user, with 20 application and caption timers against a few terminal
// windows (a stand-in notification-area watcher on a private session bus
// lets it go to the tray): the CPU time of all its threads (schedstat) over a stretch with
// nothing changing, then over one with the focus moved every few seconds.
// Prints figures and judges nothing.
//
//   wayland_bench [--seconds S] [--switch-every S]

#include "model/time_model.h"
#include "platform/system/posix_file_system.h"
#include "platform/system/system_clock.h"
#include "runlog/brisvale_log.h"
#include "storage/data_file.h"
#include "x11_rig.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using tally::test::ChildProcess;
using tally::test::XRig;

std::vector<std::string> AsUser(std::vector<std::string> argv)
{
    argv.insert(argv.begin(), {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
    return argv;
}

std::string Slurp(const fs::path& file)
{
    std::ifstream in(file);
    std::string text;
    std::getline(in, text);
    return text;
}

// Nanoseconds on the CPU of all the process's threads.
std::uint64_t CpuNs(pid_t pid)
{
    std::uint64_t sum = 0;
    std::error_code error;
    for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
        std::ifstream sched(task.path() / "schedstat");
        std::uint64_t ns = 0;
        if (sched >> ns) {
            sum += ns;
        }
    }
    return sum;
}

} // namespace

int main(int argc, char** argv)
{
    int seconds = 60;
    int switchEvery = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--seconds") {
            seconds = std::atoi(argv[i + 1]);
        } else if (arg == "--switch-every") {
            switchEvery = std::atoi(argv[i + 1]);
        }
    }
    char pattern[] = "/tmp/tally-wayland-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        return 1;
    }
    const fs::path dir = pattern;
    const fs::path run = dir / "run";
    fs::create_directories(run);
    {
        std::ofstream conf(dir / "sway.conf");
        conf << "exec sh -c 'printf %s \"$WAYLAND_DISPLAY\" >" << (dir / "wd").string() << "; printf %s \"$SWAYSOCK\" >"
             << (dir / "ss").string() << "'\n";
    }
    tally::SystemClock clock;
    tally::TBrisvaleLog log(clock);
    {
        tally::TimeModel model;
        for (int i = 0; i < 20; ++i) {
            tally::TMyTimer& timer = model.Timers.Create();
            timer.Name = "Timer " + std::to_string(i);
            timer.TimerType = i % 2 == 0 ? tally::ttApplication : tally::ttCaption;
            timer.Identifiers
                = {i % 2 == 0 ? (i == 0 ? "foot" : "program-" + std::to_string(i)) : "Window " + std::to_string(i % 5)};
            timer.SetEnabled(true);
        }
        tally::DataFile data(model, log, clock, tally::SystemFiles(), tally::DataFilePaths::InDirectory(dir));
        data.Save(data.Paths().DataFile);
    }
    {
        std::ofstream ini(dir / "tallyhourlite.ini");
        ini << "[main]\nLogActive=0\nSplashOn=0\nAutoRun=0\nFirstLaunch=0\nIdleInterval=3600\n";
    }
    std::system(("chown -R 65534:65534 " + dir.string() + " && chmod 700 " + run.string()).c_str());

    std::vector<std::string> env {"XDG_RUNTIME_DIR=" + run.string(),
                                  "HOME=" + dir.string(),
                                  "DISPLAY=",
                                  "XDG_SESSION_TYPE=wayland",
                                  "XDG_CONFIG_HOME=" + (dir / "config").string(),
                                  "XDG_DATA_HOME=" + (dir / "share").string(),
                                  "WLR_BACKENDS=headless",
                                  "WLR_LIBINPUT_NO_DEVICES=1"};
    ChildProcess::Options options;
    options.Environment = env;
    options.Quiet = true;
    ChildProcess sway(AsUser({"sway", "-c", (dir / "sway.conf").string()}), options);
    if (!XRig::WaitUntil([&] { return !Slurp(dir / "ss").empty(); }, 20s)) {
        std::printf("headless sway did not start\n");
        return 0;
    }
    options.Environment.push_back("WAYLAND_DISPLAY=" + Slurp(dir / "wd"));
    options.Environment.push_back("SWAYSOCK=" + Slurp(dir / "ss"));

    // The session bus and a watcher that says a tray host is there.
    const std::string busFile = (dir / "bus").string();
    tally::test::RunProgram(
        AsUser({"sh",
                "-c",
                "dbus-daemon --session --fork --print-address=1 --print-pid=3 >" + busFile + " 3>" + busFile + ".pid"}),
        options.Environment);
    const std::string bus = Slurp(busFile);
    std::unique_ptr<ChildProcess> watcher;
    if (!bus.empty()) {
        auto busOptions = options;
        busOptions.Environment.push_back("DBUS_SESSION_BUS_ADDRESS=" + bus);
        options.Environment = busOptions.Environment;
        watcher = std::make_unique<ChildProcess>(AsUser({"/usr/bin/python3",
                                                         "-m",
                                                         "dbusmock",
                                                         "org.kde.StatusNotifierWatcher",
                                                         "/StatusNotifierWatcher",
                                                         "org.kde.StatusNotifierWatcher"}),
                                                 busOptions);
        const std::vector<std::string> mock {"busctl",
                                             "--user",
                                             "call",
                                             "org.kde.StatusNotifierWatcher",
                                             "/StatusNotifierWatcher",
                                             "org.freedesktop.DBus.Mock"};
        auto call = [&](std::vector<std::string> args) {
            std::vector<std::string> command = mock;
            command.insert(command.end(), args.begin(), args.end());
            return tally::test::RunProgram(AsUser(command), busOptions.Environment) == 0;
        };
        // The mock's first answer, once it is up.
        XRig::WaitUntil(
            [&] {
                return call(
                    {"AddMethod", "sssss", "org.kde.StatusNotifierWatcher", "RegisterStatusNotifierHost", "s", "", ""});
            },
            30s);
        call({"AddProperty", "ssv", "org.kde.StatusNotifierWatcher", "IsStatusNotifierHostRegistered", "b", "true"});
        call({"AddProperty", "ssv", "org.kde.StatusNotifierWatcher", "ProtocolVersion", "i", "0"});
        call({"AddMethod", "sssss", "org.kde.StatusNotifierWatcher", "RegisterStatusNotifierItem", "s", "", ""});
    }

    std::vector<std::unique_ptr<ChildProcess>> terminals;
    for (int i = 0; i < 5; ++i) {
        terminals.push_back(std::make_unique<ChildProcess>(
            AsUser({"foot", "-T", "Window " + std::to_string(i), "sleep", "3600"}), options));
    }
    auto programOptions = options;
    programOptions.Environment.insert(
        programOptions.Environment.end(),
        {"QT_QPA_PLATFORM=wayland", "TALLYHOUR_DATA_DIR=" + dir.string(), "TALLYHOUR_PROBE_URL=http://127.0.0.1:9/"});
    ChildProcess program(AsUser({TALLY_PROGRAM}), programOptions);
    // As the X11 figures: after the hidden tick has slowed as far as it goes.
    std::this_thread::sleep_for(65s);
    const std::string tree = tally::test::RunCapturing(AsUser({"swaymsg", "-t", "get_tree"}), options.Environment).Out;
    const bool shown = tree.find("\"pid\": " + std::to_string(program.Pid())) != std::string::npos;
    std::printf("main window %s\n", shown ? "shown (no tray)" : "hidden in the tray");

    auto measure = [&](const char* what, bool switching) {
        const auto start = std::chrono::steady_clock::now();
        const std::uint64_t before = CpuNs(program.Pid());
        for (int s = 1; s <= seconds; ++s) {
            std::this_thread::sleep_until(start + std::chrono::seconds(s));
            if (switching && switchEvery > 0 && s % switchEvery == 0) {
                const auto& target = terminals[static_cast<std::size_t>(s / switchEvery) % terminals.size()];
                tally::test::RunProgram(AsUser({"swaymsg", "-q", "[pid=" + std::to_string(target->Pid()) + "] focus"}),
                                        options.Environment);
            }
        }
        const double used = static_cast<double>(CpuNs(program.Pid()) - before) / 1e9;
        std::printf(
            "CPU, 20 timers, 5 windows, %s: %.4f %% of a core over %d s\n", what, 100.0 * used / seconds, seconds);
    };
    measure("nothing changing", false);
    measure(("focus moved every " + std::to_string(switchEvery) + " s").c_str(), true);

    program.Stop();
    terminals.clear();
    watcher.reset();
    if (const std::string busPid = Slurp(busFile + ".pid"); !busPid.empty()) {
        ::kill(std::atoi(busPid.c_str()), SIGTERM);
    }
    sway.Stop();
    fs::remove_all(dir);
    return 0;
}
