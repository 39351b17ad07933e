// Wires the platform pieces, the core and the shell together.
#include "platform/logind/bus_connection.h"
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
#include "platform/wayland/gnome_shell_source.h"
#include "platform/wayland/session_wayland.h"
#include "shell/app/application.h"
#include "shell/app/command_line.h"
#include "shell/app/qt_platform.h"
#include "shell/app/startup_marks.h"
#include "shell/main_window/main_window.h"
#include "storage/settings_file.h"

#include <QApplication>
#include <QCursor>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QSystemTrayIcon>
#include <QTimer>

#include <clocale>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <locale>
#include <mutex>
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

// GNOME shows its windows to its extensions alone: where ours is there but
// not enabled, or not installed for this GNOME Shell while the program
// carries a copy, the user is asked, once per start, to have it enabled.
// `enabled` runs once the user had it enabled.
void OfferGnomeExtension(const std::filesystem::path& programFolder, std::function<void()> enabled)
{
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    if (desktop == nullptr || std::string(desktop).find("GNOME") == std::string::npos) {
        return;
    }
    tally::logind::OpenedBus bus
        = tally::logind::OpenBus(tally::logind::BusKind::Session, "", std::chrono::milliseconds(2000));
    if (!bus.Bus) {
        return;
    }
    const tally::GnomeShellFacts facts = tally::ReadGnomeShellFacts(bus.Bus.get());
    using State = tally::GnomeExtensionState;
    const std::string shipped = tally::ShippedGnomeExtension(programFolder.string(), facts.ShellMajor);
    const bool install = (facts.State == State::NotInstalled || facts.State == State::Failed) && !shipped.empty();
    if (!facts.ShellRuns || (facts.State != State::Disabled && !install)) {
        return;
    }
    const QString question
        = install ? QStringLiteral("Tallyhour Zide sees GNOME's windows through a GNOME Shell extension of its own, "
                                   "which is not installed for this GNOME Shell.\n\nCopy it into your extensions "
                                   "folder and enable it?")
                  : QStringLiteral("Tallyhour Zide sees GNOME's windows through a GNOME Shell extension of its own, "
                                   "which is installed but not enabled.\n\nEnable it?");
    auto* box = new QMessageBox(
        QMessageBox::Question, QStringLiteral("Tallyhour Zide"), question, QMessageBox::Yes | QMessageBox::No);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    // Gone with the program when nobody answered.
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, box, [box] { delete box; });
    QObject::connect(box, &QMessageBox::finished, [install, shipped, enabled](int answer) {
        if (answer != QMessageBox::Yes) {
            return;
        }
        std::string problem = install ? tally::InstallGnomeExtension(shipped) : std::string();
        if (problem.empty()) {
            problem = tally::EnableGnomeExtension("");
        }
        auto* told = new QMessageBox(
            problem.empty() ? QMessageBox::Information : QMessageBox::Warning,
            QStringLiteral("Tallyhour Zide"),
            !problem.empty() ? QString::fromStdString(problem)
            : install        ? QStringLiteral("The extension is enabled. GNOME on Wayland loads a newly installed "
                                              "extension only after the next log-in: log out and in again for "
                                              "Tallyhour Zide to see the windows.")
                             : QStringLiteral("The extension is enabled."));
        told->setAttribute(Qt::WA_DeleteOnClose);
        told->setWindowModality(Qt::NonModal);
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, told, [told] { delete told; });
        told->show();
        if (problem.empty()) {
            enabled();
        }
    });
    box->show();
}

} // namespace

int main(int argc, char** argv)
{
    tally::MarkStartup("main");
    if (const auto status = tally::AnswerCommandLine(argc, argv)) {
        return *status;
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
    // The display and the plugin named on the command line are the ones the
    // toolkit uses; the desktop's own connection must watch the same display.
    if (const auto display = tally::ToolkitOptionValue(argc, argv, "display")) {
        qputenv("DISPLAY", QByteArray::fromStdString(*display));
    }
    if (const auto platform = tally::ToolkitOptionValue(argc, argv, "platform")) {
        qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(*platform));
    }
    const tally::SessionEnvironment sessionEnv = tally::SessionEnvironment::FromProcess();
    if (const std::string platformProblem = tally::PrepareQtPlatform(sessionEnv); !platformProblem.empty()) {
        std::fprintf(stderr, "tallyhour-zide: %s\n", platformProblem.c_str());
        return 1;
    }
    QApplication app(argc, argv);
    tally::MarkStartup("toolkit");
    QApplication::setApplicationName(QStringLiteral("Tallyhour Zide"));
    QApplication::setQuitOnLastWindowClosed(false);
    UseUserLocale();

    const std::string programFile = tally::ProgramFilePath();
    const std::filesystem::path programFolder = std::filesystem::path(programFile).parent_path();
    const tally::UserDirs dirs = tally::UserDirs::FromEnvironment();

    tally::SystemClock clock;
    tally::LogindSessionWatcher session;
    // The compositor of a Wayland session, else the X server; without either
    // the program still runs, on a desktop that sees no windows and says so.
    tally::SessionDesktop desktop = tally::OpenAnySessionDesktop(&session, sessionEnv, [] {
        const QPoint pointer = QCursor::pos();
        return tally::ScreenPoint {pointer.x(), pointer.y()};
    });
    tally::MarkStartup("desktop");
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
    // Only where the desktop misses the extension (GNOME on Wayland). One
    // GNOME Shell already had starts at once: the rows' notices go with its
    // first list.
    if (!desktop.Desk->Sight().WindowsFix.empty()) {
        OfferGnomeExtension(programFolder, [&application, desk = desktop.Desk.get()] {
            auto* watch = new QTimer(&application);
            QObject::connect(watch, &QTimer::timeout, watch, [&application, desk, watch, left = 60]() mutable {
                const tally::DesktopSight sight = desk->Sight();
                if (!application.Ended() && !(sight == application.Window().Sight())) {
                    application.Window().SetDesktopSight(sight);
                    application.Window().Draw();
                }
                if (application.Ended() || sight.WindowsFix.empty() || --left == 0) {
                    watch->deleteLater();
                    watch->stop();
                }
            });
            watch->start(1000);
        });
    }
    return QApplication::exec();
}
