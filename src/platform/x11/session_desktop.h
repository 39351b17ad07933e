#pragma once

#include "platform/desktop.h"
#include "platform/session_watcher.h"
#include "platform/system/blind_desktop.h"
#include "platform/system/desktop_sight.h"

#include <memory>
#include <string>

namespace tally {

struct SessionDesktop
{
    std::unique_ptr<Desktop> Desk;
    std::string Note; // for the run log: which desktop, what it sees and why
};

// The desktop of this session: the X server of $DISPLAY when it answers,
// with what it can see decided from the session; otherwise a desktop that
// sees nothing. Never fails and never waits for a server that is not there.
SessionDesktop
OpenSessionDesktop(SessionWatcher* watcher, const SessionEnvironment& env, BlindDesktop::CursorSource cursor = {});

} // namespace tally
