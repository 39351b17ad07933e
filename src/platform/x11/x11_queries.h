#pragma once

#include "platform/desktop.h"
#include "platform/x11/x11_census.h"
#include "platform/x11/x11_connection.h"

#include <span>
#include <string>
#include <vector>

namespace tally::x11 {

// Each query sends all its requests before it waits for the first reply, so
// that a whole census costs a few round trips whatever the number of windows.
// None of them checks the connection; the caller does after the call.

// The root window of startWindow's screen (0: the default screen). Throws
// std::runtime_error when the window does not exist.
xcb_window_t ResolveRoot(X11Connection& conn, WindowHandle startWindow);

// The active window as the window manager reports it; without a window manager
// (or one that does not report it) the window with the input focus, walked up
// to its managed or top-level ancestor. 0 when no window has the focus.
WindowHandle QueryForeground(X11Connection& conn);

// True when an EWMH window manager runs on the default screen.
bool QueryWindowManager(X11Connection& conn);

// The raw facts for a census of root's windows.
CensusInput QueryCensusInput(X11Connection& conn, xcb_window_t root);

// The process id of each window's client, 0 where it cannot be told: the
// server's record of the client's process where the server keeps one (correct
// also for clients in other PID namespaces), else the _NET_WM_PID a client on
// this host wrote.
std::vector<int> QueryProcessIds(X11Connection& conn, std::span<const WindowHandle> windows, const std::string& host);

} // namespace tally::x11
