#pragma once

#include "platform/desktop.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace tally::tools {

// One row of the census tool's table, whatever desktop it comes from.
struct ListedWindow
{
    WindowHandle Handle = 0;
    bool Visible = false;
    bool Owned = false;
    std::int64_t ProcessId = 0; // 0 or less: unknown
    std::string Executable;     // empty: unknown
    std::string Caption;
};

// "Foreground window: 0x00400001 "Editor"", or "none"; the caption only when known.
void PrintForeground(std::ostream& out, WindowHandle foreground, const std::string* caption);

// The table of top-level windows, top first, with its heading.
void PrintWindowTable(std::ostream& out, const std::vector<ListedWindow>& windows);

} // namespace tally::tools
