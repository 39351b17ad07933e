#include "shell/application.h"

#include "model/datetime.h"
#include "model/project_ops.h"
#include "model/settings_store.h"
#include "model/version.h"
#include "platform/autostart.h"
#include "platform/desktop.h"
#include "platform/session_watcher.h"
#include "shell/click_sound.h"
#include "shell/hint_window.h"
#include "shell/main_window.h"
#include "shell/process_picker.h"
#include "shell/projects_controller.h"
#include "shell/splash_about.h"
#include "shell/stat_controller.h"
#include "shell/time_log_window.h"
#include "shell/timer_dialog.h"
#include "shell/timer_list_view.h"
#include "shell/tray.h"
#include "storage/storage_error.h"
#include "tracking/window_census.h"
#include "view/help_file.h"
#include "view/hint_logic.h"
#include "view/main_list.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QEventLoop>
#include <QFileDialog>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QUrl>

#include <cstdio>
#include <filesystem>
#include <random>
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
        if (ShowMessage) {
            ShowMessage(QStringLiteral("Tallyhour Zide"),
                        QStringLiteral("%1. Settings changed now will not be kept after the program ends.")
                            .arg(QString::fromStdString(error)));
        }
    });
    ShowMessage = [this](const QString& title, const QString& text) {
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

template <typename F>
void Application::Guarded(F&& f)
{
    try {
        f();
    } catch (const std::exception& e) {
        ApplicationEvents1Exception(e.what());
    }
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
    m_shutDown = true;
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
    m_inet->EnableTimInet = [this](int ms) { TimInet.start(ms); };
    connect(&TimInet, &QTimer::timeout, this, [this] { m_inet->TimInetTimer(); });

    m_engine = std::make_unique<TrackingEngine>(m_model.Timers, m_state, *m_env.Desk, *m_inet, *m_env.SysClock, m_log);
    m_data = std::make_unique<DataFile>(
        m_model, m_log, *m_env.SysClock, *m_env.Files, DataFilePaths::InDirectory(m_env.InstallPath));

    m_window = std::make_unique<MainWindow>(m_model, m_log, [this] { return Now(); });
    m_hint = std::make_unique<TFormHint>();
    m_tray = std::make_unique<TrayIcon>(*m_window, m_log);
    m_data->SetOnClear([this] { m_window->List().SetTimers({}); });
    ConnectWindow();

    // --- Projects window (issue 16) ---
    m_projects = std::make_unique<ProjectsController>(
        ProjectsEnv {m_model,
                     m_log,
                     *m_window,
                     *m_env.Settings,
                     *m_engine,
                     [this] { SafeSaveReported(); },
                     [this] { return Now(); },
                     [this] { PlayClick(); },
                     [this] { return m_shutDown; },
                     [this](const std::string& error) { ApplicationEvents1Exception(error); }});
    // --- end of the projects window ---
    // --- Statistics window ---
    m_stat = std::make_unique<StatController>(
        StatEnv {m_model,
                 m_log,
                 *m_window,
                 *m_env.Settings,
                 *m_engine,
                 *m_projects,
                 [this] { return Now(); },
                 [this] { PlayClick(); },
                 [this] { return m_shutDown; },
                 [this](const std::string& error) { ApplicationEvents1Exception(error); }});
    // --- end of the statistics window ---
}

void Application::Init()
{
    m_log.WriteLine(0, "Init->");
    Guarded([this] { UpdateLastRunDate(*m_env.Settings, m_log, Now()); });

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
        ShowMessage(QStringLiteral("Tallyhour Zide"), text);
    }
    m_window->Draw();

    const AutoSaveTimer& autoSave = m_data->SetAutoSave(m_options.AutoSaveInterval);
    connect(&TimAutoSave, &QTimer::timeout, this, [this] { Guarded([this] { m_data->TimAutoSaveTimer(); }); });
    if (autoSave.Enabled) {
        TimAutoSave.start(static_cast<int>(std::min<std::int64_t>(autoSave.IntervalMs, INT32_MAX)));
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
        if (m_shutDown) {
            return;
        }
    }
    m_tray->show();
    if (m_options.FirstLaunch) {
        m_log.WriteLine(0, "FirstLaunch");
        actOpenExecute();
    }
    if (m_options.ProjectsVisible) {
        m_log.WriteLine(0, "ProjectsVisible");
        Guarded([this] { m_projects->actShowHideProjectsExecute(); });
    }
    if (m_options.StatVisible) {
        m_log.WriteLine(0, "StatVisible");
        // --- Statistics window: opened as it was left ---
        Guarded([this] { m_stat->actShowHideStatExecute(); });
    }

    m_state.LastKeyTick = m_env.SysClock->TickMs();
    m_engine->InstallKeyboardHook();
    WatchDescriptors();

    connect(&TimUpdate, &QTimer::timeout, this, [this] { m_engine->TimUpdateTimer(); });
    connect(&TimTBar, &QTimer::timeout, this, [this] {
        m_engine->TimTBarTimer();
        // Once the hidden tick is as slow as it gets, the pacing rests until
        // the window is shown again (one wake-up a second less in the tray).
        if (m_engine->PacingAtRest()) {
            TimTBar.stop();
        }
    });
    connect(&TimHint, &QTimer::timeout, this, &Application::OnTimHint);
    TimTBar.start(1000);
    UpdateHintTimer();
    TimUpdate.start(m_engine->UpdateIntervalMs());
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
            connect(notifier, &QSocketNotifier::activated, this, [this, dispatch] { Guarded(dispatch); });
            m_notifiers.push_back(notifier);
        }
    };
    watch(m_env.Desk->EventDescriptors(), [this] { m_env.Desk->DispatchEvents(); });
    if (m_env.Session) {
        watch(m_env.Session->EventDescriptors(), [this] { m_env.Session->DispatchEvents(); });
    }
}

