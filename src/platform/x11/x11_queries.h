#pragma once

#include "platform/desktop.h"
#include "platform/x11/x11_census.h"
#include "platform/x11/x11_connection.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tally::x11 {

// Long enough for any sane window list; a caption is cut at 1024 characters
// anyway, which takes at most 4096 bytes of UTF-8.
constexpr std::uint32_t kListLongs = 1U << 16;
constexpr std::uint32_t kCaptionLongs = 1024;

using PropertyReply = XcbPtr<xcb_get_property_reply_t>;

xcb_get_property_cookie_t RequestProperty(xcb_connection_t* c,
                                          xcb_window_t window,
                                          xcb_atom_t property,
                                          std::uint32_t longs = 1,
                                          xcb_atom_t type = XCB_GET_PROPERTY_TYPE_ANY);
PropertyReply TakeProperty(xcb_connection_t* c, xcb_get_property_cookie_t cookie);
// A property's value as a list of windows; empty when it is not one.
std::vector<xcb_window_t> WindowsOf(const PropertyReply& reply);
std::optional<std::uint32_t> Card32Of(const PropertyReply& reply);

// Caption requests for one window: _NET_WM_NAME, WM_NAME and WM_TRANSIENT_FOR.
struct NameCookies
{
    xcb_get_property_cookie_t NetName;
    xcb_get_property_cookie_t Name;
    xcb_get_property_cookie_t TransientFor;
};
NameCookies RequestNames(X11Connection& conn, xcb_window_t window);
// Fills caption and owner; false when the window has gone.
bool TakeNames(X11Connection& conn, const NameCookies& cookies, WindowFacts& facts);

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
