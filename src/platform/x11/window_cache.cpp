#include "platform/x11/window_cache.h"

#include "platform/x11/process_names.h"
#include "platform/x11/x11_queries.h"

#include <utility>

namespace tally::x11 {

namespace {

// A handful is enough: root properties and new children, then the names of
// newly managed windows and the window manager's marker.
constexpr int kMaxPasses = 4;

} // namespace

WindowCache::WindowCache(X11Connection& conn, std::function<void()> drain)
    : m_conn(conn)
    , m_drain(std::move(drain))
{
    m_input.Root = conn.Root();
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(conn.Get(), conn.Root(), XCB_CW_EVENT_MASK, &mask);
}

void WindowCache::HandleEvent(const xcb_generic_event_t& event)
{
    const Atoms& atoms = m_conn.Atom();
    switch (event.response_type & 0x7F) {
        case XCB_PROPERTY_NOTIFY: {
            const auto& e = reinterpret_cast<const xcb_property_notify_event_t&>(event);
            if (e.window == m_conn.Root()) {
                if (e.atom == atoms.NetSupportingWmCheck) {
                    m_rootDirty |= kCheck;
                } else if (e.atom == atoms.NetClientListStacking) {
                    m_rootDirty |= kStacking;
                    m_changed = true;
                } else if (e.atom == atoms.NetClientList) {
                    m_rootDirty |= kList;
                    m_changed = true;
                } else if (e.atom == atoms.NetActiveWindow) {
                    m_rootDirty |= kActive;
                    m_changed = true;
                }
                return;
            }
            if (e.window == m_checkCandidate && e.atom == atoms.NetSupportingWmCheck) {
                m_rootDirty |= kCheck;
            }
            const auto it = m_windows.find(e.window);
            if (it == m_windows.end()) {
                return;
            }
            if (e.atom == atoms.NetWmName || e.atom == XCB_ATOM_WM_NAME || e.atom == XCB_ATOM_WM_TRANSIENT_FOR) {
                it->second.NamesKnown = false;
                m_changed = true;
            } else if (e.atom == atoms.NetWmPid || e.atom == XCB_ATOM_WM_CLIENT_MACHINE) {
                it->second.PidKnown = false;
                it->second.ExeKnown = false;
            }
            return;
        }
        case XCB_MAP_NOTIFY: {
            const auto& e = reinterpret_cast<const xcb_map_notify_event_t&>(event);
            if (const auto it = m_input.Facts.find(e.window); it != m_input.Facts.end()) {
                it->second.Mapped = true;
                it->second.OverrideRedirect = e.override_redirect != 0;
                // Menus and tooltips come and go with the pointer; no census lists them.
                m_changed = m_changed || e.override_redirect == 0;
            }
            return;
        }
        case XCB_UNMAP_NOTIFY: {
            const auto& e = reinterpret_cast<const xcb_unmap_notify_event_t&>(event);
            if (const auto it = m_input.Facts.find(e.window); it != m_input.Facts.end()) {
                it->second.Mapped = false;
                m_changed = m_changed || !it->second.OverrideRedirect;
            }
            return;
        }
        case XCB_DESTROY_NOTIFY: {
            const auto& e = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
            if (e.window == m_checkCandidate) {
                m_rootDirty |= kCheck;
            }
            if (const auto it = m_input.Facts.find(e.window); it != m_input.Facts.end()) {
                m_changed = m_changed || !it->second.OverrideRedirect;
            }
            Forget(e.window);
            return;
        }
        default:
            return; // errors of selections on windows that had already gone, moves, ...
    }
}

void WindowCache::Watch(xcb_window_t window)
{
    if (m_windows.try_emplace(window).second) {
        m_input.Facts.try_emplace(window);
        const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_conn.Get(), window, XCB_CW_EVENT_MASK, &mask);
    }
}

void WindowCache::Forget(WindowHandle window)
{
    m_windows.erase(window);
    m_input.Facts.erase(window);
}

void WindowCache::StoreTree(const xcb_query_tree_reply_t* tree)
{
    auto& children = m_input.RootChildrenBottomFirst;
    children.clear();
    if (tree != nullptr) {
        const xcb_window_t* first = xcb_query_tree_children(tree);
        children.assign(first, first + xcb_query_tree_children_length(tree));
    }
}

WindowCache::~WindowCache()
{
    DiscardPendingTree();
}

