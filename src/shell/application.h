#pragma once

#include "model/time_model.h"
#include "runlog/brisvale_log.h"
#include "storage/data_file.h"
#include "storage/options.h"
#include "tracking/inet_checker.h"
#include "tracking/tracking_engine.h"
#include "tracking/tracking_state.h"

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <string>
#include <vector>

class QSocketNotifier;

namespace tally {

class AutoStart;
class ClickSound;
class Clock;
class Desktop;
class FileSystem;
class MainWindow;
class ProjectsController;
class SessionWatcher;
class SettingsStore;
class StatController;
class SystemProxy;
class BackgroundThreads;
class HttpGetter;
class TFormAbout;
class TFormHint;
class TFormNewTimer;
class TrayIcon;

// What the program runs on: the platform pieces, chosen by main.
struct AppEnvironment
{
    std::string InstallPath; // with a trailing separator
    std::string ProgramFile;
    const Clock* SysClock = nullptr;
    Desktop* Desk = nullptr;
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
};

// The program's life: start-up, the periodic timers, the windows' commands
// and the orderly shutdown. Owns the model, the run log and the windows.
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
    bool Ended() const { return m_shutDown; }
    int ExitCode() const { return m_exitCode; }

    TimeModel& Model() { return m_model; }
    TBrisvaleLog& Log() { return m_log; }
    MainWindow& Window() { return *m_window; }
    TFormHint& Hint() { return *m_hint; }
    TrackingEngine& Engine() { return *m_engine; }
    DataFile& Data() { return *m_data; }
    ProjectsController& Projects() { return *m_projects; }
    StatController& Stat() { return *m_stat; }
    const IniOptions& Options() const { return m_options; }
    bool ShutDown() const { return m_shutDown; }

    // Every error no handler caught: logged, a socket time-out dropped,
    // anything else shown without blocking tracking.
    void ApplicationEvents1Exception(const std::string& message);
    // Where messages for the user go (a tray message by default).
    std::function<void(const QString& title, const QString& text)> ShowMessage;

    QTimer TimUpdate;
    QTimer TimTBar;
    QTimer TimHint;
    QTimer TimAutoSave;
    QTimer TimInet;

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
    void WatchDescriptors();
    void actOpenExecute();
    void actNewTimerExecute();
    void actPropertiesExecute(TMyTimer* timer);
    // A timer dialog asked for while one is open: the open one is released
    // (cancelled) and `next` opens the new one once it is gone.
    void ReplaceTimerDialog(std::function<void()> next);
    void OpenNextTimerDialog();
    void HideHint();
    // Where the program file lies (the manual is installed beside it).
    std::string ProgramFolder() const;
    void OnOptionToggled(MenuOption item, bool checked);
    void OnTimHint();
    void UpdateHintTimer();
    void OnListMouseMove(QPoint listPos, QPoint globalPos);
    void SafeSaveReported();
    void PlayClick();
    ClickSound& ClickSoundReady();
    void OpenTimeLog(TMyTimer& timer, QWidget* parent);
    // The file chooser and the running-applications picker of a timer dialog.
    void ConnectPickers(TFormNewTimer& dialog);
    std::vector<std::string> RunningCaptions();
    TDateTime Now() const;
    // Runs a window command; an error goes to the application-wide handler.
    template <typename F>
    void Guarded(F&& f);

    AppEnvironment m_env;
    TimeModel m_model;
    TBrisvaleLog m_log;
    IniOptions m_options;
    TrackingState m_state;
    std::unique_ptr<InetChecker> m_inet;
    std::unique_ptr<TrackingEngine> m_engine;
    std::unique_ptr<DataFile> m_data;
    std::unique_ptr<MainWindow> m_window;
    // Projects window (issue 16): after the main window, so it goes first.
    std::unique_ptr<ProjectsController> m_projects;
    // Statistics window: after the projects window, whose hooks it sets.
    std::unique_ptr<StatController> m_stat;
    std::unique_ptr<TFormHint> m_hint;
    std::unique_ptr<TrayIcon> m_tray;
    std::unique_ptr<ClickSound> m_click;
    QPointer<TFormAbout> m_about;
    std::vector<QSocketNotifier*> m_notifiers;
    // The hint timer runs while the window is shown, unless a menu stopped
    // it until the pointer next moves over the list.
    bool m_hintTimerWanted = true;
    bool m_nameEdited = false;
    bool m_timerDialogOpen = false;
    QPointer<QDialog> m_timerDialog;
    std::function<void()> m_nextTimerDialog;
    bool m_shutDown = false;
    int m_exitCode = 0;
};

} // namespace tally
