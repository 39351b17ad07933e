#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct _XDisplay;

namespace tally::x11 {

struct FreeDeleter
{
    void operator()(void* p) const { std::free(p); }
};

// A reply or event as XCB hands it out (malloc'ed).
template <typename T>
using XcbPtr = std::unique_ptr<T, FreeDeleter>;

// Collects a reply; an X error (the window went away, say) gives null and is
// dropped here so that it never lands in the event queue.
template <typename Reply, typename Cookie>
XcbPtr<Reply>
TakeReply(xcb_connection_t* c, Reply* (*fetch)(xcb_connection_t*, Cookie, xcb_generic_error_t**), Cookie cookie)
{
    xcb_generic_error_t* error = nullptr;
    XcbPtr<Reply> reply(fetch(c, cookie, &error));
    std::free(error);
    return reply;
}

struct Atoms
{
    xcb_atom_t NetActiveWindow = XCB_ATOM_NONE;
    xcb_atom_t NetClientList = XCB_ATOM_NONE;
    xcb_atom_t NetClientListStacking = XCB_ATOM_NONE;
    xcb_atom_t NetSupportingWmCheck = XCB_ATOM_NONE;
    xcb_atom_t NetWmName = XCB_ATOM_NONE;
    xcb_atom_t NetWmPid = XCB_ATOM_NONE;
    xcb_atom_t Utf8String = XCB_ATOM_NONE;
    xcb_atom_t CompoundText = XCB_ATOM_NONE;
};

// One open connection to an X display with what the desktop needs of it: the
// default screen's root, the atoms and which extensions answer.
class X11Connection
{
public:
    // Throws std::runtime_error when the display cannot be opened.
    explicit X11Connection(const std::string& displayName);
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    xcb_connection_t* Get() const { return m_c; }
    xcb_window_t Root() const { return m_root; }
    const Atoms& Atom() const { return m_atoms; }
    int Descriptor() const;
    const std::string& Label() const { return m_label; }
    bool HasError() const;

    // Client ids share the bits outside this mask with the windows they create.
    std::uint32_t ResourceIdMask() const { return m_resourceIdMask; }

    bool HasResourceExtension() const { return m_hasRes; }      // X-Resource 1.2 (client process ids)
    bool HasScreenSaverExtension() const { return m_hasSaver; } // MIT-SCREEN-SAVER (idle time)
    bool HasRawKeyEvents() const { return m_xiOpcode >= 0; }    // XInput 2.2
    int XInputOpcode() const { return m_xiOpcode; }
    bool IsXWayland() const { return m_isXWayland; } // a Wayland compositor's X layer

    // Throws std::runtime_error naming the display when the connection broke.
    void ThrowIfBroken() const;

    // A text property's bytes (STRING, UTF8_STRING or COMPOUND_TEXT) as
    // UTF-8, converted by Xlib; nothing for other types or when the
    // conversion is refused.
    std::optional<std::string> TextToUtf8(xcb_atom_t type, std::string_view bytes) const;

private:
    void QueryExtensions();
    void Close();

    _XDisplay* m_display = nullptr;

    std::string m_label;
    xcb_connection_t* m_c = nullptr;
    xcb_window_t m_root = XCB_WINDOW_NONE;
    Atoms m_atoms;
    std::uint32_t m_resourceIdMask = 0;
    bool m_hasRes = false;
    bool m_hasSaver = false;
    int m_xiOpcode = -1;
    bool m_isXWayland = false;
};

// The display a connection refers to, for messages: the given name or $DISPLAY.
std::string DisplayLabel(const std::string& displayName);

} // namespace tally::x11