void Application::ConnectWindow()
{
    TrackingEngine& engine = *m_engine;
    engine.RepaintTimerList = [this] { m_window->RepaintList(); };
    engine.HideHint = [this] { HideHint(); };
    engine.HintShown = [this] { return m_hint->isVisible(); };
    engine.MainWindowRect = [this] {
        // The bounds rectangle ends at left + width (QRect::right() is one
        // less); the tick's test counts both edges as inside.
        const QRect r = m_window->frameGeometry();
        return ScreenRect {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    };
    engine.SetUpdateInterval = [this](int ms) { TimUpdate.setInterval(ms); };
    // Periods closed before the machine sleeps reach the disk before it does.
    engine.AfterSuspend = [this] { SafeSaveReported(); };
    m_env.Desk->SetPowerHandler([this](int code) { m_engine->OnPowerBroadcast(code); });
    if (m_env.Session) {
        m_env.Session->SetPowerHandler([this](int code) { m_engine->OnPowerBroadcast(code); });
    }
    engine.MainWindow = m_window->winId();

    MainWindow* w = m_window.get();
    connect(w, &MainWindow::openRequested, this, &Application::actOpenExecute);
    connect(w, &MainWindow::exitRequested, this, [this] { EndProgram(); });
    // A window-manager close ends the program as "Exit" does, without the
    // question of the skin's close button.
    connect(w, &MainWindow::closedByWindowManager, this, [this] { EndProgram(); });
    connect(w, &MainWindow::newTimerRequested, this, [this] { Guarded([this] { actNewTimerExecute(); }); });
    connect(w, &MainWindow::propertiesRequested, this, [this](TMyTimer* t) {
        Guarded([this, t] { actPropertiesExecute(t); });
    });
    connect(w, &MainWindow::startRequested, this, [this](std::vector<TMyTimer*> timers) {
        m_engine->actStartTimerExecute(timers);
        m_window->RepaintList();
    });
    connect(w, &MainWindow::stopRequested, this, [this](std::vector<TMyTimer*> timers) {
        m_engine->actStopTimerExecute(timers);
        m_window->RepaintList();
    });
    connect(w, &MainWindow::deleteConfirmed, this, [this](std::vector<TMyTimer*> timers) {
        DeleteSelectedTimers(m_model, timers, m_log);
        SafeSaveReported();
        m_window->Draw();
    });
    connect(w, &MainWindow::moveToRequested, this, [this](std::vector<TMyTimer*> timers, std::int32_t id) {
        if (MoveSelectedTimers(timers, id, m_log)) {
            m_window->Draw();
        }
    });
    connect(w, &MainWindow::optionToggled, this, &Application::OnOptionToggled);
    connect(w, &MainWindow::clickSound, this, &Application::PlayClick);
    connect(w, &MainWindow::minimised, this, [this] {
        m_state.MainWindowShown = false;
        HideHint();
        UpdateHintTimer();
    });
    connect(w, &MainWindow::activationChanged, this, &Application::UpdateHintTimer);
    connect(w, &MainWindow::hideHintRequested, this, &Application::HideHint);
    connect(w, &MainWindow::listMouseMoved, this, &Application::OnListMouseMove);
    w->StopHintTimer = [this] {
        m_hintTimerWanted = false;
        TimHint.stop();
    };
    connect(w, &MainWindow::aboutRequested, this, [this] {
        if (!m_about) {
            m_about = new TFormAbout(QString::fromLatin1(kProgramVersion));
        }
        m_about->show();
        m_about->raise();
    });
    connect(w, &MainWindow::helpRequested, this, [this] {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(HelpFile(ProgramFolder()))));
    });
    connect(w, &MainWindow::homePageRequested, this, [] {
        QDesktopServices::openUrl(QUrl(QString::fromLatin1(kHomePageUrl)));
    });
    connect(w, &MainWindow::sendCommentsRequested, this, [] {
        QDesktopServices::openUrl(QUrl(QString::fromLatin1(kFeedbackMail)));
    });
    connect(w, &MainWindow::showHideStatRequested, this, [this] { m_window->SetStatChecked(false); });
}

