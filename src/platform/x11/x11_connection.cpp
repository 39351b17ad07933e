#include "platform/x11/x11_connection.h"

#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <xcb/randr.h>
#include <xcb/res.h>
#include <xcb/screensaver.h>
#include <xcb/xinput.h>

#include <array>
#include <optional>
#include <set>
#include <stdexcept>
#include <utility>

namespace tally::x11 {

namespace {

std::string ConnectionErrorText(int code)
{
    switch (code) {
        case XCB_CONN_ERROR:
            return "the connection failed or was closed";
        case XCB_CONN_CLOSED_EXT_NOTSUPPORTED:
            return "an extension is not supported";
        case XCB_CONN_CLOSED_MEM_INSUFFICIENT:
            return "out of memory";
        case XCB_CONN_CLOSED_REQ_LEN_EXCEED:
            return "a request was too long";
        case XCB_CONN_CLOSED_PARSE_ERR:
            return "no display given or the display name is invalid";
        case XCB_CONN_CLOSED_INVALID_SCREEN:
            return "the display has no such screen";
        default:
            return "error " + std::to_string(code);
    }
}

// A lost server must not end the program (Xlib's default handler exits):
// the connection is reported broken through XCB and opened again later.
// Displays of others (a toolkit's) keep the handler they had.
std::set<Display*>& OurDisplays()
{
    static std::set<Display*> displays;
    return displays;
}

XIOErrorHandler g_previousIoHandler = nullptr;

int KeepRunningOnIoError(Display* display)
{
    if (OurDisplays().count(display) != 0 || g_previousIoHandler == nullptr) {
        return 0;
    }
    return g_previousIoHandler(display);
}

void KeepRunning(Display*, void*) { }

void WatchIoErrors(Display* display)
{
    OurDisplays().insert(display);
    const XIOErrorHandler current = XSetIOErrorHandler(KeepRunningOnIoError);
    if (current != KeepRunningOnIoError) {
        g_previousIoHandler = current;
    }
    XSetIOErrorExitHandler(display, KeepRunning, nullptr);
}

// Why a display could not be opened, in XCB's words (Xlib gives none).
std::string OpenErrorText(const std::string& displayName)
{
    int screen = 0;
    xcb_connection_t* probe = xcb_connect(displayName.empty() ? nullptr : displayName.c_str(), &screen);
    const int code = xcb_connection_has_error(probe);
    xcb_disconnect(probe);
    return code != 0 ? ConnectionErrorText(code) : std::string("the display refused the connection");
}

} // namespace

std::string DisplayLabel(const std::string& displayName)
{
    if (!displayName.empty()) {
        return displayName;
    }
    const char* env = std::getenv("DISPLAY");
    return env != nullptr && *env != '\0' ? std::string(env) : std::string("(DISPLAY not set)");
}

X11Connection::X11Connection(const std::string& displayName)
    : m_label(DisplayLabel(displayName))
{
    // Xlib over XCB: XCB does all the talking, Xlib lends its text
    // conversions (compound text) on the same connection and atoms.
    m_display = XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str());
    if (m_display == nullptr) {
        throw std::runtime_error("Cannot open X display " + m_label + ": " + OpenErrorText(displayName));
    }
    WatchIoErrors(m_display);
    XSetEventQueueOwner(m_display, XCBOwnsEventQueue);
    m_c = XGetXCBConnection(m_display);
    const int screenNumber = DefaultScreen(m_display);

    const xcb_setup_t* setup = xcb_get_setup(m_c);
    m_resourceIdMask = setup->resource_id_mask;
    auto screens = xcb_setup_roots_iterator(setup);
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) {
        xcb_screen_next(&screens);
    }
    if (screens.rem <= 0) {
        Close();
        throw std::runtime_error("X display " + m_label + " has no screen " + std::to_string(screenNumber));
    }
    m_root = screens.data->root;

    xcb_prefetch_extension_data(m_c, &xcb_res_id);
    xcb_prefetch_extension_data(m_c, &xcb_screensaver_id);
    xcb_prefetch_extension_data(m_c, &xcb_input_id);
    xcb_prefetch_extension_data(m_c, &xcb_randr_id);

    const std::array<std::pair<std::string_view, xcb_atom_t*>, 8> names {{
        {"_NET_ACTIVE_WINDOW", &m_atoms.NetActiveWindow},
        {"_NET_CLIENT_LIST", &m_atoms.NetClientList},
        {"_NET_CLIENT_LIST_STACKING", &m_atoms.NetClientListStacking},
        {"_NET_SUPPORTING_WM_CHECK", &m_atoms.NetSupportingWmCheck},
        {"_NET_WM_NAME", &m_atoms.NetWmName},
        {"_NET_WM_PID", &m_atoms.NetWmPid},
        {"UTF8_STRING", &m_atoms.Utf8String},
        {"COMPOUND_TEXT", &m_atoms.CompoundText},
    }};
    std::array<xcb_intern_atom_cookie_t, names.size()> cookies {};
    for (std::size_t i = 0; i < names.size(); ++i) {
        cookies[i] = xcb_intern_atom(m_c, 0, static_cast<std::uint16_t>(names[i].first.size()), names[i].first.data());
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (auto reply = TakeReply(m_c, xcb_intern_atom_reply, cookies[i])) {
            *names[i].second = reply->atom;
        }
    }
    QueryExtensions();
    if (xcb_connection_has_error(m_c) != 0) {
        Close();
        throw std::runtime_error("X display " + m_label + " closed the connection while starting");
    }
}

