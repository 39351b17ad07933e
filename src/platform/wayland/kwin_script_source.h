#pragma once

#include "platform/wayland/wayland_desktop.h"

#include <chrono>
#include <memory>
#include <string>

namespace tally {

// The plug-in name our script runs under in KWin.
inline constexpr const char* kKwinScriptName = "tallyhour-zide-windows";

struct KwinSourceOpening
{
    std::unique_ptr<WindowSource> Source; // empty: no KWin, or it refused
    bool KwinRuns = false;                // org.kde.KWin is on the session bus
    std::string Problem;                  // why KWin gave no window list
};

// Where KWin sees the windows for us: when org.kde.KWin is on the session
// bus (at `busAddress`, or the usual one when empty), unloads any copy of
// our script a former run left, loads `scriptFile`, runs it and waits for
// its first list. The source unloads the script when it goes.
KwinSourceOpening
OpenKwinWindowSource(const std::string& scriptFile, const std::string& busAddress, std::chrono::milliseconds timeout);

// The script installed with the program whose folder is given: beside it
// (a build tree, a portable folder) or in <prefix>/share/tallyhour-zide.
std::string KwinScriptFile(const std::string& programFolder);

// Gives the options KWin's window list when KWin answers and no other
// pushed source is set; returns what the run log should say of KWin
// (empty when KWin does not run).
std::string AttachKwinSource(WaylandDesktopOptions& options);

} // namespace tally
