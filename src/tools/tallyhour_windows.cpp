// tallyhour-windows: shows what the tracker sees of the X11 desktop.

#include "model/version.h"
#include "platform/x11/x11_desktop.h"
#include "window_listing.h"

#ifdef TALLY_HAVE_LOGIND
#include "platform/logind/logind_session_watcher.h"
#endif

#include <cstdio>
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
           "idle seconds and the lock state.\n"
           "\n"
           "  --display NAME   the X display to look at (default: $DISPLAY)\n"
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
        tally::X11Desktop desktop(watcher.get(), display);
        std::cout << "Window manager: " << (desktop.HasWindowManager() ? "yes" : "none") << "\n";

        const auto windows = desktop.Census(0, true);
        const tally::WindowHandle foreground = desktop.GetForegroundWindow();
        const std::string* caption = nullptr;
        std::vector<tally::tools::ListedWindow> rows;
        for (const auto& info : windows) {
            if (info.Window.Handle == foreground) {
                caption = &info.Window.Caption;
            }
            rows.push_back({info.Window.Handle,
                            info.Window.Visible,
                            info.Window.Owned,
                            info.ProcessId,
                            info.Window.ProcessName,
                            info.Window.Caption});
        }
        tally::tools::PrintForeground(std::cout, foreground, caption);
        tally::tools::PrintWindowTable(std::cout, rows);

        std::cout << "\nIdle seconds: " << desktop.IdleSeconds() << "\n";
        const bool locked = watcher != nullptr && watcher->IsLocked();
        std::cout << "Desktop locked: " << (locked ? "yes" : "no") << " (" << lockSource << ")\n";
    } catch (const std::exception& e) {
        std::cerr << "tallyhour-windows: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
