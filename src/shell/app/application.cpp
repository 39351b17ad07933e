#include "shell/app/application.h"

#include "model/datetime.h"
#include "model/project_ops.h"
#include "model/settings_store.h"
#include "model/version.h"
#include "platform/autostart.h"
#include "platform/desktop.h"
#include "platform/session_watcher.h"
#include "shell/app/sharing_commands.h"
#include "shell/app/splash_about.h"
#include "shell/app/startup_marks.h"
#include "shell/app/statistics_loader.h"
#include "shell/app/tick_driver.h"
#include "shell/app/tray.h"
#include "shell/main_window/hint_placer.h"
#include "shell/main_window/main_window.h"
#include "shell/main_window/timer_commands.h"
#include "shell/main_window/timer_list_view.h"
#include "shell/main_window/window_commands.h"
#include "shell/projects/projects_controller.h"
#include "storage/storage_error.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <set>

namespace tally {

Application::Application(AppEnvironment env)
    : m_env(std::move(env))
    , m_log(*m_env.SysClock)
{
    // A settings file that cannot be written must not stop the program: it
    // runs on with what it read and the user's changes for this run.
    m_env.Settings = std::make_unique<KeptSettings>(std::move(m_env.Settings), [this](const std::string& error) {
        m_log.WriteLine(0, "Error: " + error);
        m_errors.Tell(QStringLiteral("Tallyhour Zide"),
                      QStringLiteral("%1. Settings changed now will not be kept after the program ends.")
                          .arg(QString::fromStdString(error)));
    });
    m_errors.ShowMessage = [this](const QString& title, const QString& text) {
        if (m_tray && QSystemTrayIcon::isSystemTrayAvailable()) {
            m_tray->showMessage(title, text, QSystemTrayIcon::Warning);
        } else {
            // Not modal: tracking goes on while the message is up.
            auto* box = new QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok);
            box->setAttribute(Qt::WA_DeleteOnClose);
            box->setModal(false);
            box->show();
        }
    };
}

Application::~Application()
{
    FormCloseQuery();
}

TDateTime Application::Now() const
{
    return m_env.SysClock->Now();
}

SessionWatcher& Application::Session()
{
    return m_env.Session != nullptr ? *m_env.Session : m_noSession;
}

TFormHint& Application::Hint()
{
    return m_hints->Hint();
}

void Application::Start()
{
    if (!PrepareDataFolder()) {
        return;
    }
    FormCreate();
    Init();
}

bool Application::PrepareDataFolder()
{
    const std::filesystem::path folder(m_env.InstallPath);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!error && !std::filesystem::is_directory(folder, error) && !error) {
        error = std::make_error_code(std::errc::not_a_directory);
    }
    if (!error) {
        return true;
    }
    StartupFailure(QStringLiteral("The data folder %1 cannot be created: %2. Tallyhour Zide keeps your timers "
                                  "there, so it ends now. Create the folder (or set TALLYHOUR_DATA_DIR to one you "
                                  "may write to) and start the program again.")
                       .arg(QString::fromStdString(m_env.InstallPath), QString::fromStdString(error.message())));
    return false;
}

void Application::StartupFailure(const QString& text)
{
    m_log.WriteLine(0, "Error: " + text.toStdString());
    std::fprintf(stderr, "tallyhour-zide: %s\n", text.toLocal8Bit().constData());
    m_shutDown.Begin();
    m_exitCode = 1;
    if (m_data) {
        m_data->Release();
    }
    QMessageBox::critical(nullptr, QStringLiteral("Tallyhour Zide"), text);
}

