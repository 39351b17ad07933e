#pragma once

#include "model/time_model.h"
#include "runlog/brisvale_log.h"
#include "shell/common/shutdown_flag.h"

#include <QDialog>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWidget;

namespace tally {

class ClickSound;
class Clock;
class DataFile;
class Desktop;
class ErrorReporter;
class HintPlacer;
class MainWindow;
class TFormNewTimer;
class TrackingEngine;

// The commands on timers: the timer dialogs (`actNewTimerExecute`,
// `actPropertiesExecute`), start, stop, delete and move, and the click that
// goes with them.
class TimerCommands : public QObject
{
    Q_OBJECT

public:
    // What the commands work with; all of it outlives them.
    struct Parts
    {
        TimeModel& Model;
        TBrisvaleLog& Log;
        TrackingEngine& Engine;
        DataFile& Data;
        MainWindow& Window;
        HintPlacer& Hint;
        ErrorReporter& Errors;
        Desktop& Desk;
        const Clock& SysClock;
        // A dialog whose exec() returns after the shutdown began leaves the
        // released lists alone.
        const ShutdownFlag& ShutDown;
    };
    explicit TimerCommands(const Parts& parts);
    ~TimerCommands() override;

    // Connects the main window's timer commands.
    void Connect();

    void actNewTimerExecute();
    void actPropertiesExecute(TMyTimer* timer);
    void PlayClick();
    // The sound system is reached ahead of the first click.
    void PrepareClickSound();

private:
    // A timer dialog asked for while one is open: the open one is released
    // (cancelled) and `next` opens the new one once it is gone.
    void ReplaceTimerDialog(std::function<void()> next);
    void OpenNextTimerDialog();
    ClickSound& ClickSoundReady();
    void OpenTimeLog(TMyTimer& timer, QWidget* parent);
    // The file chooser and the running-applications picker of a timer dialog.
    void ConnectPickers(TFormNewTimer& dialog);
    std::vector<std::string> RunningCaptions();

    TimeModel& m_model;
    TBrisvaleLog& m_log;
    TrackingEngine& m_engine;
    DataFile& m_data;
    MainWindow& m_window;
    HintPlacer& m_hint;
    ErrorReporter& m_errors;
    Desktop& m_desktop;
    const Clock& m_clock;
    const ShutdownFlag& m_shutDown;
    std::unique_ptr<ClickSound> m_click;
    bool m_nameEdited = false;
    bool m_timerDialogOpen = false;
    QPointer<QDialog> m_timerDialog;
    std::function<void()> m_nextTimerDialog;
};

} // namespace tally
