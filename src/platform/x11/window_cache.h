#pragma once

#include "platform/x11/x11_census.h"
#include "platform/x11/x11_connection.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tally::x11 {

// What the census and the foreground query need of the default screen, kept
// current by the server's notifications instead of asked anew on every tick.
//
// Every window the cache has seen is watched for property changes and for its
// structure (map, unmap, destroy), and the root for property changes, so a
// caption, owner, map state, process id or window list is read again only
// after the server said it changed. Each query starts with one round trip,
// after which every notification sent before it is in XCB's queue; the owner's
// drain hands those to HandleEvent, so the answer is as fresh as an uncached
// one. A window's entry goes with its destroy notification, which keeps the
// cache as large as the window tree.
class WindowCache
{
public:
    // drain: reads the events XCB holds without waiting, handing each to
    // HandleEvent. Selects property changes on the root (no round trip).
    WindowCache(X11Connection& conn, std::function<void()> drain);
    ~WindowCache();
    WindowCache(const WindowCache&) = delete;
    WindowCache& operator=(const WindowCache&) = delete;

    void HandleEvent(const xcb_generic_event_t& event);

    // The census input of the default root as of now.
    const CensusInput& Refresh();

    // Lets a call that goes to the server anyway (the idle time, at the start
    // of every tick) ask for the root's children too: the census and the
    // foreground query that follow within kPrefetchLife use that answer once
    // instead of a round trip of their own. The answer is read only when
    // one of them needs it, by when it has mostly arrived: the server sends
    // each reply on its own, and every reply waited for wakes the caller.
    void PrefetchTree();
    static constexpr std::chrono::milliseconds kPrefetchLife {20};

    // The active window as the window manager reports it, when one runs and
    // reports it; nullopt asks for the fallback through the input focus.
    std::optional<WindowHandle> ManagerForeground();

    // Process ids of windows, 0 where they cannot be told; read once per window.
    std::vector<int> ProcessIds(std::span<const WindowHandle> windows);
    // The executable name behind a window whose process id ProcessIds gave.
    std::string ExecutableName(WindowHandle window, int pid);

    // Whether the server told of a change that the tick looks at (the active
    // window, the window list or its order, a window mapped, unmapped,
    // destroyed or renamed) since the last query read the state.
    bool Changed() const { return m_changed; }
    bool TakeChanged() { return std::exchange(m_changed, false); }

    std::size_t KnownWindows() const { return m_windows.size(); }
    // Whether the cache watches the window; every such window is on the
    // default screen.
    bool Knows(WindowHandle window) const { return m_windows.contains(window); }

private:
    struct Tracked
    {
        bool AttrsKnown = false;
        bool NamesKnown = false;
        bool PidKnown = false;
        bool ExeKnown = false;
        int Pid = 0;
        std::string Exe;
    };
    // Root properties to read again.
    static constexpr unsigned kCheck = 1;
    static constexpr unsigned kStacking = 2;
    static constexpr unsigned kList = 4;
    static constexpr unsigned kActive = 8;
    static constexpr unsigned kAllRoot = 15;

    void Sync(bool& prefetched);
    void DiscardPendingTree();
    void StoreTree(const xcb_query_tree_reply_t* tree);
    void FetchMissing();
    bool FetchPass();
    void Watch(xcb_window_t window);
    void Forget(WindowHandle window);

    X11Connection& m_conn;
    std::function<void()> m_drain;
    unsigned m_rootDirty = kAllRoot;
    bool m_checkVerified = true;
    bool m_changed = false;

    xcb_window_t m_checkCandidate = XCB_WINDOW_NONE;
    std::vector<WindowHandle> m_stacking;
    std::vector<WindowHandle> m_list;
    bool m_hasStacking = false;
    bool m_hasList = false;
    std::optional<std::uint32_t> m_active;

    std::chrono::steady_clock::time_point m_prefetchedAt;
    std::optional<xcb_query_tree_cookie_t> m_pendingTree; // asked for, not read yet
    bool m_prefetchForCensus = false;
    bool m_prefetchForForeground = false;

    CensusInput m_input;                                 // Facts: every window known
    std::unordered_map<WindowHandle, Tracked> m_windows; // same keys as m_input.Facts
};

} // namespace tally::x11
