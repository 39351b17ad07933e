#include "shell/app/sharing_commands.h"

#include "platform/computer_identity.h"
#include "shell/app/error_reporter.h"
#include "shell/main_window/main_window.h"
#include "storage/data_file.h"
#include "storage/shared_folder.h"
#include "view/menu_options.h"

#include <QFileDialog>

namespace tally {

SharingCommands::SharingCommands(Env env, QObject* parent)
    : QObject(parent)
    , m_env(env)
{
    AskFolder = [this](const QString& current) {
        return QFileDialog::getExistingDirectory(&m_env.Window, QString::fromLatin1(kShareItem), current);
    };
    connect(&m_env.Window, &MainWindow::shareRequested, this, [this] { m_env.Errors.Guarded([this] { Share(); }); });
    connect(&m_env.Window, &MainWindow::stopSharingRequested, this, [this] {
        m_env.Errors.Guarded([this] { StopSharing(); });
    });
}

void SharingCommands::Share()
{
    const QString current = QString::fromStdString(ReadSharingSettings(m_env.Settings).Folder);
    const QString folder = AskFolder ? AskFolder(current) : QString();
    if (ShareFolderChosen(m_env.Settings, folder.toStdString(), m_env.Log)) {
        Apply();
    }
}

void SharingCommands::StopSharing()
{
    if (StopSharingClicked(m_env.Settings, m_env.Log)) {
        Apply();
    }
}

void SharingCommands::Apply()
{
    ConfigureSharedCopy(m_env.Data, m_env.Settings, ThisComputer(), [this](const std::string& why) {
        m_env.Errors.Tell(QStringLiteral("Tallyhour Zide"),
                          QString::fromStdString("Cannot write the shared copy: " + why));
    });
    m_env.Window.ShowSharing(SharingMenuState(ReadSharingSettings(m_env.Settings)));
    if (Changed) {
        Changed();
    }
}

} // namespace tally