void Application::FormCreate()
{
    // Settings first: they switch the run log on or off.
    LoadIni(*m_env.Settings, m_log, m_options);
    m_log.SetLogFileName(m_env.InstallPath + "log.txt");
    // Room for a few minutes of ticks at the higher detail levels; the
    // log's own 1 KiB would drop the start-up lines within a minute.
    m_log.SetMaxSize(20);
    m_log.SetExecFileName(m_env.ProgramFile);
    m_log.WriteLine(0, StartupHeader(kProgramVersion, m_log.LogDetail()));
    m_log.WriteLine(0, "Installpath:" + m_env.InstallPath);
    if (!m_env.DesktopNote.empty()) {
        m_log.WriteLine(0, "Desktop: " + m_env.DesktopNote);
    }
    m_log.WriteLine(0, "CreateGlobalObjects");
    CreatePrjDefObjs(m_model, m_log);

    m_state.IdleIntervalSec = m_options.IdleIntervalSec;
    m_state.MaxKeyIntervalMs = m_options.MaxKeyIntervalMs;

    InetChecker::Options probe;
    probe.Url = m_env.ProbeUrl;
    m_inet = std::make_unique<InetChecker>(
        m_log,
        m_env.Http,
        *m_env.Threads,
        [this](std::function<void()> f) { QMetaObject::invokeMethod(this, std::move(f), Qt::QueuedConnection); },
        probe);
    m_engine = std::make_unique<TrackingEngine>(
        m_model.Timers, m_state, *m_env.Desk, Session(), *m_inet, *m_env.SysClock, m_log);
    m_data = std::make_unique<DataFile>(
        m_model, m_log, *m_env.SysClock, *m_env.Files, DataFilePaths::InDirectory(m_env.InstallPath));

    m_window = std::make_unique<MainWindow>(m_model, m_log, [this] { return Now(); });
    m_window->SetDesktopSight(m_env.Desk->Sight());
    m_hints = std::make_unique<HintPlacer>(*m_window, m_log, Session(), m_state, m_shutDown);
    m_ticks = std::make_unique<TickDriver>(*m_engine, *m_inet, *m_data, *m_window, *m_hints, m_errors);
    m_commands = std::make_unique<TimerCommands>(TimerCommands::Parts {.Model = m_model,
                                                                       .Log = m_log,
                                                                       .Engine = *m_engine,
                                                                       .Data = *m_data,
                                                                       .Window = *m_window,
                                                                       .Hint = *m_hints,
                                                                       .Errors = m_errors,
                                                                       .Desk = *m_env.Desk,
                                                                       .SysClock = *m_env.SysClock,
                                                                       .ShutDown = m_shutDown});
    m_windowCommands = std::make_unique<WindowCommands>(WindowCommands::Env {*m_window,
                                                                             m_log,
                                                                             m_state,
                                                                             *m_hints,
                                                                             *m_ticks,
                                                                             *m_commands,
                                                                             *m_env.Settings,
                                                                             *m_env.AutoRun,
                                                                             m_errors,
                                                                             m_env.ProgramFile,
                                                                             m_env.InstallPath,
                                                                             m_shutDown});
    m_tray = std::make_unique<TrayIcon>(*m_window, m_log);
    m_data->SetOnClear([this] { m_window->List().SetTimers({}); });
    ConnectWindow();
    MarkStartup("windows");

    // Satellite windows: the projects window now, the statistics window
    // (which sets the projects window's hooks) when first asked for.
    m_projects = std::make_unique<ProjectsController>(ProjectsEnv {SideParts(),
                                                                   m_model,
                                                                   *m_window,
                                                                   *m_engine,
                                                                   [this] { m_errors.SaveReported(*m_data); },
                                                                   [this] { return Now(); },
                                                                   [this] { m_commands->PlayClick(); }});
    m_statLoader = std::make_unique<StatisticsLoader>(m_env.Statistics, m_env.ProgramFile);
    connect(m_window.get(), &MainWindow::showHideStatRequested, this, [this] {
        if (StatisticsPart* part = Statistics()) {
            part->ToggleWindow();
        } else if (!m_statLoader->Problem().isEmpty()) {
            TellStatisticsMissing();
        }
    });
    m_ticks->StatisticsStale = [this] {
        if (m_stat) {
            m_stat->TimersStopped();
        }
    };
    // The shared copy is armed here and again whenever the menu changes it.
    m_sharing = std::make_unique<SharingCommands>(
        SharingCommands::Env {*m_window, m_log, *m_env.Settings, *m_data, m_errors});
    m_sharing->Changed = [this] {
        if (m_stat) {
            m_stat->SharingChanged();
        }
    };
    m_sharing->Apply();
}

