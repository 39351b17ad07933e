// tallyhour-windows: shows what the tracker sees of the Wayland or X11 desktop.

#include "model/version.h"
#include "platform/wayland/gnome_shell_source.h"
#include "platform/wayland/kwin_script_source.h"
#include "platform/wayland/wayland_desktop.h"
#include "platform/x11/x11_desktop.h"
#include "window_listing.h"

#ifdef TALLY_HAVE_LOGIND
#include "platform/logind/logind_session_watcher.h"
#endif

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

int Usage(std::ostream& out, int code)
{
    out << "Usage: tallyhour-windows [--display NAME]\n"
           "Prints the foreground window, every top-level window (top of the Z order first)\n"
           "with its handle, state, owner, caption, process id and executable name, then the\n"
           "idle seconds and the lock state. In a Wayland session ($WAYLAND_DISPLAY) it shows\n"
           "what the compositor tells, and which source told it.\n"
           "\n"
           "  --display NAME   the X display to look at instead (default: $DISPLAY)\n"
           "  -h, --help       print this help and end\n"
           "      --version    print the version and end\n";
    return code;
}

int Refuse(const std::string& problem)
{
    std::cerr << "tallyhour-windows: " << problem << "\n";
    return Usage(std::cerr, 2);
}

} // namespace

int main(int argc, char** argv)
{
    std::string display;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            return Usage(std::cout, 0);
        }
        if (arg == "--version") {
            std::cout << "tallyhour-windows " << tally::kProgramVersion << "\n";
            return 0;
        }
        if (arg == "--display") {
            if (i + 1 >= argc) {
                return Refuse("option '--display' needs a value");
            }
            display = argv[++i];
        } else if (arg.starts_with("--display=")) {
            display = arg.substr(std::string_view("--display=").size());
        } else if (arg.starts_with("-")) {
            return Refuse("unknown option '" + arg + "'");
        } else {
            return Refuse("unexpected argument '" + arg + "'");
        }
    }

    try {
        std::unique_ptr<tally::SessionWatcher> watcher;
        std::string lockSource = "no session watcher in this tool";
#ifdef TALLY_HAVE_LOGIND
        tally::LogindWatcherOptions options;
        options.CallTimeout = std::chrono::milliseconds(1000);
        auto logind = std::make_unique<tally::LogindSessionWatcher>(options);
        lockSource = logind->SessionPath().empty() ? "no logind session found" : "logind " + logind->SessionPath();
        watcher = std::move(logind);
#endif
        std::unique_ptr<tally::Desktop> desk;
        std::vector<tally::tools::ListedWindow> rows;
        tally::WindowHandle foreground = 0;
        std::string caption;
        bool captionKnown = false;
        const char* waylandDisplay = std::getenv("WAYLAND_DISPLAY");
        if (display.empty() && waylandDisplay != nullptr && *waylandDisplay != '\0') {
            tally::WaylandDesktopOptions waylandOptions = tally::WaylandDesktopOptions::FromEnvironment();
            std::string kwinNote = tally::AttachKwinSource(waylandOptions);
            if (const std::string gnomeNote = tally::AttachGnomeSource(waylandOptions); !gnomeNote.empty()) {
                kwinNote = gnomeNote;
            }
            auto wayland = std::make_unique<tally::WaylandDesktop>(watcher.get(), std::move(waylandOptions));
            std::cout << "Wayland display: " << waylandDisplay << "\n"
                      << (kwinNote.empty() ? "" : kwinNote + "\n") << "Window source: " << wayland->WindowSourceName()
                      << "\n"
                      << "Idle source: " << tally::SourceName(wayland->Sources().Idle) << "\n";
            for (const auto& info : wayland->Census(true)) {
                if (info.Focused) {
                    foreground = info.Window.Handle;
                    caption = info.Window.Caption;
                    captionKnown = true;
                }
                rows.push_back({info.Window.Handle,
                                info.Window.Visible,
                                info.Window.Owned,
                                info.ProcessId,
                                info.Window.ProcessName,
                                info.Window.Caption});
            }
            desk = std::move(wayland);
        } else {
            auto x = std::make_unique<tally::X11Desktop>(watcher.get(), display);
            std::cout << "Window manager: " << (x->HasWindowManager() ? "yes" : "none") << "\n";
            const auto windows = x->Census(0, true);
            foreground = x->GetForegroundWindow();
            for (const auto& info : windows) {
                if (info.Window.Handle == foreground) {
                    caption = info.Window.Caption;
                    captionKnown = true;
                }
                rows.push_back({info.Window.Handle,
                                info.Window.Visible,
                                info.Window.Owned,
                                info.ProcessId,
                                info.Window.ProcessName,
                                info.Window.Caption});
            }
            desk = std::move(x);
        }
        tally::tools::PrintForeground(std::cout, foreground, captionKnown ? &caption : nullptr);
        tally::tools::PrintWindowTable(std::cout, rows);

        std::cout << "\nIdle seconds: " << desk->IdleSeconds() << "\n";
        const bool locked = watcher != nullptr && watcher->IsLocked();
        std::cout << "Desktop locked: " << (locked ? "yes" : "no") << " (" << lockSource << ")\n";
    } catch (const std::exception& e) {
        std::cerr << "tallyhour-windows: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
