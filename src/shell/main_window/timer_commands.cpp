#include "shell/main_window/timer_commands.h"

#include "model/project_ops.h"
#include "platform/clock.h"
#include "shell/app/click_sound.h"
#include "shell/app/error_reporter.h"
#include "shell/common/time_log_window.h"
#include "shell/main_window/hint_placer.h"
#include "shell/main_window/main_window.h"
#include "shell/main_window/process_picker.h"
#include "shell/main_window/timer_dialog.h"
#include "storage/data_file.h"
#include "tracking/tracking_engine.h"
#include "tracking/window_census.h"
#include "view/main_list.h"

#include <QApplication>
#include <QFileDialog>
#include <QTimer>

#include <random>

namespace tally {

TimerCommands::TimerCommands(const Parts& parts)
    : m_model(parts.Model)
    , m_log(parts.Log)
    , m_engine(parts.Engine)
    , m_data(parts.Data)
    , m_window(parts.Window)
    , m_hint(parts.Hint)
    , m_errors(parts.Errors)
    , m_desktop(parts.Desk)
    , m_clock(parts.SysClock)
    , m_shutDown(parts.ShutDown)
{ }

TimerCommands::~TimerCommands() = default;

void TimerCommands::Connect()
{
    MainWindow* w = &m_window;
    connect(w, &MainWindow::newTimerRequested, this, [this] { m_errors.Guarded([this] { actNewTimerExecute(); }); });
    connect(w, &MainWindow::propertiesRequested, this, [this](TMyTimer* t) {
        m_errors.Guarded([this, t] { actPropertiesExecute(t); });
    });
    connect(w, &MainWindow::startRequested, this, [this](std::vector<TMyTimer*> timers) {
        m_engine.actStartTimerExecute(timers);
        m_window.RepaintList();
    });
    connect(w, &MainWindow::stopRequested, this, [this](std::vector<TMyTimer*> timers) {
        m_engine.actStopTimerExecute(timers);
        m_window.RepaintList();
    });
    connect(w, &MainWindow::deleteConfirmed, this, [this](std::vector<TMyTimer*> timers) {
        DeleteSelectedTimers(m_model, timers, m_log);
        m_errors.SaveReported(m_data);
        m_window.Draw();
    });
    connect(w, &MainWindow::moveToRequested, this, [this](std::vector<TMyTimer*> timers, std::int32_t id) {
        if (MoveSelectedTimers(timers, id, m_log)) {
            m_window.Draw();
        }
    });
    connect(w, &MainWindow::clickSound, this, &TimerCommands::PlayClick);
}

void TimerCommands::PrepareClickSound()
{
    if (!m_click) {
        QTimer::singleShot(0, this, [this] { ClickSoundReady(); });
    }
}

ClickSound& TimerCommands::ClickSoundReady()
{
    if (!m_click) {
        m_click = std::make_unique<ClickSound>();
    }
    return *m_click;
}

void TimerCommands::PlayClick()
{
    m_log.WriteLine(0, "Click->");
    if (m_window.OptionChecked(MenuOption::SoundOn)) {
        ClickSoundReady().Play();
    }
}

std::vector<std::string> TimerCommands::RunningCaptions()
{
    std::vector<std::string> captions;
    for (const CensusEntry& entry : GetWindowList(m_desktop, m_window.winId(), 0, scMainOnly, false)) {
        captions.push_back(entry.Name);
    }
    return captions;
}

void TimerCommands::OpenTimeLog(TMyTimer& timer, QWidget* parent)
{
    TFormLog log(
        timer, [this] { return m_clock.Now(); }, parent);
    log.PlayClick = [this] { PlayClick(); };
    log.SetDate(m_clock.Now());
    log.exec();
}

void TimerCommands::ConnectPickers(TFormNewTimer& dialog)
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

void TimerCommands::ReplaceTimerDialog(std::function<void()> next)
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

void TimerCommands::OpenNextTimerDialog()
{
    if (auto next = std::exchange(m_nextTimerDialog, {}); next && !m_shutDown.Begun()) {
        next();
    }
}

void TimerCommands::actNewTimerExecute()
{
    if (m_timerDialogOpen) {
        m_log.WriteLine(0, "FormNewTimer<>nil");
        ReplaceTimerDialog([this] { m_errors.Guarded([this] { actNewTimerExecute(); }); });
        return;
    }
    m_timerDialogOpen = true;
    static std::mt19937 random {std::random_device {}()};
    TFormNewTimer dialog(m_model.Timers.Count(), m_nameEdited, &m_window);
    m_timerDialog = &dialog;
    dialog.SetPanelColor(NewTimerColor(m_model.Timers.Count(), [](std::uint32_t max) {
        return std::uniform_int_distribution<std::uint32_t>(0, max)(random);
    }));
    ConnectPickers(dialog);
    const int result = dialog.exec();
    if (m_shutDown.Begun()) {
        // The program ended while the dialog was open; the lists are gone.
        return;
    }
    if (result == QDialog::Accepted) {
        dialog.Logic().CreateTimer(m_model, m_clock.Now(), m_log);
    }
    m_log.WriteLine(0, "FormNewTimerRelease->");
    m_timerDialogOpen = false;
    m_log.WriteLine(0, "FormNewTimerRelease-<");
    m_errors.SaveReported(m_data);
    m_window.Draw();
    OpenNextTimerDialog();
}

void TimerCommands::actPropertiesExecute(TMyTimer* timer)
{
    if (!timer) {
        return;
    }
    if (m_timerDialogOpen) {
        ReplaceTimerDialog([this, timer] {
            // The timer may have gone with the dialog it replaces.
            if (m_model.Timers.IndexOf(timer) >= 0) {
                m_errors.Guarded([this, timer] { actPropertiesExecute(timer); });
            }
        });
        return;
    }
    m_timerDialogOpen = true;
    m_hint.HideHint();
    TFormNewTimer dialog(m_model.Timers.Count(), m_nameEdited, &m_window);
    m_timerDialog = &dialog;
    dialog.LoadTimer(*timer);
    ConnectPickers(dialog);
    dialog.EditTime = [this, timer, &dialog] {
        OpenTimeLog(*timer, &dialog);
        if (!m_shutDown.Begun()) {
            dialog.ShowTimes(timer->ActiveTime, timer->BackgroundTime);
        }
    };
    const int result = dialog.exec();
    if (m_shutDown.Begun()) {
        return;
    }
    if (result == QDialog::Accepted) {
        dialog.Logic().ApplyTo(*timer);
        m_errors.SaveReported(m_data);
    }
    m_log.WriteLine(0, "ReleaseFormNewTimer->");
    m_timerDialogOpen = false;
    m_log.WriteLine(0, "ReleaseFormNewTimer-<");
    OpenNextTimerDialog();
}

} // namespace tally
