#include "platform/x11/x11_connection.h"

#include <xcb/res.h>
#include <xcb/screensaver.h>
#include <xcb/xinput.h>

#include <array>
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
    int screenNumber = 0;
    m_c = xcb_connect(displayName.empty() ? nullptr : displayName.c_str(), &screenNumber);
    if (const int code = xcb_connection_has_error(m_c); code != 0) {
        xcb_disconnect(m_c);
        m_c = nullptr;
        throw std::runtime_error("Cannot open X display " + m_label + ": " + ConnectionErrorText(code));
    }

    const xcb_setup_t* setup = xcb_get_setup(m_c);
    m_resourceIdMask = setup->resource_id_mask;
    auto screens = xcb_setup_roots_iterator(setup);
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) {
        xcb_screen_next(&screens);
    }
    if (screens.rem <= 0) {
        xcb_disconnect(m_c);
        m_c = nullptr;
        throw std::runtime_error("X display " + m_label + " has no screen " + std::to_string(screenNumber));
    }
    m_root = screens.data->root;

    xcb_prefetch_extension_data(m_c, &xcb_res_id);
    xcb_prefetch_extension_data(m_c, &xcb_screensaver_id);
    xcb_prefetch_extension_data(m_c, &xcb_input_id);

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
        xcb_disconnect(m_c);
        m_c = nullptr;
        throw std::runtime_error("X display " + m_label + " closed the connection while starting");
    }
}

void X11Connection::QueryExtensions()
{
    const auto* res = xcb_get_extension_data(m_c, &xcb_res_id);
    const auto* saver = xcb_get_extension_data(m_c, &xcb_screensaver_id);
    const auto* input = xcb_get_extension_data(m_c, &xcb_input_id);

    xcb_res_query_version_cookie_t resCookie {};
    xcb_input_xi_query_version_cookie_t xiCookie {};
    if (res != nullptr && res->present) {
        resCookie = xcb_res_query_version(m_c, 1, 2);
    }
    if (input != nullptr && input->present) {
        xiCookie = xcb_input_xi_query_version(m_c, 2, 2);
    }
    m_hasSaver = saver != nullptr && saver->present;
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
}

X11Connection::~X11Connection()
{
    if (m_c != nullptr) {
        xcb_disconnect(m_c);
    }
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
