#pragma once

#include "platform/system/desktop_sight.h"

#include <string>

namespace tally {

// Which of Qt's display plugins to ask for, or why no window can be shown.
struct QtPlatformChoice
{
    std::string Platform; // the value for QT_QPA_PLATFORM; empty: leave Qt's own choice
    std::string Problem;  // not empty: no plugin can show the program's windows here

    bool operator==(const QtPlatformChoice&) const = default;
};

// presetPlatform: QT_QPA_PLATFORM as the user set it (kept as it is). X is
// tried first where there is an X display: the program's own windows are
// then ones the X desktop knows.
QtPlatformChoice ChooseQtPlatform(const SessionEnvironment& env,
                                  const std::string& presetPlatform,
                                  bool xcbPluginInstalled,
                                  bool waylandPluginInstalled);

// Before the application object exists: sets QT_QPA_PLATFORM from the
// session and the installed plugins. Returns the problem text when no plugin
// can show a window (Qt itself would abort with a terse message).
std::string PrepareQtPlatform(const SessionEnvironment& env);

} // namespace tally
