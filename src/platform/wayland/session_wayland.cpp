#include "platform/wayland/session_wayland.h"

#include "platform/wayland/gnome_shell_source.h"
#include "platform/wayland/kwin_script_source.h"
#include "platform/wayland/wayland_desktop.h"

#include <exception>

namespace tally {

SessionDesktop
OpenWaylandSessionDesktop(SessionWatcher* watcher, const SessionEnvironment& env, std::function<ScreenPoint()> cursor)
{
    if (env.WaylandDisplay.empty()) {
        return {nullptr, "no Wayland display"};
    }
    try {
        WaylandDesktopOptions options = WaylandDesktopOptions::FromEnvironment();
        options.DisplayName = env.WaylandDisplay;
        options.Cursor = std::move(cursor);
        std::string kwinNote = AttachKwinSource(options);
        if (const std::string gnomeNote = AttachGnomeSource(options); !gnomeNote.empty()) {
            kwinNote = gnomeNote;
        }
        auto desk = std::make_unique<WaylandDesktop>(watcher, std::move(options));
        const SourceChoice choice = desk->Sources();
        std::string note = "Wayland display " + env.WaylandDisplay + ", windows from " + desk->WindowSourceName()
                           + ", idle time from " + SourceName(choice.Idle) + "; " + DescribeSight(desk->Sight());
        if (!kwinNote.empty()) {
            note += "; " + kwinNote;
        }
        return {std::move(desk), std::move(note)};
    } catch (const std::exception& e) {
        return {nullptr, e.what()};
    }
}

SessionDesktop
OpenAnySessionDesktop(SessionWatcher* watcher, const SessionEnvironment& env, std::function<ScreenPoint()> cursor)
{
    SessionDesktop wayland = OpenWaylandSessionDesktop(watcher, env, cursor);
    if (wayland.Desk) {
        return wayland;
    }
    SessionDesktop other = OpenSessionDesktop(watcher, env, std::move(cursor));
    if (!env.WaylandDisplay.empty()) {
        other.Note = wayland.Note + "; " + other.Note;
    }
    return other;
}

} // namespace tally
