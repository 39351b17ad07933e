#pragma once

#include "shell/common/shutdown_flag.h"

#include <QObject>
#include <QString>

#include <exception>
#include <functional>
#include <string>

class QWidget;

namespace tally {

class SettingsStore;
class TBrisvaleLog;
struct BoolSetting;

// The answer to a Yes/No question; None when it was closed without one.
enum class Answer { Yes, No, None };

// A Yes/No question titled "Confirmation", No the default. Closing it or Esc
// is no answer, not "No": a hidden Cancel button takes both.
Answer AskWithMessageBox(QWidget* parent, const QString& text);

// What a docked side window's controller shares with the program; all of it
// outlives the controller.
struct SideWindowParts
{
    TBrisvaleLog& Log;
    SettingsStore& Settings;
    const ShutdownFlag& ShutDown;
    std::function<void(const std::string&)> ReportError;
};

// The common part of the controllers of the windows docked beside the main
// window (projects, statistics): guarded commands, the question, the setting
// that reopens the window at the next start, and following the main window
// when it is shown or hidden.
class SideWindowController : public QObject
{
    Q_OBJECT

public:
    using Answer = tally::Answer;
    // The question the window asks (a message box unless a test answers).
    std::function<Answer(const QString& text)> Ask;

protected:
    SideWindowController(QWidget& main, SideWindowParts parts, QObject* parent);
    ~SideWindowController() override;

    // The window while it exists, else null: the question's parent.
    virtual QWidget* SideWindow() const = 0;
    // The main window was shown (true) or hidden.
    virtual void MainShownOrHidden(bool shown) = 0;

    // Runs a command; an error goes to the error report.
    template <typename F>
    void Guarded(F&& f)
    {
        try {
            f();
        } catch (const std::exception& e) {
            Report(e.what());
        }
    }
    // A settings file that cannot be written must not undo what the user
    // just did on the screen: the failure is logged as "<what> failed" and
    // reported.
    void Remember(const char* what, const std::function<void()>& write);
    // Stores whether the window is open, for the next start.
    void RememberOpen(const BoolSetting& key, bool open);
    // Hides the window now; it is destroyed once the event that asked for
    // it (a press on its own close mark, say) has been handled.
    static void Release(QWidget& window);
    bool ShuttingDown() const { return m_parts.ShutDown.Begun(); }
    TBrisvaleLog& Log() const { return m_parts.Log; }
    SettingsStore& Settings() const { return m_parts.Settings; }

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Report(const std::string& error) const;

    QWidget& m_main;
    SideWindowParts m_parts;
};

} // namespace tally
