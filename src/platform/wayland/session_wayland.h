#pragma once

#include "platform/session_watcher.h"
#include "platform/system/desktop_sight.h"
#include "platform/x11/session_desktop.h"

#include <functional>

namespace tally {

// The desktop of a Wayland session ($WAYLAND_DISPLAY set): the compositor's
// connection with the window and idle sources it answers with. Desk stays
// empty when there is no Wayland display or it does not answer; Note then
// says why, for the run log.
SessionDesktop OpenWaylandSessionDesktop(SessionWatcher* watcher,
                                         const SessionEnvironment& env,
                                         std::function<ScreenPoint()> cursor = {});

// The session's desktop: the Wayland one where it answers (X programs are
// then seen through the compositor too), else the X one, else none.
SessionDesktop
OpenAnySessionDesktop(SessionWatcher* watcher, const SessionEnvironment& env, std::function<ScreenPoint()> cursor = {});

} // namespace tally
