// The real program under a private Xvfb with openbox and a tray host. Prints
// figures and judges nothing:
//   - start-up: from just before fork/exec until the tray icon is docked and
//     mapped in the tray host (splash off, main window not opened), with an
//     empty data file and with one million periods; run by run in turn with a
//     bare Qt program with a tray icon, so that both meet the same load;
//   - resident memory (VmRSS, VmHWM) two seconds after start-up;
//   - CPU time of all the program's threads (schedstat, nanoseconds) while
//     20 application and caption timers track against 50 windows, with the
//     main window shown and hidden, and hidden with another of the windows
//     brought to the front every few seconds (--switch-every, default 5; 0
//     leaves that out).
//
//   program_bench [--runs N] [--cpu-seconds S] [--switch-every S] [--no-startup] [--no-cpu] [--program FILE]
//                 [--stat-window]
//   program_bench --write-data DIR N
//
// --write-data DIR N only writes the data file of the CPU measurement with N
// periods, into DIR (for profiling by hand) and ends.
// --stat-window measures the shown main window twice, without and with the
// statistics window open on its text page, and nothing else.
// --program measures another build of the program in its place (before and
// after a change, say).

#include "model/datetime.h"
#include "model/time_model.h"
#include "platform/system/posix_file_system.h"
#include "platform/system/system_clock.h"
#include "runlog/brisvale_log.h"
#include "storage/data_file.h"
#include "x11_rig.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <poll.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using tally::test::ChildProcess;
using tally::test::XRig;
using SteadyClock = std::chrono::steady_clock;

constexpr const char* kTitle = "Tallyhour Zide";
constexpr int kTimerPairs = 10;       // 10 application + 10 caption timers
constexpr int kWindowsPerProgram = 5; // 10 programs: 50 windows

std::string g_program = TALLY_PROGRAM;
constexpr const char* kReferenceTitle = "Bare tray";