void Application::Init()
{
    m_log.WriteLine(0, "Init->");
    m_errors.Guarded([this] { UpdateLastRunDate(*m_env.Settings, m_log, Now()); });

    LoadResult loaded;
    try {
        loaded = m_data->Load(m_data->Paths().DataFile);
    } catch (const DataFileError& e) {
        // Not damage but access: tracking into an empty list would let the
        // next save replace the user's file, so the program ends untouched.
        StartupFailure(QStringLiteral("The data file cannot be read: %1. Tallyhour Zide ends without changing it, "
                                      "so that your timers are not replaced by an empty list. Make the file "
                                      "readable for you (or move it away to start afresh) and start the program "
                                      "again.")
                           .arg(QString::fromStdString(e.what())));
        return;
    }
    if (loaded.State == LoadResult::Status::Invalid) {
        QString text = QStringLiteral("The data file could not be read completely: %1.")
                           .arg(QString::fromStdString(loaded.Error));
        if (!loaded.InvalidCopyPath.empty()) {
            text += QStringLiteral(" A copy of it was kept in %1.").arg(QString::fromStdString(loaded.InvalidCopyPath));
        }
        m_errors.Tell(QStringLiteral("Tallyhour Zide"), text);
    }
    m_window->Draw();
    MarkStartup("data");

    const AutoSaveTimer& autoSave = m_data->SetAutoSave(m_options.AutoSaveInterval);
    if (autoSave.Enabled) {
        m_ticks->StartAutoSave(autoSave.IntervalMs);
    }
    ApplyAutoStart(*m_env.AutoRun, m_options.AutoRun, m_log);
    m_inet->SetupProxy(*m_env.Settings, *m_env.Proxy);

    m_window->SetOptionChecked(MenuOption::AutoRun, m_options.AutoRun);
    m_window->SetOptionChecked(MenuOption::SoundOn, m_options.SoundOn);
    m_window->SetOptionChecked(MenuOption::ShowSplash, m_options.SplashOn);
    m_window->SetOptionChecked(MenuOption::ShowHints, m_options.ShowHints);
    m_window->SetOptionChecked(MenuOption::ShowTodayTime, m_options.ShowTodayTime);
    m_window->SetOptionChecked(MenuOption::ShowColor, m_options.ShowColor);

    if (m_options.SplashOn) {
        TFormSplash splash(QString::fromLatin1(kProgramVersion));
        splash.show();
        QEventLoop wait;
        QTimer::singleShot(m_env.SplashMs, &wait, &QEventLoop::quit);
        wait.exec(QEventLoop::ExcludeUserInputEvents);
        // The session may have ended while the splash was up.
        if (m_shutDown.Begun()) {
            return;
        }
    }
    m_tray->show();
    MarkStartup("tray");
    if (m_options.FirstLaunch) {
        m_log.WriteLine(0, "FirstLaunch");
        m_windowCommands->actOpenExecute();
    } else if (m_env.TrayAvailable && !m_env.TrayAvailable()) {
        // Without a tray icon the window is the only way in (many Wayland
        // desktops show no tray).
        m_log.WriteLine(0, "NoTray");
        m_window->KeepInTaskbar();
        m_windowCommands->actOpenExecute();
    }
    if (m_options.ProjectsVisible) {
        m_log.WriteLine(0, "ProjectsVisible");
        m_errors.Guarded([this] { m_projects->actShowHideProjectsExecute(); });
    }
    if (m_options.StatVisible) {
        m_log.WriteLine(0, "StatVisible");
        // --- Statistics window: opened as it was left ---
        // Without its part the program starts all the same; the run log
        // says why, and the user is told when asking for the window.
        if (StatisticsPart* part = Statistics()) {
            MarkStartup("statistics-part");
            m_errors.Guarded([part] { part->actShowHideStatExecute(); });
            MarkStartup("statistics-window");
        }
    }

    m_state.LastKeyTick = m_env.SysClock->TickMs();
    m_engine->InstallKeyboardHook();
    WatchDescriptors();

    m_hints->UpdateHintTimer();
    m_ticks->Start();
}

SideWindowParts Application::SideParts()
{
    return {m_log, *m_env.Settings, m_shutDown, [this](const std::string& error) {
                m_errors.ApplicationEvents1Exception(error);
            }};
}

