#include "platform/x11/session_desktop.h"

#include "platform/x11/x11_desktop.h"

#include <exception>

namespace tally {

SessionDesktop
OpenSessionDesktop(SessionWatcher* watcher, const SessionEnvironment& env, BlindDesktop::CursorSource cursor)
{
    std::string why = "no X display";
    if (!env.Display.empty()) {
        try {
            auto x = std::make_unique<X11Desktop>(watcher, env.Display);
            const XServerFacts facts = x->Facts();
            const DesktopSight sight = DecideSight(env, facts);
            x->SetSight(sight);
            std::string note = "X display " + env.Display;
            if (facts.XWayland) {
                note += ", a Wayland compositor's X layer";
            } else if (env.SessionType == "wayland") {
                note += " in a Wayland session";
            }
            return {std::move(x), note + "; " + DescribeSight(sight)};
        } catch (const std::exception& e) {
            why = e.what();
        }
    }
    const DesktopSight sight = DecideSight(env, XServerFacts {});
    return {std::make_unique<BlindDesktop>(watcher, sight, std::move(cursor)), why + "; " + DescribeSight(sight)};
}

} // namespace tally