void Application::HideHint()
{
    m_log.WriteLine(3, "HideHint->");
    m_hint->HideHint();
}

std::string Application::ProgramFolder() const
{
    const std::filesystem::path program(m_env.ProgramFile);
    return program.has_parent_path() ? program.parent_path().string() : m_env.InstallPath;
}

void Application::actOpenExecute()
{
    m_log.WriteLine(0, "actOpenExecute->");
    m_state.MainWindowShown = true;
    m_window->MainWindowShown = true;
    m_window->setWindowState(Qt::WindowNoState);
    m_window->CentreOnFirstShow();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    UpdateHintTimer();
    // The pacing may have come to rest while hidden; its next firing brings
    // the tick back to every second.
    if (!m_shutDown && !TimTBar.isActive()) {
        TimTBar.start(1000);
    }
    // The sound system is reached only once the window is open (a session
    // spent in the tray never needs it); ready before the first click.
    if (!m_click) {
        QTimer::singleShot(0, this, [this] { ClickSoundReady(); });
    }
}

ClickSound& Application::ClickSoundReady()
{
    if (!m_click) {
        m_click = std::make_unique<ClickSound>();
    }
    return *m_click;
}

void Application::PlayClick()
{
    m_log.WriteLine(0, "Click->");
    if (m_window->OptionChecked(MenuOption::SoundOn)) {
        ClickSoundReady().Play();
    }
}

void Application::OnOptionToggled(MenuOption item, bool checked)
{
    Guarded([&] { OptionClicked(item, checked, *m_env.Settings, m_log, *m_env.AutoRun); });
}

void Application::SafeSaveReported()
{
    try {
        m_data->SafeSave();
    } catch (const std::exception& e) {
        ApplicationEvents1Exception(e.what());
    }
}

std::vector<std::string> Application::RunningCaptions()
{
    std::vector<std::string> captions;
    for (const CensusEntry& entry : GetWindowList(*m_env.Desk, m_window->winId(), 0, scMainOnly, false)) {
        captions.push_back(entry.Name);
    }
    return captions;
}

void Application::OpenTimeLog(TMyTimer& timer, QWidget* parent)
{
    TFormLog log(
        timer, [this] { return Now(); }, parent);
    log.PlayClick = [this] { PlayClick(); };
    log.SetDate(Now());
    log.exec();
}

