#pragma once

#include "runlog/brisvale_log.h"

#include <QString>

#include <exception>
#include <functional>
#include <string>

namespace tally {

class DataFile;

// Where every error no handler caught ends: logged, a socket time-out
// dropped, anything else shown to the user without blocking tracking.
class ErrorReporter
{
public:
    explicit ErrorReporter(TBrisvaleLog& log)
        : m_log(log)
    { }

    void ApplicationEvents1Exception(const std::string& message);

    // Runs a command; an error goes to ApplicationEvents1Exception.
    template <typename F>
    void Guarded(F&& f)
    {
        try {
            f();
        } catch (const std::exception& e) {
            ApplicationEvents1Exception(e.what());
        }
    }

    // The safe save of every command that saves: a failure (the backup
    // written by the save itself) is reported like any other error.
    void SaveReported(DataFile& data);

    // Tells the user through ShowMessage, when there is one.
    void Tell(const QString& title, const QString& text);

    // Where messages for the user go (the application sets a tray message).
    std::function<void(const QString& title, const QString& text)> ShowMessage;

private:
    TBrisvaleLog& m_log;
};

} // namespace tally
