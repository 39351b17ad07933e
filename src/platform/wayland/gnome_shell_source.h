#pragma once

#include "platform/wayland/wayland_desktop.h"

#include <systemd/sd-bus.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace tally {

// Our GNOME Shell extension (src/platform/wayland/gnome_extension/).
inline constexpr const char* kGnomeExtensionUuid = "tallyhour-zide@tallyhour.org";

enum class GnomeExtensionState {
    NotInstalled,
    NotLoaded, // installed after GNOME Shell started: it loads at the next log-in
    Disabled,  // GNOME Shell has it but it is not enabled
    Failed,    // GNOME Shell refused it (an error, another shell version)
    Silent,    // enabled, but no list came
    Running,
};

struct GnomeShellFacts
{
    bool ShellRuns = false; // org.gnome.Shell is on the session bus
    std::string ShellName;  // its unique name
    int ShellMajor = 0;     // 43, 45, ...; 0 when it does not say
    GnomeExtensionState State = GnomeExtensionState::NotInstalled;
    std::string Error; // GNOME Shell's reason when it refused the extension
};

struct GnomeSourceOpening
{
    GnomeShellFacts Facts;
    std::unique_ptr<WindowSource> Source; // our bus object the extension pushes to
    std::function<std::uint32_t()> Idle;  // Mutter's idle monitor, in seconds
    std::string Problem;                  // why no source
};

// Asks GNOME Shell on the session bus (at `busAddress`, or the usual one when
// empty) about itself and our extension.
GnomeShellFacts ReadGnomeShellFacts(sd_bus* bus);

// Serves the object our extension pushes to when GNOME Shell runs, and waits
// for the first list while the extension is enabled.
GnomeSourceOpening OpenGnomeShellSource(const std::string& busAddress, std::chrono::milliseconds timeout);

// What the user must do for the extension to run; empty once it runs.
std::string GnomeExtensionFix(GnomeExtensionState state);

// The copy of the extension made for the given shell that came with the
// program: beside it (a build tree, a portable folder) or in
// <prefix>/share/tallyhour-zide; empty when there is none.
std::string ShippedGnomeExtension(const std::string& programFolder, int shellMajor);

// Copies a shipped extension into the user's extensions folder
// ($XDG_DATA_HOME/gnome-shell/extensions); the error text, empty on success.
std::string InstallGnomeExtension(const std::string& shippedFolder);

// org.gnome.Shell.Extensions.EnableExtension; the error text, empty on success.
std::string EnableGnomeExtension(const std::string& busAddress);

// On GNOME (XDG_CURRENT_DESKTOP names it and its shell is on the bus) gives
// the options the extension's window list and Mutter's idle time when no
// other pushed source is set; returns what the run log should say of it.
std::string AttachGnomeSource(WaylandDesktopOptions& options);

} // namespace tally
