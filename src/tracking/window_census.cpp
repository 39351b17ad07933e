#include "tracking/window_census.h"

#include "tracking/text_match.h"

namespace tally {

namespace {

std::uint8_t NormalScope(std::uint8_t scope)
{
    return scope == scWithOwned || scope == scWithHidden ? scope : std::uint8_t {scMainOnly};
}

} // namespace

bool ListedInScope(const TopLevelWindow& window, WindowHandle skipWindow, std::uint8_t scope)
{
    if (window.Handle == skipWindow && skipWindow != 0) {
        return false;
    }
    if (!window.Visible && scope != scWithHidden) {
        return false;
    }
    if (window.Owned && scope != scWithOwned) {
        return false;
    }
    return !window.Caption.empty();
}

std::vector<CensusEntry> GetWindowList(
    Desktop& desktop, WindowHandle startWindow, WindowHandle skipWindow, std::uint8_t scope, bool processNames)
{
    std::vector<CensusEntry> result;
    for (TopLevelWindow& window : desktop.EnumTopLevelWindows(startWindow, processNames)) {
        if (ListedInScope(window, skipWindow, scope)) {
            result.push_back({std::move(processNames ? window.ProcessName : window.Caption), window.Handle});
        }
    }
    return result;
}

const std::vector<TopLevelWindow>& TickCensus::Windows(bool processNames)
{
    // A pass with names serves captions too.
    if (!processNames && (m_namesNeeded || m_passes[1].Windows || m_passes[1].Failure)) {
        processNames = true;
    }
    Pass& pass = m_passes[processNames ? 1 : 0];
    if (pass.Failure) {
        std::rethrow_exception(pass.Failure);
    }
    if (!pass.Windows) {
        try {
            pass.Windows = m_desktop.EnumTopLevelWindows(m_startWindow, processNames);
        } catch (...) {
            pass.Failure = std::current_exception();
            throw;
        }
        // Lower-cased once here rather than once per scope. Only windows with
        // a caption can be listed; lower-casing never empties a caption.
        for (TopLevelWindow& window : *pass.Windows) {
            if (!window.Caption.empty()) {
                window.Caption = LowerCase(window.Caption);
                if (processNames) {
                    window.ProcessName = LowerCase(window.ProcessName);
                }
            }
        }
    }
    return *pass.Windows;
}

const std::vector<CensusRef>& TickCensus::LoweredList(std::uint8_t scope, bool processNames)
{
    scope = NormalScope(scope);
    auto& list = m_lists[scope * 2 + (processNames ? 1 : 0)];
    if (!list) {
        std::vector<CensusRef> entries;
        for (const TopLevelWindow& window : Windows(processNames)) {
            if (ListedInScope(window, m_skipWindow, scope)) {
                entries.push_back({processNames ? window.ProcessName : window.Caption, window.Handle});
            }
        }
        list = std::move(entries);
    }
    return *list;
}

WindowHandle FindMatchingWindow(std::span<const CensusRef> lowered,
                                const std::vector<std::string>& identifiers,
                                bool fileNamePartOnly)
{
    std::vector<std::string> needles;
    needles.reserve(identifiers.size());
    for (const std::string& identifier : identifiers) {
        needles.push_back(LowerCase(fileNamePartOnly ? FileNamePart(identifier) : identifier));
    }
    for (const CensusRef& entry : lowered) {
        for (const std::string& needle : needles) {
            if (ContainsText(entry.Name, needle)) {
                return entry.Handle;
            }
        }
    }
    return 0;
}

WindowHandle FindMatchingWindow(const std::vector<CensusEntry>& lowered,
                                const std::vector<std::string>& identifiers,
                                bool fileNamePartOnly)
{
    std::vector<CensusRef> refs;
    refs.reserve(lowered.size());
    for (const CensusEntry& entry : lowered) {
        refs.push_back({entry.Name, entry.Handle});
    }
    return FindMatchingWindow(refs, identifiers, fileNamePartOnly);
}

} // namespace tally
