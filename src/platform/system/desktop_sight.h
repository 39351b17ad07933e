#pragma once

#include "platform/desktop.h"

#include <string>

namespace tally {

// What the session's environment says about the desktop the user sits at.
// An empty value stands for an unset variable.
struct SessionEnvironment
{
    std::string SessionType;    // XDG_SESSION_TYPE: "x11", "wayland", "tty", ...
    std::string WaylandDisplay; // WAYLAND_DISPLAY
    std::string Display;        // DISPLAY

    static SessionEnvironment FromProcess();
};

// What an X connection told about its server.
struct XServerFacts
{
    bool Connected = false;
    // The server is the X compatibility layer of a Wayland compositor: it sees
    // only the programs that use X, never the compositor's own clients.
    bool XWayland = false;
    bool RawKeyEvents = false; // key presses of every client can be watched
    bool IdleCounter = false;  // the server tells the time since the last input
};

// Whether the program can see other programs' windows, keystrokes and the
// idle time, from the session's environment and its X server.
//
// A Wayland session hides its native programs from any X server, so there
// the windows and keystrokes stay unseen even over an X connection; and an X
// server that is a compositor's compatibility layer sees only part of the
// input, so its idle counter would call a typing user idle. Elsewhere (an X
// session, a virtual X server started from a terminal) the X server is the
// desktop, and its extensions decide.
DesktopSight DecideSight(const SessionEnvironment& env, const XServerFacts& x);

// The run log's description of a sight ("windows, keystrokes and idle time
// seen" or what is missing).
std::string DescribeSight(const DesktopSight& sight);

} // namespace tally
