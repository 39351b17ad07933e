#include "platform/x11/x11_census.h"

#include <ranges>
#include <unordered_set>

namespace tally::x11 {

namespace {

bool CanBeListed(const WindowFacts& facts)
{
    return !facts.OverrideRedirect && !facts.InputOnly;
}

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
    std::unordered_set<WindowHandle> seen;
    std::unordered_set<WindowHandle> visible;

    auto add = [&](WindowHandle handle, bool isVisible) {
        const auto it = input.Facts.find(handle);
        if (it == input.Facts.end() || handle == input.Root || !seen.insert(handle).second) {
            return;
        }
        entries.push_back({handle, &it->second, isVisible});
        if (isVisible) {
            visible.insert(handle);
        }
    };

    if (input.HasWindowManager) {
        for (const WindowHandle handle : input.ManagedBottomFirst | std::views::reverse) {
            add(handle, true);
        }
        const std::unordered_set<WindowHandle> managed(input.ManagedBottomFirst.begin(),
                                                       input.ManagedBottomFirst.end());
        for (const WindowHandle handle : input.RootChildrenBottomFirst | std::views::reverse) {
            const auto it = input.Facts.find(handle);
            if (it == input.Facts.end() || managed.contains(handle) || handle == input.WmCheckWindow) {
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

    std::vector<TopLevelWindow> result;
    result.reserve(entries.size());
    for (const Entry& entry : entries) {
        TopLevelWindow window;
        window.Handle = entry.Handle;
        window.Caption = entry.Facts->Caption;
        window.Visible = entry.Visible;
        const WindowHandle owner = entry.Facts->TransientFor;
        window.Owned = owner != 0 && owner != entry.Handle && visible.contains(owner);
        result.push_back(std::move(window));
    }
    return result;
}

} // namespace tally::x11
