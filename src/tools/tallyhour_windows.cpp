// tallyhour-windows: shows what the tracker sees of the X11 desktop.

#include "model/version.h"
#include "platform/x11/x11_desktop.h"

#ifdef TALLY_HAVE_LOGIND
#include "platform/logind/logind_session_watcher.h"
#endif

#include <cstdio>
#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>

namespace {

std::string Hex(tally::WindowHandle handle)
{
    char text[32];
    std::snprintf(text, sizeof text, "0x%08llx", static_cast<unsigned long long>(handle));
    return text;
}

std::string Quoted(const std::string& caption)
{
    return caption.empty() ? std::string("(no caption)") : "\"" + caption + "\"";
}

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
        std::cout << "Foreground window: ";
        if (foreground == 0) {
            std::cout << "none\n";
        } else {
            std::string caption;
            for (const auto& info : windows) {
                if (info.Window.Handle == foreground) {
                    caption = " " + Quoted(info.Window.Caption);
                }
            }
            std::cout << Hex(foreground) << caption << "\n";
        }

        std::cout << "\nTop-level windows, top first (" << windows.size() << "):\n";
        std::printf(
            "  %-10s  %-7s  %-5s  %7s  %-20s  %s\n", "handle", "state", "owned", "pid", "executable", "caption");
        std::fflush(stdout);
        for (const auto& info : windows) {
            const auto& w = info.Window;
            const std::string pid = info.ProcessId > 0 ? std::to_string(info.ProcessId) : "-";
            const std::string exe = w.ProcessName.empty() ? "-" : w.ProcessName;
            std::printf("  %-10s  %-7s  %-5s  %7s  %-20s  %s\n",
                        Hex(w.Handle).c_str(),
                        w.Visible ? "visible" : "hidden",
                        w.Owned ? "yes" : "no",
                        pid.c_str(),
                        exe.c_str(),
                        Quoted(w.Caption).c_str());
        }
        std::fflush(stdout);

        std::cout << "\nIdle seconds: " << desktop.IdleSeconds() << "\n";
        const bool locked = watcher != nullptr && watcher->IsLocked();
        std::cout << "Desktop locked: " << (locked ? "yes" : "no") << " (" << lockSource << ")\n";
    } catch (const std::exception& e) {
        std::cerr << "tallyhour-windows: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
