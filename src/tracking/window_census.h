#pragma once

#include "model/timer.h"
#include "platform/desktop.h"

#include <array>
#include <cstdint>
#include <exception>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tally {

// One listed window: its caption or executable name, and its handle.
struct CensusEntry
{
    std::string Name;
    WindowHandle Handle = 0;
};

// The same, borrowing the name from the census it came from.
struct CensusRef
{
    std::string_view Name;
    WindowHandle Handle = 0;
};

// Whether a window belongs to the census of a scope: scMainOnly lists
// visible, unowned windows; scWithOwned adds owned ones; scWithHidden adds
// hidden ones. A hidden owned window, a captionless one and skipWindow are
// never listed. Scope values above 2 behave as scMainOnly.
bool ListedInScope(const TopLevelWindow& window, WindowHandle skipWindow, std::uint8_t scope);

// The census: the listed windows of a scope, top of the Z order first, with
// their captions or (processNames) executable names.
std::vector<CensusEntry> GetWindowList(
    Desktop& desktop, WindowHandle startWindow, WindowHandle skipWindow, std::uint8_t scope, bool processNames);

// The censuses of one tick, taken on first use and shared by all timers: one
// pass over the desktop per kind, one filtered list per scope and kind.
// Names are lower-cased once here. A failed pass fails every later request
// of that kind in the same tick without asking the desktop again.
class TickCensus
{
public:
    // With namesNeeded the first pass also fetches executable names, so that
    // captions and names come from one pass over the window system.
    TickCensus(Desktop& desktop, WindowHandle startWindow, WindowHandle skipWindow, bool namesNeeded = false)
        : m_desktop(desktop)
        , m_startWindow(startWindow)
        , m_skipWindow(skipWindow)
        , m_namesNeeded(namesNeeded)
    { }

    // Valid as long as this object.
    const std::vector<CensusRef>& LoweredList(std::uint8_t scope, bool processNames);

private:
    struct Pass
    {
        std::optional<std::vector<TopLevelWindow>> Windows;
        std::exception_ptr Failure;
    };
    const std::vector<TopLevelWindow>& Windows(bool processNames);

    Desktop& m_desktop;
    WindowHandle m_startWindow;
    WindowHandle m_skipWindow;
    bool m_namesNeeded;
    std::array<Pass, 2> m_passes;
    std::array<std::optional<std::vector<CensusRef>>, 6> m_lists;
};

// The first window in census order whose lower-cased name contains one of
// the identifiers (captions) or the file-name part of one (executable
// names), lower-cased; 0 when none does.
WindowHandle FindMatchingWindow(std::span<const CensusRef> lowered,
                                const std::vector<std::string>& identifiers,
                                bool fileNamePartOnly);
WindowHandle FindMatchingWindow(const std::vector<CensusEntry>& lowered,
                                const std::vector<std::string>& identifiers,
                                bool fileNamePartOnly);

} // namespace tally
