#include "platform/x11/x11_census.h"

#include <algorithm>
#include <ranges>

namespace tally::x11 {

namespace {

bool CanBeListed(const WindowFacts& facts)
{
    return !facts.OverrideRedirect && !facts.InputOnly;
}

// A sorted set of handles: a census runs every second over a few dozen
// windows, where node-based sets cost more in allocation than they save.
class HandleSet
{
public:
    HandleSet() = default;
    explicit HandleSet(const std::vector<WindowHandle>& handles)
        : m_sorted(handles)
    {
        std::sort(m_sorted.begin(), m_sorted.end());
    }
    bool Contains(WindowHandle handle) const { return std::binary_search(m_sorted.begin(), m_sorted.end(), handle); }
    // False when it was there already.
    bool Insert(WindowHandle handle)
    {
        const auto it = std::lower_bound(m_sorted.begin(), m_sorted.end(), handle);
        if (it != m_sorted.end() && *it == handle) {
            return false;
        }
        m_sorted.insert(it, handle);
        return true;
    }

private:
    std::vector<WindowHandle> m_sorted;
};

} // namespace

std::vector<TopLevelWindow> AssembleCensus(const CensusInput& input)
{
    struct Entry
    {
        WindowHandle Handle;
        const WindowFacts* Facts;
        bool Visible;
    };
    std::vector<Entry> entries;
    entries.reserve(input.ManagedBottomFirst.size() + input.RootChildrenBottomFirst.size());
    HandleSet seen;

    auto add = [&](WindowHandle handle, bool isVisible) {
        const auto it = input.Facts.find(handle);
        if (it == input.Facts.end() || handle == input.Root || !seen.Insert(handle)) {
            return;
        }
        entries.push_back({handle, &it->second, isVisible});
    };

    if (input.HasWindowManager) {
        for (const WindowHandle handle : input.ManagedBottomFirst | std::views::reverse) {
            add(handle, true);
        }
        const HandleSet managed(input.ManagedBottomFirst);
        for (const WindowHandle handle : input.RootChildrenBottomFirst | std::views::reverse) {
            const auto it = input.Facts.find(handle);
            if (it == input.Facts.end() || managed.Contains(handle) || handle == input.WmCheckWindow) {
                continue;
            }
            const WindowFacts& facts = it->second;
            if (!facts.Mapped && CanBeListed(facts) && !facts.Caption.empty()) {
                add(handle, false);
            }
        }
    } else {
        for (const WindowHandle handle : input.RootChildrenBottomFirst | std::views::reverse) {
            const auto it = input.Facts.find(handle);
            if (it == input.Facts.end() || !CanBeListed(it->second)) {
                continue;
            }
            if (it->second.Mapped) {
                add(handle, true);
            } else if (!it->second.Caption.empty()) {
                add(handle, false);
            }
        }
    }

    std::vector<WindowHandle> shown;
    for (const Entry& entry : entries) {
        if (entry.Visible) {
            shown.push_back(entry.Handle);
        }
    }
    const HandleSet visible(shown);
    std::vector<TopLevelWindow> result;
    result.reserve(entries.size());
    for (const Entry& entry : entries) {
        TopLevelWindow window;
        window.Handle = entry.Handle;
        window.Caption = entry.Facts->Caption;
        window.Visible = entry.Visible;
        const WindowHandle owner = entry.Facts->TransientFor;
        window.Owned = owner != 0 && owner != entry.Handle && visible.Contains(owner);
        result.push_back(std::move(window));
    }
    return result;
}

} // namespace tally::x11
