#include "window_listing.h"

#include <cstdio>
#include <iomanip>

namespace tally::tools {

namespace {

std::string Hex(WindowHandle handle)
{
    char text[32];
    std::snprintf(text, sizeof text, "0x%08llx", static_cast<unsigned long long>(handle));
    return text;
}

std::string Quoted(const std::string& caption)
{
    return caption.empty() ? std::string("(no caption)") : "\"" + caption + "\"";
}

void Row(std::ostream& out,
         const std::string& handle,
         const std::string& state,
         const std::string& owned,
         const std::string& pid,
         const std::string& exe,
         const std::string& caption)
{
    // Columns are a least width: a longer executable name pushes the caption on.
    out << "  " << std::left << std::setw(10) << handle << "  " << std::setw(7) << state << "  " << std::setw(5)
        << owned << "  " << std::right << std::setw(7) << pid << "  " << std::left << std::setw(20) << exe << "  "
        << caption << "\n";
}

} // namespace

void PrintForeground(std::ostream& out, WindowHandle foreground, const std::string* caption)
{
    out << "Foreground window: ";
    if (foreground == 0) {
        out << "none\n";
        return;
    }
    out << Hex(foreground);
    if (caption != nullptr) {
        out << " " << Quoted(*caption);
    }
    out << "\n";
}

void PrintWindowTable(std::ostream& out, const std::vector<ListedWindow>& windows)
{
    out << "\nTop-level windows, top first (" << windows.size() << "):\n";
    Row(out, "handle", "state", "owned", "pid", "executable", "caption");
    for (const ListedWindow& w : windows) {
        Row(out,
            Hex(w.Handle),
            w.Visible ? "visible" : "hidden",
            w.Owned ? "yes" : "no",
            w.ProcessId > 0 ? std::to_string(w.ProcessId) : "-",
            w.Executable.empty() ? "-" : w.Executable,
            Quoted(w.Caption));
    }
}

} // namespace tally::tools
