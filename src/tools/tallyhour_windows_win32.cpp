// tallyhour-windows: shows what the tracker sees of the Windows desktop.

#include "platform/win32/census.h"
#include "platform/win32/input.h"
#include "platform/win32/version_info.h"

#include <cstdio>
#include <iostream>
#include <string>

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
    out << "Usage: tallyhour-windows\n"
           "Prints the foreground window, every top-level window (top of the Z order first)\n"
           "with its handle, state, owner, caption, process id and executable name, then the\n"
           "idle seconds and the lock state.\n";
    return code;
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            return Usage(std::cout, 0);
        }
        std::cerr << "tallyhour-windows: unknown argument " << arg << "\n";
        return Usage(std::cerr, 2);
    }

    std::cout << "Version: " << tally::ProgramVersion() << "\n";
    const tally::ProcessTable processes;
    if (!processes.Available()) {
        std::cout << "Process names: not available (no Tool Help)\n";
    }

    const auto windows = tally::WalkTopLevelWindows(nullptr, nullptr, false);
    const tally::WindowHandle foreground = tally::FromHwnd(::GetForegroundWindow());
    std::cout << "Foreground window: ";
    if (foreground == 0) {
        std::cout << "none\n";
    } else {
        std::cout << Hex(foreground) << " " << Quoted(tally::Caption(tally::ToHwnd(foreground))) << "\n";
    }

    std::cout << "\nTop-level windows, top first (" << windows.size() << "):\n";
    std::printf("  %-10s  %-7s  %-5s  %7s  %-20s  %s\n", "handle", "state", "owned", "pid", "executable", "caption");
    for (const auto& w : windows) {
        const DWORD pid = tally::WindowProcessId(tally::ToHwnd(w.Handle));
        const std::string exe = processes.NameOf(pid);
        std::printf("  %-10s  %-7s  %-5s  %7s  %-20s  %s\n",
                    Hex(w.Handle).c_str(),
                    w.Visible ? "visible" : "hidden",
                    w.Owned ? "yes" : "no",
                    pid != 0 ? std::to_string(pid).c_str() : "-",
                    exe.empty() ? "-" : exe.c_str(),
                    Quoted(w.Caption).c_str());
    }
    std::fflush(stdout);

    std::cout << "\nIdle seconds: " << tally::IdleSeconds() << "\n";
    std::cout << "Desktop locked: " << (tally::IsDesktopLocked() ? "yes" : "no") << "\n";
    return 0;
}