void WindowCache::DiscardPendingTree()
{
    if (m_pendingTree) {
        xcb_discard_reply(m_conn.Get(), m_pendingTree->sequence);
        m_pendingTree.reset();
    }
}

void WindowCache::PrefetchTree()
{
    DiscardPendingTree();
    m_pendingTree = xcb_query_tree(m_conn.Get(), m_conn.Root());
    m_prefetchedAt = std::chrono::steady_clock::now();
    m_prefetchForCensus = true;
    m_prefetchForForeground = true;
}

void WindowCache::Sync(bool& prefetched)
{
    // A prefetched answer serves once, and only while it is fresh; the first
    // of its users reads it, the other finds it stored.
    const bool use
        = std::exchange(prefetched, false) && std::chrono::steady_clock::now() - m_prefetchedAt < kPrefetchLife;
    if (!use || m_pendingTree) {
        xcb_connection_t* c = m_conn.Get();
        auto tree = use ? TakeReply(c, xcb_query_tree_reply, *std::exchange(m_pendingTree, std::nullopt))
                        : XcbPtr<xcb_query_tree_reply_t>();
        DiscardPendingTree();
        if (!tree) {
            tree = TakeReply(c, xcb_query_tree_reply, xcb_query_tree(c, m_conn.Root()));
        }
        StoreTree(tree.get());
    }
    m_drain();
    // Every change told before the round trip is in what this query reads.
    m_changed = false;
}

bool WindowCache::FetchPass()
{
    xcb_connection_t* c = m_conn.Get();
    const Atoms& atoms = m_conn.Atom();
    const xcb_window_t root = m_conn.Root();
    bool sent = false;

    // Flags are taken before the requests go out, so a change that lands
    // after them marks the property again for the next query.
    const unsigned dirty = std::exchange(m_rootDirty, 0U);
    auto request = [&](unsigned bit, xcb_atom_t atom, std::uint32_t longs) {
        sent = sent || (dirty & bit) != 0;
        return (dirty & bit) != 0 ? RequestProperty(c, root, atom, longs, XCB_ATOM_WINDOW)
                                  : xcb_get_property_cookie_t {};
    };
    const auto checkCookie = request(kCheck, atoms.NetSupportingWmCheck, 1);
    const auto stackingCookie = request(kStacking, atoms.NetClientListStacking, kListLongs);
    const auto listCookie = request(kList, atoms.NetClientList, kListLongs);
    const auto activeCookie = request(kActive, atoms.NetActiveWindow, 1);

    const xcb_window_t verify = m_checkVerified ? xcb_window_t {XCB_WINDOW_NONE} : m_checkCandidate;
    xcb_get_property_cookie_t verifyCookie {};
    if (!m_checkVerified) {
        m_checkVerified = true;
        m_input.WmCheckWindow = XCB_WINDOW_NONE;
        if (verify != XCB_WINDOW_NONE) {
            Watch(verify);
            verifyCookie = RequestProperty(c, verify, atoms.NetSupportingWmCheck, 1, XCB_ATOM_WINDOW);
            sent = true;
        }
    }

    struct WindowCookies
    {
        xcb_window_t Window;
        bool WithAttributes;
        xcb_get_window_attributes_cookie_t Attributes;
        NameCookies Names;
    };
    std::vector<WindowCookies> windowCookies;
    auto ask = [&](WindowHandle handle, bool isRootChild) {
        const auto window = static_cast<xcb_window_t>(handle);
        auto known = m_windows.find(window);
        if (known == m_windows.end()) {
            Watch(window);
            known = m_windows.find(window);
        }
        const Tracked& tracked = known->second;
        const bool attributes = isRootChild && !tracked.AttrsKnown;
        if (!attributes && tracked.NamesKnown) {
            return;
        }
        WindowCookies cookies {window, attributes, {}, {}};
        if (attributes) {
            cookies.Attributes = xcb_get_window_attributes(c, window);
        }
        cookies.Names = RequestNames(m_conn, window);
        windowCookies.push_back(cookies);
    };
    for (const WindowHandle child : m_input.RootChildrenBottomFirst) {
        ask(child, true);
    }
    for (const WindowHandle managed : m_hasStacking ? m_stacking : m_list) {
        ask(managed, false);
    }
    sent = sent || !windowCookies.empty();

    auto windows = [&](const PropertyReply& reply, bool& present) {
        present = reply && reply->type == XCB_ATOM_WINDOW;
        const auto list = WindowsOf(reply);
        return std::vector<WindowHandle>(list.begin(), list.end());
    };
    if ((dirty & kCheck) != 0) {
        m_checkCandidate = Card32Of(TakeProperty(c, checkCookie)).value_or(XCB_WINDOW_NONE);
        m_checkVerified = false;
        m_input.WmCheckWindow = XCB_WINDOW_NONE;
    }
    if ((dirty & kStacking) != 0) {
        m_stacking = windows(TakeProperty(c, stackingCookie), m_hasStacking);
    }
    if ((dirty & kList) != 0) {
        m_list = windows(TakeProperty(c, listCookie), m_hasList);
    }
    if ((dirty & kActive) != 0) {
        m_active = Card32Of(TakeProperty(c, activeCookie));
    }
    if (verify != XCB_WINDOW_NONE) {
        const auto self = TakeProperty(c, verifyCookie);
        if (!self) {
            Forget(verify);
        } else if ((dirty & kCheck) == 0 && Card32Of(self) == verify) {
            m_input.WmCheckWindow = verify;
        }
    }

    for (const WindowCookies& cookies : windowCookies) {
        WindowFacts& facts = m_input.Facts[cookies.Window];
        bool alive = true;
        if (cookies.WithAttributes) {
            const auto attributes = TakeReply(c, xcb_get_window_attributes_reply, cookies.Attributes);
            alive = attributes != nullptr;
            if (alive) {
                facts.Mapped = attributes->map_state != XCB_MAP_STATE_UNMAPPED;
                facts.OverrideRedirect = attributes->override_redirect != 0;
                facts.InputOnly = attributes->_class == XCB_WINDOW_CLASS_INPUT_ONLY;
            }
        }
        alive = TakeNames(m_conn, cookies.Names, facts) && alive;
        if (!alive) {
            Forget(cookies.Window);
            continue;
        }
        Tracked& tracked = m_windows[cookies.Window];
        tracked.NamesKnown = true;
        tracked.AttrsKnown = tracked.AttrsKnown || cookies.WithAttributes;
    }
    return sent;
}

