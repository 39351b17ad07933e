// Wires the Windows platform pieces, the core and the shell together.
#include "platform/system/idle_threads.h"
#include "platform/system/system_clock.h"
#include "platform/win32/main_window.h"
#include "platform/win32/registry.h"
#include "platform/win32/startup.h"
#include "platform/win32/version_info.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/winhttp_getter.h"
#include "shell/app/application.h"
#include "shell/app/command_line.h"
#include "storage/settings_file.h"

#include <windows.h>

#include <QApplication>
#include <QSystemTrayIcon>

#include <clocale>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <locale>
#include <string>
#include <system_error>

namespace {

void UseUserLocale()
{
    std::setlocale(LC_ALL, "");
    try {
        std::locale::global(std::locale(""));
    } catch (const std::exception&) {
        // A locale the C++ library does not know: keep the classic one.
    }
}

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

int Run(int argc, char** argv)
{
    if (const auto status = tally::AnswerCommandLine(argc, argv, [] { tally::UseParentConsole(); })) {
        return *status;
    }
    // A second start ends at once; the running instance carries on.
    tally::SingleInstance instance;
    if (!instance.Acquired()) {
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tallyhour Zide"));
    QApplication::setQuitOnLastWindowClosed(false);
    UseUserLocale();

    const std::string programFile = tally::ProgramFilePath();
    const std::filesystem::path programFolder = std::filesystem::path(programFile).parent_path();

    // The hidden window a second start finds, where the keyboard library and
    // Windows send their notices; Qt's event loop dispatches its messages.
    tally::HiddenMainWindow mainWindow;
    tally::SystemClock clock;
    tally::Win32SessionWatcher session(mainWindow);
    // The keyboard library beside the program, named in full so that no
    // library of the same name in the current folder is loaded instead.
    tally::Win32Desktop desktop(mainWindow, (programFolder / tally::kKeyboardHookLibrary).string());
    tally::RegistryAutoStart autoStart(programFile);
    tally::RegistrySystemProxy proxy;
    tally::IdleThreads threads;
    static tally::Win32FileSystem files;

    tally::AppEnvironment env;
    // A data folder named in the environment wins (several profiles, tests).
    env.InstallPath = tally::ChooseWindowsInstallPath(
        programFolder, Environment("LOCALAPPDATA"), Environment("APPDATA"), Environment("TALLYHOUR_DATA_DIR"));
    env.ProgramFile = programFile;
    env.SysClock = &clock;
    env.Desk = &desktop;
    env.DesktopNote = "Windows desktop";
    env.TrayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
    env.Session = &session;
    env.AutoRun = &autoStart;
    env.Proxy = &proxy;
    env.Threads = &threads;
    env.Files = &files;
    env.Http = std::make_shared<tally::WinHttpGetter>();
    env.Settings = std::make_unique<tally::IniSettings>(files, tally::SettingsFilePath(env.InstallPath));
    env.Statistics = tally::MakeStatistics;
    if (const std::string url = Environment("TALLYHOUR_PROBE_URL"); !url.empty()) {
        env.ProbeUrl = url;
    }

    tally::Application application(std::move(env));

    // Windows asks before the session ends (the data are saved, nothing
    // released, since the end may still be cancelled); the end itself
    // quits the loop.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app, [&] { application.SaveForSession(); });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &app, [&] { application.FormCloseQuery(); });

    application.Start();
    if (application.Ended()) {
        return application.ExitCode();
    }
    return QApplication::exec();
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return Run(argc, argv);
    } catch (const std::system_error& error) {
        // The hidden window or a thread could not be made: nothing can run.
        const std::string text = std::string("Tallyhour Zide cannot start: ") + error.what();
        ::MessageBoxA(nullptr, text.c_str(), "Tallyhour Zide", MB_OK | MB_ICONERROR);
        return 1;
    }
}
