#pragma once

#include "model/time_model.h"
#include "platform/system/no_session_watcher.h"
#include "runlog/brisvale_log.h"
#include "shell/app/error_reporter.h"
#include "shell/common/shutdown_flag.h"
#include "shell/statistics/statistics_part.h"
#include "storage/data_file.h"
#include "storage/options.h"
#include "tracking/inet_checker.h"
#include "tracking/tracking_engine.h"
#include "tracking/tracking_state.h"

#include <QObject>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QSocketNotifier;

namespace tally {

class AutoStart;
class Clock;
class Desktop;
class FileSystem;
class MainWindow;
class ProjectsController;
class SessionWatcher;
class SettingsStore;
class SharingCommands;
class StatisticsLoader;
class SystemProxy;
class BackgroundThreads;
class HttpGetter;
class HintPlacer;
class TFormHint;
class TickDriver;
class TimerCommands;
class TrayIcon;
class WindowCommands;

// What the program runs on: the platform pieces, chosen by main.
struct AppEnvironment
{
    std::string InstallPath; // with a trailing separator
    std::string ProgramFile;
    const Clock* SysClock = nullptr;
    Desktop* Desk = nullptr;
    std::string DesktopNote; // for the run log: which desktop was chosen and why
    // Whether the desktop shows tray icons; empty: taken to show them.
    std::function<bool()> TrayAvailable;
    SessionWatcher* Session = nullptr; // may be null
    AutoStart* AutoRun = nullptr;
    SystemProxy* Proxy = nullptr;
    BackgroundThreads* Threads = nullptr;
    FileSystem* Files = nullptr;
    std::shared_ptr<HttpGetter> Http;
    std::unique_ptr<SettingsStore> Settings;
    std::string ProbeUrl = std::string(kDefaultProbeUrl);
    // The loading window's display time (tests shorten it).
    int SplashMs = 3000;
    // Makes the statistics window's part; empty: it is loaded from its
    // module when the window is first asked for.
    StatisticsFactory Statistics;
};

// The program's life: start-up and the orderly shutdown. Owns the model, the
// run log, the windows and the shell's parts (the tick's driver, the hint's
// placer, the timer and window commands, the error reporter).
class Application : public QObject
{
    Q_OBJECT

public:
    explicit Application(AppEnvironment env);
    ~Application() override;

    // FormCreate then Init. When start-up ends the program (a signal during
    // the splash, a data file it may not read) Ended() is true on return and
    // the main loop must not start.
    void Start();
    // The orderly shutdown; runs once, whoever asks first, from any state:
    // an open dialog is closed as cancelled first, and afterwards nothing
    // saves and nothing reads the released lists.
    void FormCloseQuery();
    // The orderly shutdown, then every event loop (nested ones, the splash's,
    // the main one) ends; a main loop that has not started will not start.
    void EndProgram(int exitCode = 0);
    // The session manager asks for the data to be safe before a logout that
    // may still be cancelled: save, release nothing.
    void SaveForSession();
    bool Ended() const { return m_shutDown.Begun(); }
    int ExitCode() const { return m_exitCode; }

    TimeModel& Model() { return m_model; }
    TBrisvaleLog& Log() { return m_log; }
    MainWindow& Window() { return *m_window; }
    TFormHint& Hint();
    HintPlacer& Hints() { return *m_hints; }
    TickDriver& Ticks() { return *m_ticks; }
    TimerCommands& Commands() { return *m_commands; }
    ErrorReporter& Errors() { return m_errors; }
    TrackingEngine& Engine() { return *m_engine; }
    DataFile& Data() { return *m_data; }
    ProjectsController& Projects() { return *m_projects; }
    // The statistics window's part, made on the first call; null (the
    // reason logged) where it cannot be loaded.
    StatisticsPart* Statistics();
    // Null until the statistics window was first asked for.
    StatisticsPart* LoadedStatistics() const { return m_stat.get(); }
    SharingCommands& Sharing() { return *m_sharing; }
    const IniOptions& Options() const { return m_options; }
    bool ShutDown() const { return m_shutDown.Begun(); }

    // Every error no handler caught (see ErrorReporter).
    void ApplicationEvents1Exception(const std::string& message) { m_errors.ApplicationEvents1Exception(message); }

private:
    // The data folder exists or is created; false (the user told) when not.
    bool PrepareDataFolder();
    void FormCreate();
    void Init();
    // Start-up cannot go on: the user is told why, nothing is saved, and the
    // program ends with a failure status.
    void StartupFailure(const QString& text);
    void CloseOpenDialogs();
    void ConnectWindow();
    SideWindowParts SideParts();
    // "Show statistic" where the statistics part cannot be loaded.
    void TellStatisticsMissing();
    void WatchDescriptors();
    TDateTime Now() const;
    SessionWatcher& Session();

    AppEnvironment m_env;
    NoSessionWatcher m_noSession;
    TimeModel m_model;
    TBrisvaleLog m_log;
    ErrorReporter m_errors {m_log};
    IniOptions m_options;
    TrackingState m_state;
    std::unique_ptr<InetChecker> m_inet;
    std::unique_ptr<TrackingEngine> m_engine;
    std::unique_ptr<DataFile> m_data;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<HintPlacer> m_hints;
    std::unique_ptr<TickDriver> m_ticks;
    std::unique_ptr<TimerCommands> m_commands;
    std::unique_ptr<WindowCommands> m_windowCommands;
    // Projects window: after the main window, so it goes first.
    std::unique_ptr<ProjectsController> m_projects;
    // Statistics window: after the projects window, whose hooks it sets;
    // made when first asked for.
    std::unique_ptr<StatisticsLoader> m_statLoader;
    std::unique_ptr<StatisticsPart> m_stat;
    std::unique_ptr<SharingCommands> m_sharing;
    std::unique_ptr<TrayIcon> m_tray;
    std::vector<QSocketNotifier*> m_notifiers;
    // Read by the parts: once set, no dialog's caller touches the lists.
    ShutdownFlag m_shutDown;
    int m_exitCode = 0;
};

} // namespace tally
