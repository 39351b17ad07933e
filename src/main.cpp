// Wires the platform pieces, the core and the shell together.
#include "model/version.h"
#include "platform/logind/logind_session_watcher.h"
#include "platform/net/curl_http_getter.h"
#include "platform/system/data_dir.h"
#include "platform/system/idle_threads.h"
#include "platform/system/no_system_proxy.h"
#include "platform/system/posix_file_system.h"
#include "platform/system/single_instance.h"
#include "platform/system/system_clock.h"
#include "platform/system/user_dirs.h"
#include "platform/system/xdg_autostart.h"
#include "platform/x11/session_desktop.h"
#include "shell/application.h"
#include "shell/qt_platform.h"
#include "storage/settings_file.h"

#include <QApplication>
#include <QCursor>
#include <QSocketNotifier>
#include <QSystemTrayIcon>

#include <algorithm>
#include <array>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <locale>
#include <mutex>
#include <string_view>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char byte = 1;
    // Only async-signal-safe work here; the event loop does the rest.
    [[maybe_unused]] auto ignored = ::write(g_signalPipe[1], &byte, 1);
}

void UseUserLocale()
{
    std::setlocale(LC_ALL, "");
    try {
        std::locale::global(std::locale(""));
    } catch (const std::exception&) {
        // An unknown locale name in the environment: keep the classic one.
    }
}

// libcurl sets up its TLS library when it starts, which costs start-up time
// and resident memory; most users have no internet timer, so it starts with
// the first probe (on the probe's thread; libcurl's set-up is thread-safe).
class LazyHttpGetter final : public tally::HttpGetter
{
public:
    std::string StatusLine(const tally::HttpRequest& request, const std::atomic<bool>& stop) override
    {
        std::call_once(m_once, [this] { m_getter = std::make_unique<tally::CurlHttpGetter>(); });
        return m_getter->StatusLine(request, stop);
    }

private:
    std::once_flag m_once;
    std::unique_ptr<tally::CurlHttpGetter> m_getter;
};

constexpr const char* kProgramName = "tallyhour-zide";

// The toolkit's own options that this program passes on to it, and whether
// each takes a value. Anything else is refused before the toolkit sees it,
// so that a mistyped option is reported instead of silently ignored.
struct ToolkitOption
{
    std::string_view Name;
    bool TakesValue;
};

constexpr std::array kToolkitOptions {
    ToolkitOption {"platform", true},
    ToolkitOption {"platformtheme", true},
    ToolkitOption {"plugin", true},
    ToolkitOption {"display", true},
    ToolkitOption {"session", true}, // the session manager restarts the program with it
    ToolkitOption {"style", true},
    ToolkitOption {"stylesheet", true},
    ToolkitOption {"qwindowgeometry", true},
    ToolkitOption {"qwindowtitle", true},
    ToolkitOption {"reverse", false},
    ToolkitOption {"sync", false},
    ToolkitOption {"nograb", false},
    ToolkitOption {"dograb", false},
};

void PrintUsage(std::ostream& out)
{
    out << "Usage: " << kProgramName << " [OPTION]...\n"
        << "Tallyhour Zide, a time tracker that lives in the notification area.\n"
           "\n"
           "  -h, --help             print this help and end\n"
           "      --version          print the version and end\n"
           "\n"
           "Options of the windowing toolkit, passed on to it (one or two leading dashes):\n"
           "  -platform NAME, -platformtheme NAME, -plugin NAME, -display NAME,\n"
           "  -session ID, -style NAME (or -style=NAME), -stylesheet FILE (or -stylesheet=FILE),\n"
           "  -qwindowgeometry GEOMETRY, -qwindowtitle TITLE, -reverse, -sync, -nograb, -dograb\n"
           "\n"
           "The timers, the settings and the run log live in $XDG_DATA_HOME/tallyhour-zide/\n"
           "(by default ~/.local/share/tallyhour-zide/), or beside the program when a file named\n"
           "\"portable\" (or a timers.dat or tallyhourlite.ini) is there. TALLYHOUR_DATA_DIR names\n"
           "another folder.\n";
}

enum class CommandLineAction { Run, Help, Version, Refuse };

// Reads the command line before the toolkit starts, so that --help and
// --version work without a display; on Refuse, problem says why.
CommandLineAction ReadCommandLine(int argc, char** argv, std::string& problem)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            return CommandLineAction::Help;
        }
        if (arg == "--version") {
            return CommandLineAction::Version;
        }
        if (arg.size() < 2 || arg[0] != '-') {
            problem = "unexpected argument '" + std::string(arg) + "'";
            return CommandLineAction::Refuse;
        }
        std::string_view name = arg.substr(arg.starts_with("--") ? 2 : 1);
        const auto equals = name.find('=');
        const bool inlineValue = equals != std::string_view::npos;
        if (inlineValue) {
            name = name.substr(0, equals);
        }
        const auto* option = std::find_if(
            kToolkitOptions.begin(), kToolkitOptions.end(), [&](const ToolkitOption& o) { return o.Name == name; });
        // The toolkit reads "=value" only for the style options.
        const bool equalsAllowed = name == "style" || name == "stylesheet";
        if (option == kToolkitOptions.end() || (inlineValue && !equalsAllowed)) {
            problem = "unknown option '" + std::string(arg) + "'";
            return CommandLineAction::Refuse;
        }
        if (option->TakesValue && !inlineValue) {
            if (i + 1 >= argc) {
                problem = "option '" + std::string(arg) + "' needs a value";
                return CommandLineAction::Refuse;
            }
            ++i;
        }
    }
    return CommandLineAction::Run;
}

} // namespace