struct Folder
{
    fs::path Path;
    Folder()
    {
        std::string pattern = (fs::temp_directory_path() / "program-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        Path = pattern;
        fs::create_directories(Path / "run");
        fs::permissions(Path / "run", fs::perms::owner_all);
        fs::copy_file(g_program, Path / "tallyhour-zide");
        // The parts it loads when they are first needed, from beside itself.
        for (const auto& entry : fs::directory_iterator(fs::path(g_program).parent_path())) {
            if (entry.path().filename().string().starts_with("tallyhour-zide-") && entry.path().extension() == ".so") {
                fs::copy_file(entry.path(), Path / entry.path().filename());
            }
        }
        fs::copy_file(TALLY_REFERENCE_PROGRAM, Path / "bare-tray");
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

void WriteText(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// statPage >= 0: the statistics window was left open on that page.
void WriteSettings(const Folder& folder, bool openWindow, bool statWindow = false, int statPage = 0)
{
    WriteText(folder.Path / "tallyhourlite.ini",
              std::string("[main]\nLogActive=0\nSplashOn=0\nAutoRun=0\nSoundOn=0\nFirstLaunch=")
                  + (openWindow ? "1" : "0") + "\n"
                  + (statWindow ? "StatVisible=1\n[Statistic]\nStatPage=" + std::to_string(statPage) + "\n" : ""));
}

std::string AppName(int i)
{
    char name[32];
    std::snprintf(name, sizeof name, "bench-app-%02d", i + 1);
    return name;
}

std::string CaptionText(int i)
{
    char text[32];
    std::snprintf(text, sizeof text, "Document %02d of the bench", i + 1);
    return text;
}

// Ten application and ten caption timers, holding `periods` closed periods
// between them (one minute each, going back), or no timers at all.
void WriteData(const fs::path& folder, bool timers, std::size_t periods)
{
    tally::SystemClock clock;
    tally::TBrisvaleLog log(clock);
    tally::TimeModel model;
    const tally::TDateTime now = clock.Read().Now;
    for (int i = 0; timers && i < kTimerPairs; ++i) {
        tally::TMyTimer& app = model.Timers.Create();
        app.Name = "App " + std::to_string(i + 1);
        app.TimerType = tally::ttApplication;
        app.Identifiers = {AppName(i)};
        app.SetEnabled(true);
        tally::TMyTimer& caption = model.Timers.Create();
        caption.Name = "Caption " + std::to_string(i + 1);
        caption.TimerType = tally::ttCaption;
        caption.Identifiers = {CaptionText(i)};
        caption.SetEnabled(true);
    }
    const std::size_t count = model.Timers.Count();
    for (std::size_t t = 0; t < count; ++t) {
        tally::TMyTimer& timer = model.Timers[t];
        const std::size_t mine = periods / count + (t < periods % count ? 1 : 0);
        for (std::size_t p = 0; p < mine; ++p) {
            const tally::TDateTime start = now - 1.0 - static_cast<double>(p) * 0.01 - static_cast<double>(t) * 1e-4;
            const tally::TDateTime stop = start + tally::kOneMinute;
            (p % 3 == 0 ? timer.BackgroundPeriods : timer.ActivePeriods).Add(start, stop);
            (p % 3 == 0 ? timer.BackgroundTime : timer.ActiveTime) += stop - start;
        }
    }
    tally::DataFile data(model, log, clock, tally::SystemFiles(), tally::DataFilePaths::InDirectory(folder));
    data.Save(data.Paths().DataFile);
}

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

std::unique_ptr<ChildProcess>
Start(const Folder& folder, const XRig& rig, const char* file = "tallyhour-zide", const std::string& marks = "")
{
    ChildProcess::Options options;
    options.Environment = Environment(folder, rig);
    if (!marks.empty()) {
        options.Environment.push_back("TALLYHOUR_STARTUP_MARKS=" + marks);
    }
    options.Quiet = true;
    return std::make_unique<ChildProcess>(std::vector<std::string> {(folder.Path / file).string()}, options);
}

void Stop(ChildProcess& program)
{
    ::kill(program.Pid(), SIGTERM);
    if (!program.Wait(60s)) {
        std::printf("  (the program did not end within 60 s)\n");
    }
}

// Watches the display for our tray icon: the tray host reparents it into
// its socket window, then it is mapped there.
class TrayWatch
{
public:
    explicit TrayWatch(const std::string& display, std::string title = kTitle)
        : m_c(xcb_connect(display.c_str(), nullptr))
        , m_title(std::move(title))
    {
        if (xcb_connection_has_error(m_c) != 0) {
            throw std::runtime_error("cannot connect to " + display);
        }
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
        const char* name = "_NET_WM_NAME";
        auto* atom = xcb_intern_atom_reply(
            m_c, xcb_intern_atom(m_c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
        m_netWmName = atom != nullptr ? atom->atom : xcb_atom_t {XCB_ATOM_NONE};
        std::free(atom);
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_c, m_root, XCB_CW_EVENT_MASK, &mask);
        std::free(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr));
    }
    ~TrayWatch() { xcb_disconnect(m_c); }
    TrayWatch(const TrayWatch&) = delete;
    TrayWatch& operator=(const TrayWatch&) = delete;

    // Waits until a window titled like ours is reparented off the root
    // with a tray icon's size and is viewable there.
    bool WaitDocked(std::chrono::milliseconds timeout)
    {
        const auto deadline = SteadyClock::now() + timeout;
        xcb_window_t candidate = XCB_WINDOW_NONE;
        while (SteadyClock::now() < deadline) {
            if (candidate != XCB_WINDOW_NONE && Viewable(candidate)) {
                return true;
            }
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_c)) {
                if ((event->response_type & 0x7f) == XCB_REPARENT_NOTIFY) {
                    const auto* reparent = reinterpret_cast<xcb_reparent_notify_event_t*>(event);
                    if (reparent->parent != m_root && IsTrayIcon(reparent->window)) {
                        candidate = reparent->window;
                    }
                }
                std::free(event);
            }
            if (candidate != XCB_WINDOW_NONE) {
                // Mapping follows the reparenting at once; look again soon.
                std::this_thread::sleep_for(200us);
                continue;
            }
            pollfd fd {xcb_get_file_descriptor(m_c), POLLIN, 0};
            ::poll(&fd, 1, 50);
        }
        return false;
    }

private:
    bool Viewable(xcb_window_t window)
    {
        auto* reply = xcb_get_window_attributes_reply(m_c, xcb_get_window_attributes(m_c, window), nullptr);
        const bool viewable = reply != nullptr && reply->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(reply);
        return viewable;
    }

    bool IsTrayIcon(xcb_window_t window)
    {
        auto* name = xcb_get_property_reply(
            m_c, xcb_get_property(m_c, 0, window, m_netWmName, XCB_GET_PROPERTY_TYPE_ANY, 0, 64), nullptr);
        auto* geometry = xcb_get_geometry_reply(m_c, xcb_get_geometry(m_c, window), nullptr);
        bool ours = false;
        if (name != nullptr && geometry != nullptr) {
            const std::string title(static_cast<const char*>(xcb_get_property_value(name)),
                                    static_cast<std::size_t>(xcb_get_property_value_length(name)));
            ours = title == m_title && geometry->width <= 64 && geometry->height <= 64;
        }
        std::free(name);
        std::free(geometry);
        return ours;
    }

    xcb_connection_t* m_c;
    std::string m_title;
    xcb_window_t m_root = XCB_WINDOW_NONE;
    xcb_atom_t m_netWmName = XCB_ATOM_NONE;
};

std::string StatusField(pid_t pid, const std::string& field)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(field + ":", 0) == 0) {
            std::string value = line.substr(field.size() + 1);
            value.erase(0, value.find_first_not_of(" \t"));
            return value;
        }
    }
    return "?";
}