namespace {

bool FirstOutputIsXWayland(xcb_connection_t* c, xcb_window_t root, xcb_randr_query_version_cookie_t versionCookie)
{
    const auto version = TakeReply(c, xcb_randr_query_version_reply, versionCookie);
    if (!version || (version->major_version == 1 && version->minor_version < 3)) {
        return false;
    }
    const auto resources
        = TakeReply(c, xcb_randr_get_screen_resources_current_reply, xcb_randr_get_screen_resources_current(c, root));
    if (!resources || xcb_randr_get_screen_resources_current_outputs_length(resources.get()) <= 0) {
        return false;
    }
    const xcb_randr_output_t first = xcb_randr_get_screen_resources_current_outputs(resources.get())[0];
    const auto info = TakeReply(
        c, xcb_randr_get_output_info_reply, xcb_randr_get_output_info(c, first, resources->config_timestamp));
    if (!info) {
        return false;
    }
    const std::string_view name(reinterpret_cast<const char*>(xcb_randr_get_output_info_name(info.get())),
                                static_cast<std::size_t>(xcb_randr_get_output_info_name_length(info.get())));
    return name.starts_with("XWAYLAND");
}

} // namespace

void X11Connection::QueryExtensions()
{
    const auto* res = xcb_get_extension_data(m_c, &xcb_res_id);
    const auto* saver = xcb_get_extension_data(m_c, &xcb_screensaver_id);
    const auto* input = xcb_get_extension_data(m_c, &xcb_input_id);

    // A Wayland compositor's X layer announces itself with this extension.
    static constexpr std::string_view kXWayland = "XWAYLAND";
    const auto xwaylandCookie
        = xcb_query_extension(m_c, static_cast<std::uint16_t>(kXWayland.size()), kXWayland.data());
    const auto* randr = xcb_get_extension_data(m_c, &xcb_randr_id);
    std::optional<xcb_randr_query_version_cookie_t> randrCookie;
    if (randr != nullptr && randr->present) {
        randrCookie = xcb_randr_query_version(m_c, 1, 3);
    }
    xcb_res_query_version_cookie_t resCookie {};
    xcb_input_xi_query_version_cookie_t xiCookie {};
    if (res != nullptr && res->present) {
        resCookie = xcb_res_query_version(m_c, 1, 2);
    }
    if (input != nullptr && input->present) {
        xiCookie = xcb_input_xi_query_version(m_c, 2, 2);
    }
    m_hasSaver = saver != nullptr && saver->present;
    if (auto reply = TakeReply(m_c, xcb_query_extension_reply, xwaylandCookie)) {
        m_isXWayland = reply->present != 0;
    }
    if (res != nullptr && res->present) {
        if (auto reply = TakeReply(m_c, xcb_res_query_version_reply, resCookie)) {
            m_hasRes = reply->server_major > 1 || (reply->server_major == 1 && reply->server_minor >= 2);
        }
    }
    if (input != nullptr && input->present) {
        if (auto reply = TakeReply(m_c, xcb_input_xi_query_version_reply, xiCookie)) {
            if (reply->major_version > 2 || (reply->major_version == 2 && reply->minor_version >= 2)) {
                m_xiOpcode = input->major_opcode;
            }
        }
    }
    // Before the extension existed, the X layer was known by the names it
    // gives the compositor's outputs ("XWAYLAND0", ...).
    if (randrCookie && m_isXWayland) {
        xcb_discard_reply(m_c, randrCookie->sequence);
    } else if (randrCookie) {
        m_isXWayland = FirstOutputIsXWayland(m_c, m_root, *randrCookie);
    }
}

X11Connection::~X11Connection()
{
    Close();
}

void X11Connection::Close()
{
    if (m_display != nullptr) {
        XCloseDisplay(m_display);
        OurDisplays().erase(m_display);
    }
    m_display = nullptr;
    m_c = nullptr;
}

std::optional<std::string> X11Connection::TextToUtf8(xcb_atom_t type, std::string_view bytes) const
{
    if (m_display == nullptr || bytes.empty() || HasError()
        || (type != XCB_ATOM_STRING && type != m_atoms.Utf8String && type != m_atoms.CompoundText)) {
        return std::nullopt;
    }
    std::string copy(bytes);
    XTextProperty property;
    property.value = reinterpret_cast<unsigned char*>(copy.data());
    property.encoding = type;
    property.format = 8;
    property.nitems = copy.size();
    char** list = nullptr;
    int count = 0;
    // Characters without a UTF-8 form (a positive result) still come back
    // as replacement characters; only a refused conversion falls back.
    const int result = Xutf8TextPropertyToTextList(m_display, &property, &list, &count);
    if (result < 0 || list == nullptr) {
        return std::nullopt;
    }
    std::string text = count > 0 && list[0] != nullptr ? std::string(list[0]) : std::string();
    XFreeStringList(list);
    return text;
}

int X11Connection::Descriptor() const
{
    return xcb_get_file_descriptor(m_c);
}

bool X11Connection::HasError() const
{
    return xcb_connection_has_error(m_c) != 0;
}

void X11Connection::ThrowIfBroken() const
{
    if (HasError()) {
        throw std::runtime_error("Lost the connection to X display " + m_label);
    }
}

} // namespace tally::x11
