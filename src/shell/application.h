#pragma once

#include "model/time_model.h"
#include "runlog/brisvale_log.h"
#include "storage/data_file.h"
#include "storage/options.h"
#include "tracking/inet_checker.h"
#include "tracking/tracking_engine.h"
#include "tracking/tracking_state.h"

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
class MainWindow;
class SessionWatcher;
class SettingsStore;
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

    // FormCreate then Init.
    void Start();
    // The orderly shutdown; runs once, whoever asks first.
    void FormCloseQuery();

    TimeModel& Model() { return m_model; }
    TBrisvaleLog& Log() { return m_log; }
    MainWindow& Window() { return *m_window; }
    TrackingEngine& Engine() { return *m_engine; }
    DataFile& Data() { return *m_data; }
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
    void FormCreate();
    void Init();
    void ConnectWindow();
    void WatchDescriptors();
    void actOpenExecute();
    void actNewTimerExecute();
    void actPropertiesExecute(TMyTimer* timer);
    void OnOptionToggled(MenuOption item, bool checked);
    void OnTimHint();
    void UpdateHintTimer();
    void OnListMouseMove(QPoint listPos, QPoint globalPos);
    void SafeSaveReported();
    void PlayClick();
    ClickSound& ClickSoundReady();
    void OpenTimeLog(TMyTimer& timer);
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
    bool m_shutDown = false;
};

} // namespace tally
