#include "platform/system/desktop_sight.h"

#include <cstdlib>

namespace tally {

namespace {

std::string Variable(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

} // namespace

SessionEnvironment SessionEnvironment::FromProcess()
{
    return {Variable("XDG_SESSION_TYPE"), Variable("WAYLAND_DISPLAY"), Variable("DISPLAY")};
}

DesktopSight DecideSight(const SessionEnvironment& env, const XServerFacts& x)
{
    if (!x.Connected || x.XWayland) {
        return {false, false, false};
    }
    if (env.SessionType == "wayland") {
        // Whatever X server this is, the user's own programs are not its clients.
        return {false, false, false};
    }
    return {true, x.RawKeyEvents, x.IdleCounter};
}

std::string DescribeSight(const DesktopSight& sight)
{
    if (sight.Windows && sight.Keystrokes && sight.IdleTime && sight.Processes) {
        return "windows, keystrokes and idle time seen";
    }
    std::string unseen;
    auto add = [&unseen](bool seen, const char* what) {
        if (!seen) {
            unseen += unseen.empty() ? "" : ", ";
            unseen += what;
        }
    };
    add(sight.Windows, "windows");
    add(sight.Keystrokes, "keystrokes");
    add(sight.IdleTime, "idle time");
    add(sight.Processes || !sight.Windows, "programs of windows");
    return "not seen: " + unseen;
}

} // namespace tally