StatisticsPart* Application::Statistics()
{
    if (m_stat || m_shutDown.Begun()) {
        return m_stat.get();
    }
    m_errors.Guarded([&] {
        m_stat = m_statLoader->Make(StatEnv {SideParts(),
                                             m_model,
                                             *m_window,
                                             *m_engine,
                                             *m_projects,
                                             [this] { return Now(); },
                                             [this] { m_commands->PlayClick(); },
                                             *m_env.Files});
    });
    if (m_stat) {
        m_stat->SetSharingNotice(
            [this](const QString& text) { m_errors.Tell(QStringLiteral("Tallyhour Zide"), text); });
    } else if (!m_statLoader->Problem().isEmpty()) {
        m_log.WriteLine(0, "Statistics unavailable: " + m_statLoader->Problem().toStdString());
    }
    return m_stat.get();
}

void Application::TellStatisticsMissing()
{
    m_errors.Tell(QStringLiteral("Tallyhour Zide"),
                  QStringLiteral("The statistics window cannot open: %1. Tallyhour Zide goes on tracking your "
                                 "timers; install the program again to get the window back.")
                      .arg(m_statLoader->Problem()));
}

void Application::WatchDescriptors()
{
    // A desktop built over the session watcher hands out the watcher's
    // descriptors too; a descriptor is watched once (two notifiers on one
    // descriptor would dispatch twice, or not at all with some dispatchers).
    std::set<int> watched;
    auto watch = [this, &watched](const std::vector<int>& fds, std::function<void()> dispatch) {
        for (int fd : fds) {
            if (!watched.insert(fd).second) {
                continue;
            }
            auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
            connect(notifier, &QSocketNotifier::activated, this, [this, dispatch] { m_errors.Guarded(dispatch); });
            m_notifiers.push_back(notifier);
        }
    };
    watch(m_env.Desk->EventDescriptors(), [this] { m_env.Desk->DispatchEvents(); });
    watch(Session().EventDescriptors(), [this] { Session().DispatchEvents(); });
}

void Application::ConnectWindow()
{
    m_engine->MainWindow = m_window->winId();
    m_commands->Connect();
    m_windowCommands->Connect();
    m_hints->Connect();

    MainWindow* w = m_window.get();
    connect(w, &MainWindow::exitRequested, this, [this] { EndProgram(); });
    // A window-manager close ends the program as "Exit" does, without the
    // question of the skin's close button.
    connect(w, &MainWindow::closedByWindowManager, this, [this] { EndProgram(); });
}

void Application::EndProgram(int exitCode)
{
    FormCloseQuery();
    if (m_exitCode == 0) {
        m_exitCode = exitCode;
    }
    m_shutDown.Begin();
    // Ends the nested loops too (a dialog's, the splash's); the main loop,
    // when it has not started yet, is kept from starting by Ended().
    QCoreApplication::exit(m_exitCode);
}

void Application::SaveForSession()
{
    if (m_shutDown.Begun() || !m_data) {
        return;
    }
    m_log.WriteLine(0, "SaveForSession->");
    m_errors.SaveReported(*m_data);
}

void Application::CloseOpenDialogs()
{
    // Cancelled, as the user's Cancel would: their exec() returns, and the
    // code after it sees the shutdown and leaves the lists alone.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible()) {
            dialog->reject();
        }
    }
}

void Application::FormCloseQuery()
{
    if (m_shutDown.Begun() || !m_engine) {
        return;
    }
    m_shutDown.Begin();
    m_log.WriteLine(0, "FormCloseQuery->");
    CloseOpenDialogs();
    // No periodic handler may run once the lists go.
    m_ticks->Stop();
    m_hints->Stop();
    for (QSocketNotifier* notifier : m_notifiers) {
        notifier->setEnabled(false);
    }
    m_engine->AddToAllTimersOffEvents();
    try {
        m_data->SafeSave();
    } catch (const SaveError& e) {
        ApplicationEvents1Exception(e.what());
        QMessageBox::critical(nullptr,
                              QStringLiteral("Tallyhour Zide"),
                              QStringLiteral("Your data could not be saved. A copy is in %1.")
                                  .arg(QString::fromStdString(e.BackupPath())));
        return;
    } catch (const std::exception& e) {
        ApplicationEvents1Exception(e.what());
        QMessageBox::critical(nullptr,
                              QStringLiteral("Tallyhour Zide"),
                              QStringLiteral("Your data could not be saved: %1").arg(e.what()));
        return;
    }
    m_data->Release();
    FreeProjects(m_model.Projects, m_log);
    m_engine->RemoveKeyboardHook();
    m_inet->Shutdown();
}

} // namespace tally
