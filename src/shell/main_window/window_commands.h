#pragma once

#include "runlog/brisvale_log.h"
#include "shell/common/shutdown_flag.h"
#include "tracking/tracking_state.h"
#include "view/menu_options.h"

#include <QObject>
#include <QPointer>
#include <QUrl>

#include <string>

namespace tally {

class AutoStart;
class ErrorReporter;
class HintPlacer;
class MainWindow;
class SettingsStore;
class TFormAbout;
class TickDriver;
class TimerCommands;

// What the main window's own menu items do besides the timers: showing the
// window, the option ticks, the about window, the manual and the web links.
class WindowCommands : public QObject
{
    Q_OBJECT

public:
    struct Env
    {
        MainWindow& Window;
        TBrisvaleLog& Log;
        TrackingState& State;
        HintPlacer& Hints;
        TickDriver& Ticks;
        TimerCommands& Commands;
        SettingsStore& Settings;
        AutoStart& AutoRun;
        ErrorReporter& Errors;
        // The manual is looked for beside the program file.
        std::string ProgramFile;
        std::string InstallPath;
        // The application's flag: once set, nothing is woken.
        const ShutdownFlag& ShutDown;
    };

    explicit WindowCommands(Env env);
    ~WindowCommands() override;

    void Connect();
    // Brings the main window up (the tray, "Open", the first launch).
    void actOpenExecute();
    void ShowAbout();
    void ShowHelp();
    // Where the program file lies; the data folder when it is not known.
    std::string ProgramFolder() const;

private:
    void OnOptionToggled(MenuOption item, bool checked);
    // Opens a page, file or mail address; where nothing can, says where it is.
    void Open(const QUrl& url);

    Env m_env;
    QPointer<TFormAbout> m_about;
};

} // namespace tally