void Application::ConnectPickers(TFormNewTimer& dialog)
{
    dialog.PickApplicationFile = [&dialog]() -> std::optional<std::string> {
        const QString path = QFileDialog::getOpenFileName(
            &dialog, QString(), QString(), QStringLiteral("Applications (*);;All files (*)"));
        if (path.isEmpty()) {
            return std::nullopt;
        }
        return path.toStdString();
    };
    dialog.PickCaption = [this, &dialog]() -> std::optional<std::pair<std::string, std::uint8_t>> {
        TFormProcesses picker(RunningCaptions(), &dialog);
        if (picker.exec() != QDialog::Accepted || picker.SelectedCaption().empty()) {
            return std::nullopt;
        }
        return std::make_pair(picker.SelectedCaption(), picker.Scope());
    };
}

void Application::ReplaceTimerDialog(std::function<void()> next)
{
    m_nextTimerDialog = std::move(next);
    // Cancelled as the user's Cancel would, with whatever it opened on top
    // (picker, file chooser, time log): the loops unwind, the old dialog is
    // released, and the new one opens after it.
    const auto above = [this](QWidget* widget) {
        for (QWidget* p = widget; p; p = p->parentWidget()) {
            if (p == m_timerDialog) {
                return true;
            }
        }
        return false;
    };
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(widget);
            dialog && dialog != m_timerDialog && dialog->isVisible() && above(dialog)) {
            dialog->reject();
        }
    }
    if (m_timerDialog) {
        m_timerDialog->reject();
    }
}

void Application::OpenNextTimerDialog()
{
    if (auto next = std::exchange(m_nextTimerDialog, {}); next && !m_shutDown) {
        next();
    }
}

void Application::actNewTimerExecute()
{
    if (m_timerDialogOpen) {
        m_log.WriteLine(0, "FormNewTimer<>nil");
        ReplaceTimerDialog([this] { Guarded([this] { actNewTimerExecute(); }); });
        return;
    }
    m_timerDialogOpen = true;
    static std::mt19937 random {std::random_device {}()};
    TFormNewTimer dialog(m_model.Timers.Count(), m_nameEdited, m_window.get());
    m_timerDialog = &dialog;
    dialog.SetPanelColor(NewTimerColor(m_model.Timers.Count(), [](std::uint32_t max) {
        return std::uniform_int_distribution<std::uint32_t>(0, max)(random);
    }));
    ConnectPickers(dialog);
    const int result = dialog.exec();
    if (m_shutDown) {
        // The program ended while the dialog was open; the lists are gone.
        return;
    }
    if (result == QDialog::Accepted) {
        dialog.Logic().CreateTimer(m_model, Now(), m_log);
    }
    m_log.WriteLine(0, "FormNewTimerRelease->");
    m_timerDialogOpen = false;
    m_log.WriteLine(0, "FormNewTimerRelease-<");
    SafeSaveReported();
    m_window->Draw();
    OpenNextTimerDialog();
}

void Application::actPropertiesExecute(TMyTimer* timer)
{
    if (!timer) {
        return;
    }
    if (m_timerDialogOpen) {
        ReplaceTimerDialog([this, timer] {
            // The timer may have gone with the dialog it replaces.
            if (m_model.Timers.IndexOf(timer) >= 0) {
                Guarded([this, timer] { actPropertiesExecute(timer); });
            }
        });
        return;
    }
    m_timerDialogOpen = true;
    HideHint();
    TFormNewTimer dialog(m_model.Timers.Count(), m_nameEdited, m_window.get());
    m_timerDialog = &dialog;
    dialog.LoadTimer(*timer);
    ConnectPickers(dialog);
    dialog.EditTime = [this, timer, &dialog] {
        OpenTimeLog(*timer, &dialog);
        if (!m_shutDown) {
            dialog.ShowTimes(timer->ActiveTime, timer->BackgroundTime);
        }
    };
    const int result = dialog.exec();
    if (m_shutDown) {
        return;
    }
    if (result == QDialog::Accepted) {
        dialog.Logic().ApplyTo(*timer);
        SafeSaveReported();
    }
    m_log.WriteLine(0, "ReleaseFormNewTimer->");
    m_timerDialogOpen = false;
    m_log.WriteLine(0, "ReleaseFormNewTimer-<");
    OpenNextTimerDialog();
}