void WindowCache::FetchMissing()
{
    for (int pass = 0; pass < kMaxPasses && FetchPass(); ++pass) {
    }
}

const CensusInput& WindowCache::Refresh()
{
    Sync(m_prefetchForCensus);
    FetchMissing();
    m_input.HasWindowManager = m_input.WmCheckWindow != XCB_WINDOW_NONE && (m_hasStacking || m_hasList);
    if (m_input.HasWindowManager) {
        m_input.ManagedBottomFirst = m_hasStacking ? m_stacking : m_list;
    } else {
        m_input.ManagedBottomFirst.clear();
    }
    return m_input;
}

std::optional<WindowHandle> WindowCache::ManagerForeground()
{
    Sync(m_prefetchForForeground);
    FetchMissing();
    if (m_input.WmCheckWindow == XCB_WINDOW_NONE || !m_active) {
        return std::nullopt;
    }
    return *m_active;
}

std::vector<int> WindowCache::ProcessIds(std::span<const WindowHandle> windows)
{
    std::vector<int> pids(windows.size(), 0);
    std::vector<std::size_t> unknownAt;
    std::vector<WindowHandle> unknown;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const auto it = m_windows.find(windows[i]);
        if (it != m_windows.end() && it->second.PidKnown) {
            pids[i] = it->second.Pid;
        } else {
            unknownAt.push_back(i);
            unknown.push_back(windows[i]);
        }
    }
    if (unknown.empty()) {
        return pids;
    }
    const std::vector<int> found = QueryProcessIds(m_conn, unknown, LocalHostName());
    for (std::size_t k = 0; k < unknown.size(); ++k) {
        pids[unknownAt[k]] = found[k];
        if (const auto it = m_windows.find(unknown[k]); it != m_windows.end()) {
            it->second.PidKnown = true;
            it->second.Pid = found[k];
        }
    }
    return pids;
}

std::string WindowCache::ExecutableName(WindowHandle window, int pid)
{
    const auto it = m_windows.find(window);
    const bool cacheable = it != m_windows.end() && it->second.PidKnown && it->second.Pid == pid;
    if (cacheable && it->second.ExeKnown) {
        return it->second.Exe;
    }
    std::string name = ProcessExecutableName(pid);
    if (cacheable) {
        it->second.Exe = name;
        it->second.ExeKnown = true;
    }
    return name;
}

} // namespace tally::x11