// Nanoseconds on a CPU of all the process's threads (live ones), and their
// voluntary context switches (wake-ups, roughly).
// What the program's threads used, summed over every thread seen: threads
// that end between two readings (Qt's pooled workers end after 30 s idle)
// keep what they last showed.
struct CpuSample
{
    std::uint64_t Ns = 0;
    std::uint64_t Wakeups = 0;
};

struct ThreadSample
{
    std::string Name;
    CpuSample Used;
};

class CpuWatch
{
public:
    explicit CpuWatch(pid_t pid)
        : m_pid(pid)
    { }

    CpuSample Read()
    {
        const fs::path tasks = "/proc/" + std::to_string(m_pid) + "/task";
        std::error_code error;
        for (const auto& task : fs::directory_iterator(tasks, error)) {
            ThreadSample& thread = m_threads[task.path().filename().string()];
            std::ifstream comm(task.path() / "comm");
            std::getline(comm, thread.Name);
            std::ifstream sched(task.path() / "schedstat");
            std::uint64_t ns = 0;
            if (sched >> ns) {
                thread.Used.Ns = ns;
            }
            std::ifstream status(task.path() / "status");
            for (std::string line; std::getline(status, line);) {
                if (line.rfind("voluntary_ctxt_switches:", 0) == 0) {
                    thread.Used.Wakeups = std::strtoull(line.c_str() + 24, nullptr, 10);
                }
            }
        }
        CpuSample sum;
        for (const auto& [id, thread] : m_threads) {
            sum.Ns += thread.Used.Ns;
            sum.Wakeups += thread.Used.Wakeups;
        }
        return sum;
    }

    std::map<std::string, ThreadSample> Threads() const { return m_threads; }

    // Reads every second until the time is over, running everySecond after
    // each reading.
    CpuSample ReadFor(std::chrono::seconds span, const std::function<void()>& everySecond = {})
    {
        const auto end = std::chrono::steady_clock::now() + span;
        while (std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
                std::chrono::seconds(1), end - std::chrono::steady_clock::now()));
            Read();
            if (everySecond) {
                everySecond();
            }
        }
        return Read();
    }