void Application::OnListMouseMove(QPoint listPos, QPoint globalPos)
{
    m_log.WriteLine(3, "lvMouseMove->");
    m_hintTimerWanted = true;
    TimHint.start(1000);
    TMyTimer* timer = m_window->List().TimerAt(listPos);
    switch (
        tally::OnListMouseMove(timer != nullptr, m_hint->isVisible(), m_window->OptionChecked(MenuOption::ShowHints))) {
        case HintMove::Hide:
            HideHint();
            break;
        case HintMove::Wait:
            break;
        case HintMove::MoveAndFill: {
            const ScreenPoint at = HintPosition({globalPos.x(), globalPos.y()});
            m_hint->move(at.X, at.Y);
            m_hint->Fill(MakeTimerHint(*timer));
            break;
        }
    }
}

void Application::UpdateHintTimer()
{
    // A hint is placed only over the window in front (see OnTimHint), so the
    // timer rests while it is hidden or behind another; the pointer moving
    // over the list starts it as before.
    const bool wanted = m_hintTimerWanted && !m_shutDown && m_window->isVisible() && m_window->isActiveWindow();
    if (!wanted) {
        TimHint.stop();
    } else if (!TimHint.isActive()) {
        TimHint.start(1000);
    }
}

void Application::OnTimHint()
{
    m_log.WriteLine(3, "TimHintTimer->");
    // Nothing can be placed while the window is hidden or behind another, so
    // the lock state and the pointer (a round trip to the display each) are
    // asked only when it is in front.
    if (!m_window->isVisible() || !m_window->isActiveWindow()) {
        return;
    }
    HintTimerState s;
    s.Sleeping = m_state.Sleeping;
    try {
        s.DesktopLocked = m_env.Desk->IsDesktopLocked();
    } catch (const std::exception&) {
        s.DesktopLocked = false;
    }
    const QPoint global = QCursor::pos();
    const QPoint local = m_window->List().viewport()->mapFromGlobal(global);
    TMyTimer* timer = m_window->List().TimerAt(local);
    s.RowUnderPointer = timer != nullptr;
    s.HintVisible = m_hint->isVisible();
    s.ShowHints = m_window->OptionChecked(MenuOption::ShowHints);
    s.MainWindowVisible = m_window->isVisible();
    s.MainWindowInFront = m_window->isActiveWindow();
    if (!HintTimerPlaces(s)) {
        return;
    }
    const ScreenPoint at = HintPosition({global.x(), global.y()});
    m_hint->move(at.X, at.Y);
    m_hint->Fill(MakeTimerHint(*timer));
    m_hint->ShowDelayed();
}

void Application::ApplicationEvents1Exception(const std::string& message)
{
    m_log.WriteLine(0, "ApplicationEvents1Exception->");
    m_log.WriteLine(0, "Error: " + message);
    if (message.find("Socket Error # 10060") != std::string::npos) {
        return;
    }
    if (ShowMessage) {
        ShowMessage(QStringLiteral("Tallyhour Zide"), QString::fromStdString(message));
    }
}

void Application::EndProgram(int exitCode)
{
    FormCloseQuery();
    if (m_exitCode == 0) {
        m_exitCode = exitCode;
    }
    m_shutDown = true;
    // Ends the nested loops too (a dialog's, the splash's); the main loop,
    // when it has not started yet, is kept from starting by Ended().
    QCoreApplication::exit(m_exitCode);
}

void Application::SaveForSession()
{
    if (m_shutDown || !m_data) {
        return;
    }
    m_log.WriteLine(0, "SaveForSession->");
    SafeSaveReported();
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
    if (m_shutDown || !m_engine) {
        return;
    }
    m_shutDown = true;
    m_log.WriteLine(0, "FormCloseQuery->");
    CloseOpenDialogs();
    // No periodic handler may run once the lists go.
    for (QTimer* timer : {&TimUpdate, &TimTBar, &TimHint, &TimAutoSave, &TimInet}) {
        timer->stop();
    }
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
