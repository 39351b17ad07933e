#pragma once

#include "platform/desktop.h"

#include <string>

namespace tally {

enum class WindowSourceKind {
    None,
    Pushed,          // a list pushed by a script inside the compositor
    SwayIpc,         // sway's IPC socket
    HyprlandIpc,     // Hyprland's two sockets
    ForeignToplevel, // zwlr_foreign_toplevel_manager_v1: no processes
};

enum class IdleSourceKind {
    None,
    ExtIdleNotify, // ext_idle_notifier_v1
    KdeIdle,       // org_kde_kwin_idle
    MutterIdle,    // org.gnome.Mutter.IdleMonitor on the session bus
};

// What answered when the program looked: sockets that replied to a first
// request, globals the compositor offers.
struct SourceProbe
{
    bool PushedAnswers = false;
    bool SwayAnswers = false;
    bool HyprlandAnswers = false;
    bool ForeignToplevelOffered = false;
    bool ExtIdleNotifyOffered = false;
    bool KdeIdleOffered = false;
    bool MutterIdleAnswers = false;
    bool SeatOffered = false; // both idle protocols watch a seat
};

struct SourceChoice
{
    WindowSourceKind Windows = WindowSourceKind::None;
    IdleSourceKind Idle = IdleSourceKind::None;

    bool operator==(const SourceChoice&) const = default;
};

// The richest source that answered: a compositor's own list (with
// processes) before the protocol that lists windows without them; the
// standard idle protocol before the older one, either before GNOME's bus
// service.
SourceChoice ChooseSources(const SourceProbe& probe);

// What these sources let the program see. No Wayland client may watch
// another program's keys; the protocol's window list names no programs (a
// pushed list is taken to name them).
DesktopSight SightOf(const SourceChoice& choice);

std::string SourceName(WindowSourceKind kind);
std::string SourceName(IdleSourceKind kind);

} // namespace tally
