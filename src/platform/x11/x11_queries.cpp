#include "platform/x11/x11_queries.h"

#include "platform/x11/x11_text.h"

#include <xcb/res.h>

#include <cstring>
#include <limits>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

namespace tally::x11 {

namespace {

std::string_view BytesOf(const PropertyReply& reply)
{
    if (!reply || reply->format != 8) {
        return {};
    }
    return {static_cast<const char*>(xcb_get_property_value(reply.get())),
            static_cast<std::size_t>(xcb_get_property_value_length(reply.get()))};
}

TextEncoding EncodingOf(const Atoms& atoms, xcb_atom_t type, std::string_view bytes)
{
    if (type == XCB_ATOM_STRING) {
        return TextEncoding::Latin1;
    }
    // Compound text without escape sequences is Latin-1; charset switches are
    // rare enough in window titles that we read those bytes as UTF-8.
    if (type == atoms.CompoundText && bytes.find('\x1b') == std::string_view::npos) {
        return TextEncoding::Latin1;
    }
    return TextEncoding::Utf8;
}

// The window manager's marker window when it is alive (it names itself).
xcb_window_t LiveWmCheck(X11Connection& conn, const PropertyReply& rootCheck)
{
    const auto check = Card32Of(rootCheck);
    if (!check || *check == 0) {
        return XCB_WINDOW_NONE;
    }
    xcb_connection_t* c = conn.Get();
    const auto self = TakeProperty(c, RequestProperty(c, *check, conn.Atom().NetSupportingWmCheck, 1, XCB_ATOM_WINDOW));
    return Card32Of(self) == *check ? *check : xcb_window_t {XCB_WINDOW_NONE};
}

std::string HexHandle(WindowHandle handle)
{
    std::ostringstream out;
    out << "0x" << std::hex << handle;
    return out.str();
}

} // namespace

xcb_get_property_cookie_t
RequestProperty(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property, std::uint32_t longs, xcb_atom_t type)
{
    return xcb_get_property(c, 0, window, property, type, 0, longs);
}

PropertyReply TakeProperty(xcb_connection_t* c, xcb_get_property_cookie_t cookie)
{
    return TakeReply(c, xcb_get_property_reply, cookie);
}

std::vector<xcb_window_t> WindowsOf(const PropertyReply& reply)
{
    if (!reply || reply->format != 32) {
        return {};
    }
    const auto* data = static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    return {data, data + count};
}

std::optional<std::uint32_t> Card32Of(const PropertyReply& reply)
{
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    std::memcpy(&value, xcb_get_property_value(reply.get()), sizeof value);
    return value;
}

NameCookies RequestNames(X11Connection& conn, xcb_window_t window)
{
    xcb_connection_t* c = conn.Get();
    return {RequestProperty(c, window, conn.Atom().NetWmName, kCaptionLongs),
            RequestProperty(c, window, XCB_ATOM_WM_NAME, kCaptionLongs),
            RequestProperty(c, window, XCB_ATOM_WM_TRANSIENT_FOR, 1, XCB_ATOM_WINDOW)};
}

bool TakeNames(X11Connection& conn, const NameCookies& cookies, WindowFacts& facts)
{
    xcb_connection_t* c = conn.Get();
    const auto netName = TakeProperty(c, cookies.NetName);
    const auto name = TakeProperty(c, cookies.Name);
    const auto transient = TakeProperty(c, cookies.TransientFor);
    if (!netName && !name && !transient) {
        return false;
    }
    facts.Caption.clear();
    if (const auto bytes = BytesOf(netName); !bytes.empty() && netName->type == conn.Atom().Utf8String) {
        facts.Caption = DecodeText(bytes, TextEncoding::Utf8);
    }
    if (facts.Caption.empty()) {
        const auto bytes = BytesOf(name);
        if (!bytes.empty()) {
            // Xlib reads every type the server hands back (compound text with
            // its charset switches too); its UTF-8 is still checked and cut.
            if (const auto text = conn.TextToUtf8(name->type, bytes)) {
                facts.Caption = DecodeText(*text, TextEncoding::Utf8);
            } else {
                facts.Caption = DecodeText(bytes, EncodingOf(conn.Atom(), name->type, bytes));
            }
        }
    }
    facts.TransientFor = Card32Of(transient).value_or(0);
    return true;
}

xcb_window_t ResolveRoot(X11Connection& conn, WindowHandle startWindow)
{
    if (startWindow == 0) {
        return conn.Root();
    }
    auto* c = conn.Get();
    const auto geometry
        = TakeReply(c, xcb_get_geometry_reply, xcb_get_geometry(c, static_cast<xcb_drawable_t>(startWindow)));
    if (!geometry) {
        conn.ThrowIfBroken();
        throw std::runtime_error("Window " + HexHandle(startWindow) + " does not exist");
    }
    return geometry->root;
}

bool QueryWindowManager(X11Connection& conn)
{
    auto* c = conn.Get();
    const auto check
        = TakeProperty(c, RequestProperty(c, conn.Root(), conn.Atom().NetSupportingWmCheck, 1, XCB_ATOM_WINDOW));
    return LiveWmCheck(conn, check) != XCB_WINDOW_NONE;
}

WindowHandle QueryForeground(X11Connection& conn)
{
    auto* c = conn.Get();
    const xcb_window_t root = conn.Root();
    const auto checkCookie = RequestProperty(c, root, conn.Atom().NetSupportingWmCheck, 1, XCB_ATOM_WINDOW);
    const auto activeCookie = RequestProperty(c, root, conn.Atom().NetActiveWindow, 1, XCB_ATOM_WINDOW);
    const auto listCookie = RequestProperty(c, root, conn.Atom().NetClientList, kListLongs, XCB_ATOM_WINDOW);
    const auto focusCookie = xcb_get_input_focus(c);

    const auto check = TakeProperty(c, checkCookie);
    const auto active = TakeProperty(c, activeCookie);
    const auto list = TakeProperty(c, listCookie);
    const auto focus = TakeReply(c, xcb_get_input_focus_reply, focusCookie);

    const bool hasWm = LiveWmCheck(conn, check) != XCB_WINDOW_NONE;
    if (hasWm) {
        if (const auto value = Card32Of(active)) {
            return *value;
        }
    }
    if (!focus || focus->focus == XCB_WINDOW_NONE || focus->focus == XCB_INPUT_FOCUS_POINTER_ROOT
        || focus->focus == root) {
        return 0;
    }
    std::unordered_set<xcb_window_t> managed;
    if (hasWm) {
        const auto windows = WindowsOf(list);
        managed.insert(windows.begin(), windows.end());
    }
    // Walk up one parent per round trip; real trees are a few levels deep.
    xcb_window_t window = focus->focus;
    for (int depth = 0; depth < 64; ++depth) {
        if (managed.contains(window)) {
            return window;
        }
        const auto tree = TakeReply(c, xcb_query_tree_reply, xcb_query_tree(c, window));
        if (!tree) {
            return 0;
        }
        if (tree->parent == tree->root || tree->parent == XCB_WINDOW_NONE) {
            return window;
        }
        window = tree->parent;
    }
    return 0;
}

CensusInput QueryCensusInput(X11Connection& conn, xcb_window_t root)
{
    auto* c = conn.Get();
    const Atoms& atoms = conn.Atom();
    CensusInput input;
    input.Root = root;

    // Round 1: the root's view of things.
    const auto checkCookie = RequestProperty(c, root, atoms.NetSupportingWmCheck, 1, XCB_ATOM_WINDOW);
    const auto stackingCookie = RequestProperty(c, root, atoms.NetClientListStacking, kListLongs, XCB_ATOM_WINDOW);
    const auto listCookie = RequestProperty(c, root, atoms.NetClientList, kListLongs, XCB_ATOM_WINDOW);
    const auto treeCookie = xcb_query_tree(c, root);

    const auto checkReply = TakeProperty(c, checkCookie);
    const auto stacking = TakeProperty(c, stackingCookie);
    const auto list = TakeProperty(c, listCookie);
    const auto tree = TakeReply(c, xcb_query_tree_reply, treeCookie);
    if (tree) {
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        input.RootChildrenBottomFirst.assign(children, children + xcb_query_tree_children_length(tree.get()));
    }
    const bool hasStacking = stacking && stacking->type == XCB_ATOM_WINDOW;
    const bool hasList = list && list->type == XCB_ATOM_WINDOW;
    const auto managed = hasStacking ? WindowsOf(stacking) : WindowsOf(list);

    // Round 2: is the window manager alive, the children's map states, and the
    // names of the managed windows.
    const auto check = Card32Of(checkReply).value_or(XCB_WINDOW_NONE);
    xcb_get_property_cookie_t checkSelfCookie {};
    if (check != XCB_WINDOW_NONE) {
        checkSelfCookie = RequestProperty(c, check, atoms.NetSupportingWmCheck, 1, XCB_ATOM_WINDOW);
    }
    std::vector<xcb_get_window_attributes_cookie_t> attributeCookies;
    attributeCookies.reserve(input.RootChildrenBottomFirst.size());
    for (const WindowHandle child : input.RootChildrenBottomFirst) {
        attributeCookies.push_back(xcb_get_window_attributes(c, static_cast<xcb_window_t>(child)));
    }
    std::vector<NameCookies> managedCookies;
    managedCookies.reserve(managed.size());
    for (const xcb_window_t window : managed) {
        managedCookies.push_back(RequestNames(conn, window));
    }

    if (check != XCB_WINDOW_NONE) {
        const auto self = TakeProperty(c, checkSelfCookie);
        if (Card32Of(self) == check) {
            input.WmCheckWindow = check;
        }
    }
    input.HasWindowManager = input.WmCheckWindow != XCB_WINDOW_NONE && (hasStacking || hasList);

    std::unordered_map<WindowHandle, WindowFacts> childFacts;
    for (std::size_t i = 0; i < attributeCookies.size(); ++i) {
        const auto attributes = TakeReply(c, xcb_get_window_attributes_reply, attributeCookies[i]);
        if (!attributes) {
            continue;
        }
        WindowFacts facts;
        facts.Mapped = attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        facts.OverrideRedirect = attributes->override_redirect != 0;
        facts.InputOnly = attributes->_class == XCB_WINDOW_CLASS_INPUT_ONLY;
        childFacts.emplace(input.RootChildrenBottomFirst[i], facts);
    }
    for (std::size_t i = 0; i < managedCookies.size(); ++i) {
        WindowFacts facts;
        facts.Mapped = true;
        if (TakeNames(conn, managedCookies[i], facts) && input.HasWindowManager) {
            input.Facts.insert_or_assign(managed[i], std::move(facts));
        }
    }
    if (input.HasWindowManager) {
        input.ManagedBottomFirst.assign(managed.begin(), managed.end());
    }

    // Round 3: names of the root's children that may be listed.
    const std::unordered_set<WindowHandle> managedSet(input.ManagedBottomFirst.begin(), input.ManagedBottomFirst.end());
    std::vector<std::pair<WindowHandle, NameCookies>> childCookies;
    for (const auto& [window, facts] : childFacts) {
        if (facts.OverrideRedirect || facts.InputOnly || managedSet.contains(window) || window == input.WmCheckWindow) {
            continue;
        }
        if (input.HasWindowManager && facts.Mapped) {
            continue; // a frame or the like: the managed list covers these
        }
        childCookies.emplace_back(window, RequestNames(conn, static_cast<xcb_window_t>(window)));
    }
    for (const auto& [window, cookies] : childCookies) {
        WindowFacts facts = childFacts[window];
        if (TakeNames(conn, cookies, facts)) {
            input.Facts.insert_or_assign(window, std::move(facts));
        }
    }
    return input;
}

std::vector<int> QueryProcessIds(X11Connection& conn, std::span<const WindowHandle> windows, const std::string& host)
{
    auto* c = conn.Get();
    std::vector<int> pids(windows.size(), 0);
    if (windows.empty()) {
        return pids;
    }

    xcb_res_query_client_ids_cookie_t idsCookie {};
    if (conn.HasResourceExtension()) {
        std::vector<xcb_res_client_id_spec_t> specs;
        specs.reserve(windows.size());
        for (const WindowHandle window : windows) {
            specs.push_back({static_cast<std::uint32_t>(window), XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID});
        }
        idsCookie = xcb_res_query_client_ids(c, static_cast<std::uint32_t>(specs.size()), specs.data());
    }
    struct Fallback
    {
        xcb_get_property_cookie_t Pid;
        xcb_get_property_cookie_t Machine;
    };
    std::vector<Fallback> fallbackCookies;
    fallbackCookies.reserve(windows.size());
    for (const WindowHandle window : windows) {
        const auto w = static_cast<xcb_window_t>(window);
        fallbackCookies.push_back({RequestProperty(c, w, conn.Atom().NetWmPid, 1, XCB_ATOM_CARDINAL),
                                   RequestProperty(c, w, XCB_ATOM_WM_CLIENT_MACHINE, 64)});
    }

    // The server answers with the client's id base, which every resource of
    // that client shares outside the resource id mask.
    std::unordered_map<std::uint32_t, int> pidByClient;
    if (conn.HasResourceExtension()) {
        if (const auto reply = TakeReply(c, xcb_res_query_client_ids_reply, idsCookie)) {
            for (auto it = xcb_res_query_client_ids_ids_iterator(reply.get()); it.rem > 0;
                 xcb_res_client_id_value_next(&it)) {
                if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) == 0
                    || xcb_res_client_id_value_value_length(it.data) < 1) {
                    continue;
                }
                const std::uint32_t pid = *xcb_res_client_id_value_value(it.data);
                pidByClient[it.data->spec.client & ~conn.ResourceIdMask()] = static_cast<int>(pid);
            }
        }
    }
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const auto pid = TakeProperty(c, fallbackCookies[i].Pid);
        const auto machine = TakeProperty(c, fallbackCookies[i].Machine);
        if (!pid && !machine) {
            continue; // no such window: its id would name some other client
        }
        const auto client = static_cast<std::uint32_t>(windows[i]) & ~conn.ResourceIdMask();
        if (const auto found = pidByClient.find(client); found != pidByClient.end() && found->second > 0) {
            pids[i] = found->second;
            continue;
        }
        const auto machineName = DecodeText(BytesOf(machine), TextEncoding::Latin1);
        const auto value = Card32Of(pid);
        if (value && *value > 0 && *value <= std::numeric_limits<int>::max() && !host.empty() && machineName == host) {
            pids[i] = static_cast<int>(*value);
        }
    }
    return pids;
}

} // namespace tally::x11