private:
    pid_t m_pid;
    std::map<std::string, ThreadSample> m_threads; // by thread id
};

// The program's start-up phases in the order it passes them, each with the
// milliseconds it took in every run (from the previous mark, the first from
// the start, the last until the tray icon docked).
using PhaseTimes = std::vector<std::pair<std::string, std::vector<double>>>;

struct StartupFigures
{
    std::vector<double> Ms;
    PhaseTimes Phases;
    std::vector<double> ReferenceMs;
    std::string Rss;
    std::string Hwm;
    std::string ReferenceRss;
};

// Milliseconds from the start until the tray icon is docked; the program's
// resident memory two seconds later when asked.
double StartOnce(const Folder& folder,
                 const char* file,
                 const char* title,
                 std::string* rss,
                 std::string* hwm,
                 PhaseTimes* phases = nullptr,
                 const char* lastMark = "tray")
{
    tally::test::RigOptions options;
    options.Tray = true;
    XRig rig(options);
    TrayWatch watch(rig.Display(), title);
    const fs::path marks = folder.Path / "startup-marks";
    fs::remove(marks);
    const auto started = SteadyClock::now();
    auto program = Start(folder, rig, file, phases != nullptr ? marks.string() : std::string());
    if (!watch.WaitDocked(60s)) {
        throw std::runtime_error(std::string("the tray icon of ") + file + " did not dock within 60 s");
    }
    const auto docked = SteadyClock::now();
    const double ms = std::chrono::duration<double, std::milli>(docked - started).count();
    if (phases != nullptr) {
        // The tray host docks the icon without waiting for the program, so
        // a statistics window opened at start may still be filling.
        const auto marked = [&](const char* phase) {
            std::ifstream in(marks);
            return std::string(std::istreambuf_iterator<char>(in), {}).find(phase) != std::string::npos;
        };
        for (int i = 0; i < 200 && !marked(lastMark); ++i) {
            std::this_thread::sleep_for(50ms);
        }
        // Each of the program's phases from the one before; docking from
        // the tray icon's showing.
        std::vector<std::pair<std::string, SteadyClock::time_point>> events;
        std::ifstream in(marks);
        std::string name;
        long long ns = 0;
        while (in >> name >> ns) {
            events.emplace_back(name, SteadyClock::time_point(std::chrono::nanoseconds(ns)));
        }
        const auto add = [&](const std::string& phase, double took) {
            auto entry = std::find_if(phases->begin(), phases->end(), [&](const auto& p) { return p.first == phase; });
            if (entry == phases->end()) {
                entry = phases->insert(phases->end(), {phase, {}});
            }
            entry->second.push_back(took);
        };
        auto previous = started;
        for (const auto& [phase, at] : events) {
            add(phase, std::chrono::duration<double, std::milli>(at - previous).count());
            previous = at;
            if (phase == "tray") {
                add("docked", std::chrono::duration<double, std::milli>(docked - at).count());
            }
        }
    }
    if (rss != nullptr) {
        std::this_thread::sleep_for(2s);
        *rss = StatusField(program->Pid(), "VmRSS");
        if (hwm != nullptr) {
            *hwm = StatusField(program->Pid(), "VmHWM");
        }
    }
    Stop(*program);
    return ms;
}

