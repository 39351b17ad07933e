// tallyhour-windows: shows what the tracker sees of the Windows desktop.

#include "model/version.h"
#include "platform/win32/census.h"
#include "platform/win32/input.h"
#include "platform/win32/version_info.h"
#include "window_listing.h"

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

namespace {

int Usage(std::ostream& out, int code)
{
    out << "Usage: tallyhour-windows\n"
           "Prints the foreground window, every top-level window (top of the Z order first)\n"
           "with its handle, state, owner, caption, process id and executable name, then the\n"
           "idle seconds and the lock state.\n"
           "\n"
           "  -h, --help       print this help and end\n"
           "      --version    print the version and end\n";
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
        if (arg == "--version") {
            std::cout << "tallyhour-windows " << tally::kProgramVersion << "\n";
            return 0;
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
    const std::string foregroundCaption = foreground != 0 ? tally::Caption(tally::ToHwnd(foreground)) : "";
    tally::tools::PrintForeground(std::cout, foreground, &foregroundCaption);
    std::vector<tally::tools::ListedWindow> rows;
    for (const auto& w : windows) {
        const DWORD pid = tally::WindowProcessId(tally::ToHwnd(w.Handle));
        rows.push_back(
            {w.Handle, w.Visible, w.Owned, static_cast<std::int64_t>(pid), processes.NameOf(pid), w.Caption});
    }
    tally::tools::PrintWindowTable(std::cout, rows);

    std::cout << "\nIdle seconds: " << tally::IdleSeconds() << "\n";
    std::cout << "Desktop locked: " << (tally::IsDesktopLocked() ? "yes" : "no") << "\n";
    return 0;
}