int main(int argc, char** argv)
{
    std::string problem;
    switch (ReadCommandLine(argc, argv, problem)) {
        case CommandLineAction::Help:
            PrintUsage(std::cout);
            return std::cout.flush() ? 0 : 1;
        case CommandLineAction::Version:
            std::cout << kProgramName << " " << tally::kProgramVersion << "\n";
            return std::cout.flush() ? 0 : 1;
        case CommandLineAction::Refuse:
            std::cerr << kProgramName << ": " << problem << "\n";
            PrintUsage(std::cerr);
            return 2;
        case CommandLineAction::Run:
            break;
    }
    // A peer that goes away (the X server, a web server) must give an error
    // on the write, not end the program.
    std::signal(SIGPIPE, SIG_IGN);
    tally::SingleInstanceLock instance(tally::SingleInstanceLock::DefaultLockFile());
    if (!instance.Acquired()) {
        return 0;
    }
    // Qt's own event loop wakes with fewer system calls than the GLib one,
    // and nothing here needs GLib's (no GTK dialogs, no GLib sources).
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB")) {
        qputenv("QT_NO_GLIB", "1");
    }
    // The window repaints a few lines of text each second. Sent with the
    // request, those pixels cost less than shared memory does: the server
    // must be done reading a shared segment before it is painted again,
    // a round trip (and two thread wake-ups) per repaint.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) {
        qputenv("QT_XCB_NO_MITSHM", "1");
    }
    // Qt aborts when its display plugin cannot start; a missing plugin or a
    // missing display is told in words instead.
    const tally::SessionEnvironment sessionEnv = tally::SessionEnvironment::FromProcess();
    if (const std::string platformProblem = tally::PrepareQtPlatform(sessionEnv); !platformProblem.empty()) {
        std::fprintf(stderr, "tallyhour-zide: %s\n", platformProblem.c_str());
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tallyhour Zide"));
    QApplication::setQuitOnLastWindowClosed(false);
    UseUserLocale();

    const std::string programFile = tally::ProgramFilePath();
    const std::filesystem::path programFolder = std::filesystem::path(programFile).parent_path();
    const tally::UserDirs dirs = tally::UserDirs::FromEnvironment();

    tally::SystemClock clock;
    tally::LogindSessionWatcher session;
    // Without an X server (a Wayland session) the program still runs, on a
    // desktop that sees no windows and says so.
    tally::SessionDesktop desktop = tally::OpenSessionDesktop(&session, sessionEnv, [] {
        const QPoint pointer = QCursor::pos();
        return tally::ScreenPoint {pointer.x(), pointer.y()};
    });
    tally::XdgAutoStart autoStart(programFile, dirs);
    tally::NoSystemProxy proxy;
    tally::IdleThreads threads;

    tally::AppEnvironment env;
    // A data folder named in the environment wins (several profiles, tests).
    const char* dataDir = std::getenv("TALLYHOUR_DATA_DIR");
    env.InstallPath = tally::ChooseInstallPath(programFolder, dirs, dataDir != nullptr ? dataDir : "");
    env.ProgramFile = programFile;
    env.SysClock = &clock;
    env.Desk = desktop.Desk.get();
    env.DesktopNote = desktop.Note;
    env.TrayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
    env.Session = &session;
    env.AutoRun = &autoStart;
    env.Proxy = &proxy;
    env.Threads = &threads;
    env.Files = &tally::SystemFiles();
    env.Http = std::make_shared<LazyHttpGetter>();
    env.Settings = std::make_unique<tally::IniSettings>(tally::SystemFiles(), tally::SettingsFilePath(env.InstallPath));
    if (const char* url = std::getenv("TALLYHOUR_PROBE_URL")) {
        env.ProbeUrl = url;
    }

    tally::Application application(std::move(env));

    // Logging out, SIGTERM, SIGINT and SIGHUP all end the same orderly way.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) == 0) {
        auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, [&] {
            char byte = 0;
            [[maybe_unused]] auto ignored = ::read(g_signalPipe[0], &byte, 1);
            application.EndProgram();
        });
        for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
            std::signal(sig, OnSignal);
        }
    }
    // A logout may still be cancelled: the data are saved, nothing released;
    // the end of the session itself comes as a signal or the quit below.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app, [&] { application.SaveForSession(); });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &app, [&] { application.FormCloseQuery(); });

    application.Start();
    if (application.Ended()) {
        return application.ExitCode();
    }
    return QApplication::exec();
}
