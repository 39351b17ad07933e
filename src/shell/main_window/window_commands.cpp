#include "shell/main_window/window_commands.h"

#include "model/version.h"
#include "shell/app/error_reporter.h"
#include "shell/app/splash_about.h"
#include "shell/app/tick_driver.h"
#include "shell/main_window/hint_placer.h"
#include "shell/main_window/main_window.h"
#include "shell/main_window/timer_commands.h"
#include "view/help_file.h"

#include <QDesktopServices>
#include <QDir>
#include <QMessageBox>
#include <QUrl>

#include <filesystem>

namespace tally {

WindowCommands::WindowCommands(Env env)
    : m_env(std::move(env))
{ }

WindowCommands::~WindowCommands()
{
    delete m_about;
}

void WindowCommands::Connect()
{
    MainWindow* w = &m_env.Window;
    connect(w, &MainWindow::openRequested, this, &WindowCommands::actOpenExecute);
    connect(w, &MainWindow::optionToggled, this, &WindowCommands::OnOptionToggled);
    connect(w, &MainWindow::minimised, this, [this] {
        m_env.State.MainWindowShown = false;
        m_env.Hints.HideHint();
        m_env.Hints.UpdateHintTimer();
    });
    // The about window is made on its first request and shown again on the next.
    connect(w, &MainWindow::aboutRequested, this, &WindowCommands::ShowAbout);
    connect(w, &MainWindow::helpRequested, this, &WindowCommands::ShowHelp);
    connect(w, &MainWindow::homePageRequested, this, [this] { Open(QUrl(QString::fromLatin1(kHomePageUrl))); });
    connect(w, &MainWindow::sendCommentsRequested, this, [this] { Open(QUrl(QString::fromLatin1(kFeedbackMail))); });
}

void WindowCommands::actOpenExecute()
{
    m_env.Log.WriteLine(0, "actOpenExecute->");
    MainWindow& window = m_env.Window;
    m_env.State.MainWindowShown = true;
    window.MainWindowShown = true;
    window.setWindowState(Qt::WindowNoState);
    window.CentreOnFirstShow();
    window.show();
    window.raise();
    window.activateWindow();
    m_env.Hints.UpdateHintTimer();
    // The pacing may have come to rest while hidden; its next firing brings
    // the tick back to every second.
    if (!m_env.ShutDown.Begun()) {
        m_env.Ticks.WakePacing();
    }
    // The sound system is reached only once the window is open (a session
    // spent in the tray never needs it); ready before the first click.
    m_env.Commands.PrepareClickSound();
}

void WindowCommands::ShowAbout()
{
    if (!m_about) {
        m_about = new TFormAbout(QString::fromLatin1(kProgramVersion));
    }
    m_about->show();
    m_about->raise();
}

void WindowCommands::ShowHelp()
{
    Open(QUrl::fromLocalFile(QString::fromStdString(HelpFile(ProgramFolder()))));
}

void WindowCommands::Open(const QUrl& url)
{
    if (QDesktopServices::openUrl(url)) {
        return;
    }
    // No browser or mail program is set up: the user opens it by hand. The
    // message does not wait for an answer, so ticks go on meanwhile.
    const QString where = url.isLocalFile()                         ? QDir::toNativeSeparators(url.toLocalFile())
                          : url.scheme() == QLatin1String("mailto") ? url.path()
                                                                    : url.toString();
    auto* box
        = new QMessageBox(QMessageBox::Information,
                          QStringLiteral("Tallyhour Zide"),
                          QStringLiteral("No program is set up to open this. Please open it by hand:\n\n") + where,
                          QMessageBox::Ok);
    box->setObjectName(QStringLiteral("OpenByHand"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    box->show();
}

std::string WindowCommands::ProgramFolder() const
{
    const std::filesystem::path program(m_env.ProgramFile);
    return program.has_parent_path() ? program.parent_path().string() : m_env.InstallPath;
}

void WindowCommands::OnOptionToggled(MenuOption item, bool checked)
{
    m_env.Errors.Guarded([&] { OptionClicked(item, checked, m_env.Settings, m_env.Log, m_env.AutoRun); });
}

} // namespace tally
