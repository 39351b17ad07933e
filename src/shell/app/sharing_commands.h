#pragma once

#include <QObject>
#include <QString>

#include <functional>

namespace tally {

class DataFile;
class ErrorReporter;
class MainWindow;
class SettingsStore;
class TBrisvaleLog;

// The options menu's "Share with other computers..." and "Stop sharing":
// the setting, and the shared copy armed again for the folder chosen.
class SharingCommands : public QObject
{
    Q_OBJECT

public:
    struct Env
    {
        MainWindow& Window;
        TBrisvaleLog& Log;
        SettingsStore& Settings;
        DataFile& Data;
        ErrorReporter& Errors;
    };

    explicit SharingCommands(Env env, QObject* parent = nullptr);

    void Share();
    void StopSharing();
    // Arms the copy and the menu for what the settings hold now.
    void Apply();

    // The folder dialog; empty when cancelled (tests answer it).
    std::function<QString(const QString& current)> AskFolder;
    // After the folder changed (the statistics window reads it again).
    std::function<void()> Changed;

private:
    Env m_env;
};

} // namespace tally
