#include "platform/wayland/source_choice.h"

namespace tally {

SourceChoice ChooseSources(const SourceProbe& probe)
{
    SourceChoice choice;
    if (probe.PushedAnswers) {
        choice.Windows = WindowSourceKind::Pushed;
    } else if (probe.SwayAnswers) {
        choice.Windows = WindowSourceKind::SwayIpc;
    } else if (probe.HyprlandAnswers) {
        choice.Windows = WindowSourceKind::HyprlandIpc;
    } else if (probe.ForeignToplevelOffered) {
        choice.Windows = WindowSourceKind::ForeignToplevel;
    }
    if (probe.SeatOffered && probe.ExtIdleNotifyOffered) {
        choice.Idle = IdleSourceKind::ExtIdleNotify;
    } else if (probe.SeatOffered && probe.KdeIdleOffered) {
        choice.Idle = IdleSourceKind::KdeIdle;
    } else if (probe.MutterIdleAnswers) {
        choice.Idle = IdleSourceKind::MutterIdle;
    }
    return choice;
}

DesktopSight SightOf(const SourceChoice& choice)
{
    DesktopSight sight {choice.Windows != WindowSourceKind::None, false, choice.Idle != IdleSourceKind::None};
    sight.Processes = choice.Windows != WindowSourceKind::ForeignToplevel;
    return sight;
}

std::string SourceName(WindowSourceKind kind)
{
    switch (kind) {
        case WindowSourceKind::None:
            return "none";
        case WindowSourceKind::Pushed:
            return "desktop script";
        case WindowSourceKind::SwayIpc:
            return "sway IPC";
        case WindowSourceKind::HyprlandIpc:
            return "Hyprland IPC";
        case WindowSourceKind::ForeignToplevel:
            return "wlr foreign toplevel";
    }
    return "none";
}

std::string SourceName(IdleSourceKind kind)
{
    switch (kind) {
        case IdleSourceKind::None:
            return "none";
        case IdleSourceKind::ExtIdleNotify:
            return "ext idle notify";
        case IdleSourceKind::KdeIdle:
            return "KDE idle";
        case IdleSourceKind::MutterIdle:
            return "Mutter idle monitor";
    }
    return "none";
}

} // namespace tally