// statPage >= 0: the statistics window opens at start, on that page.
StartupFigures MeasureStartup(std::size_t periods, int runs, int statPage = -1)
{
    Folder folder;
    WriteSettings(folder, false, statPage >= 0, statPage);
    WriteData(folder.Path, periods > 0, periods);
    StartupFigures figures;
    // The first round warms the page cache and is not counted.
    for (int run = 0; run <= runs; ++run) {
        const bool last = run == runs;
        const double ms = StartOnce(folder,
                                    "tallyhour-zide",
                                    kTitle,
                                    last ? &figures.Rss : nullptr,
                                    &figures.Hwm,
                                    run > 0 ? &figures.Phases : nullptr,
                                    statPage >= 0 ? "statistics-window" : "tray");
        const double referenceMs
            = StartOnce(folder, "bare-tray", kReferenceTitle, last ? &figures.ReferenceRss : nullptr, nullptr);
        if (run > 0) {
            figures.Ms.push_back(ms);
            figures.ReferenceMs.push_back(referenceMs);
        }
    }
    return figures;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void PrintStartup(const char* what, const StartupFigures& figures)
{
    const auto [low, high] = std::minmax_element(figures.Ms.begin(), figures.Ms.end());
    std::printf("start-up to the tray, %s: median %.0f ms (min %.0f, max %.0f, %zu runs); VmRSS %s, VmHWM %s; "
                "bare Qt tray program in the same rounds: median %.0f ms, VmRSS %s\n",
                what,
                Median(figures.Ms),
                *low,
                *high,
                figures.Ms.size(),
                figures.Rss.c_str(),
                figures.Hwm.c_str(),
                Median(figures.ReferenceMs),
                figures.ReferenceRss.c_str());
    // Where the time goes: main = the loader and static set-up, toolkit =
    // Qt and its display connection, desktop = the window and idle sources,
    // windows = the model and the windows, data = settings and the data file,
    // tray = options and the tray icon, docked = from there until the host
    // shows it; statistics-part = loading the statistics window's part,
    // statistics-window = making and filling the window.
    std::printf("  phases (median ms):");
    for (const auto& [phase, times] : figures.Phases) {
        std::printf(" %s %.1f", phase.c_str(), Median(times));
    }
    std::printf("\n");
}

// switchEvery > 0: during the measurement another of the programs' windows
// comes to the front every switchEvery seconds (the main window hidden).
void MeasureCpu(bool shown, int seconds, int switchEvery = 0, bool statWindow = false)
{
    Folder folder;
    WriteSettings(folder, shown, statWindow);
    WriteData(folder.Path, true, 0);
    tally::test::RigOptions options;
    options.Tray = true;
    XRig rig(options);

    // Ten programs of their own names with five windows each.
    std::vector<std::unique_ptr<tally::test::TestWindow>> windows;
    for (int i = 0; i < kTimerPairs; ++i) {
        const fs::path copy = folder.Path / AppName(i);
        fs::copy_file(XRig::TestWindowProgram(), copy);
        tally::test::WindowStart start;
        start.Program = copy.string();
        windows.push_back(
            rig.StartWindow({"--title", CaptionText(i), "--count", std::to_string(kWindowsPerProgram)}, start));
    }
    TrayWatch watch(rig.Display());
    auto program = Start(folder, rig);
    if (!watch.WaitDocked(60s)) {
        throw std::runtime_error("the tray icon did not dock within 60 s");
    }
    // One of them is in front: its two timers run active, the rest background.
    // The program's window, when it opens, is first made to appear, so that
    // it cannot take the front afterwards (in front, its hint check runs too).
    if (shown && rig.Xdotool({"search", "--sync", "--onlyvisible", "--name", "^Tallyhour Zide$"}) != 0) {
        throw std::runtime_error("the main window did not appear");
    }
    const auto activate = [&](std::size_t i) {
        std::ostringstream id;
        id << "0x" << std::hex << windows[i % windows.size()]->Id();
        rig.Xdotool({"windowactivate", "--sync", id.str()});
    };
    activate(0);
    int second = 0;
    std::size_t next = 1;
    const auto switching = [&] {
        if (switchEvery > 0 && ++second % switchEvery == 0) {
            activate(next++);
        }
    };

    // Hidden, the tick slows down over the first minute; measure after it.
    const int warmUp = shown ? 10 : 65;
    CpuWatch cpu(program->Pid());
    const CpuSample begin = cpu.Read();
    const CpuSample settled = cpu.ReadFor(std::chrono::seconds(warmUp));
    const auto before = cpu.Threads();
    const CpuSample end = cpu.ReadFor(std::chrono::seconds(seconds), switching);
    const auto percent = [](const CpuSample& a, const CpuSample& b, int s) {
        return 100.0 * static_cast<double>(b.Ns - a.Ns) / (static_cast<double>(s) * 1e9);
    };
    const std::string what = !shown && switchEvery > 0
                                 ? "hidden, a window to the front every " + std::to_string(switchEvery) + " s"
                             : shown && statWindow ? "shown with the statistics window on its text page"
                             : shown               ? "shown "
                                                   : "hidden";
    std::printf("CPU, main window %s, 20 timers, 50 windows: %.4f %% of a core over %d s "
                "(%.1f ms, %.2f wake-ups/s); first %d s: %.4f %%; VmRSS %s\n",
                what.c_str(),
                percent(settled, end, seconds),
                seconds,
                static_cast<double>(end.Ns - settled.Ns) / 1e6,
                static_cast<double>(end.Wakeups - settled.Wakeups) / seconds,
                warmUp,
                percent(begin, settled, warmUp),
                StatusField(program->Pid(), "VmRSS").c_str());
    for (const auto& [tid, thread] : cpu.Threads()) {
        const auto was = before.find(tid);
        const CpuSample start = was == before.end() ? CpuSample {} : was->second.Used;
        if (thread.Used.Ns != start.Ns) {
            std::printf("  thread %-16s %.1f ms, %.2f wake-ups/s\n",
                        thread.Name.c_str(),
                        static_cast<double>(thread.Used.Ns - start.Ns) / 1e6,
                        static_cast<double>(thread.Used.Wakeups - start.Wakeups) / seconds);
        }
    }
    Stop(*program);
}

} // namespace

int main(int argc, char** argv)
{
    int runs = 10;
    int cpuSeconds = 120;
    int switchEvery = 5;
    bool startup = true;
    bool cpu = true;
    bool statWindow = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--cpu-seconds" && i + 1 < argc) {
            cpuSeconds = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--switch-every" && i + 1 < argc) {
            switchEvery = std::max(0, std::atoi(argv[++i]));
        } else if (arg == "--write-data" && i + 2 < argc) {
            const std::size_t periods = std::strtoull(argv[i + 2], nullptr, 10);
            WriteData(argv[i + 1], true, periods);
            return 0;
        } else if (arg == "--program" && i + 1 < argc) {
            g_program = argv[++i];
        } else if (arg == "--no-startup") {
            startup = false;
        } else if (arg == "--no-cpu") {
            cpu = false;
        } else if (arg == "--stat-window") {
            statWindow = true;
        } else {
            std::fprintf(
                stderr,
                "usage: program_bench [--runs N] [--cpu-seconds S] [--switch-every S] [--no-startup] [--no-cpu] "
                "[--program FILE] [--stat-window]\n");
            return 2;
        }
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    try {
        if (startup) {
            PrintStartup("data file without timers", MeasureStartup(0, runs));
            PrintStartup("1 M periods", MeasureStartup(1'000'000, runs));
            // The statistics window's first opening: its part loaded and
            // the window filled (phases statistics-part, statistics-window).
            PrintStartup("1 M periods, statistics window left open on its figures", MeasureStartup(1'000'000, runs, 0));
            PrintStartup("1 M periods, statistics window left open on its chart", MeasureStartup(1'000'000, runs, 1));
        }
        if (cpu && statWindow) {
            MeasureCpu(true, cpuSeconds);
            MeasureCpu(true, cpuSeconds, 0, true);
        } else if (cpu) {
            MeasureCpu(true, cpuSeconds);
            MeasureCpu(false, cpuSeconds);
            if (switchEvery > 0) {
                MeasureCpu(false, cpuSeconds, switchEvery);
            }
        }
    } catch (const std::exception& e) {
        std::printf("program_bench skipped: %s\n", e.what());
    }
    return 0;
}
