// A small X client for the desktop tests: creates top-level windows with the
// properties a test asks for, prints their ids and keeps them until it is told
// to quit, its input closes, or the X server goes away.
//
//   tally-test-window [--title T] [--legacy-title T] [--transient-for ID]
//                     [--withdrawn] [--no-pid] [--machine NAME] [--child]
//                     [--override-redirect] [--count N]
//
// Output: "window 0x..." per top-level window, "child 0x..." with --child, then
// "ready" once the server has processed everything. Commands on stdin, one a
// line: "map", "unmap", "title T", "quit".

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include <poll.h>
#include <unistd.h>

namespace {

struct Options
{
    std::string Title;
    bool HasTitle = false;
    std::string LegacyTitle;
    bool HasLegacyTitle = false;
    xcb_window_t TransientFor = XCB_WINDOW_NONE;
    bool Withdrawn = false;
    bool NoPid = false;
    std::string Machine;
    bool HasMachine = false;
    bool Child = false;
    bool OverrideRedirect = false;
    int Count = 1;
};

xcb_atom_t Intern(xcb_connection_t* c, const char* name)
{
    auto* reply
        = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t {XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

// UTF-8 in, Latin-1 out (characters beyond Latin-1 become '?').
std::string ToLatin1(const std::string& utf8)
{
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x80) {
            out.push_back(static_cast<char>(byte));
        } else if ((byte & 0xE0) == 0xC0 && i + 1 < utf8.size()) {
            const unsigned cp = ((byte & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3Fu);
            out.push_back(cp < 0x100 ? static_cast<char>(cp) : '?');
        } else {
            out.push_back('?');
            while (i + 1 < utf8.size() && (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80) {
                ++i;
            }
        }
    }
    return out;
}

void SetText(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property, xcb_atom_t type, const std::string& text)
{
    xcb_change_property(
        c, XCB_PROP_MODE_REPLACE, w, property, type, 8, static_cast<std::uint32_t>(text.size()), text.data());
}

bool ParseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--title" && hasValue) {
            options.Title = argv[++i];
            options.HasTitle = true;
        } else if (arg == "--legacy-title" && hasValue) {
            options.LegacyTitle = argv[++i];
            options.HasLegacyTitle = true;
        } else if (arg == "--transient-for" && hasValue) {
            options.TransientFor = static_cast<xcb_window_t>(std::strtoul(argv[++i], nullptr, 0));
        } else if (arg == "--machine" && hasValue) {
            options.Machine = argv[++i];
            options.HasMachine = true;
        } else if (arg == "--count" && hasValue) {
            options.Count = std::atoi(argv[++i]);
        } else if (arg == "--withdrawn") {
            options.Withdrawn = true;
        } else if (arg == "--no-pid") {
            options.NoPid = true;
        } else if (arg == "--child") {
            options.Child = true;
        } else if (arg == "--override-redirect") {
            options.OverrideRedirect = true;
        } else {
            std::cerr << "tally-test-window: unknown option " << arg << "\n";
            return false;
        }
    }
    return options.Count > 0;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        return 2;
    }
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c) != 0) {
        std::cerr << "tally-test-window: cannot open the display\n";
        return 1;
    }
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber; ++i) {
        xcb_screen_next(&screens);
    }
    const xcb_screen_t* screen = screens.data;

    const xcb_atom_t netWmName = Intern(c, "_NET_WM_NAME");
    const xcb_atom_t utf8 = Intern(c, "UTF8_STRING");
    const xcb_atom_t netWmPid = Intern(c, "_NET_WM_PID");

    char host[256] = {};
    gethostname(host, sizeof host - 1);
    const std::string machine = options.HasMachine ? options.Machine : std::string(host);

    std::vector<xcb_window_t> windows;
    for (int n = 0; n < options.Count; ++n) {
        const xcb_window_t w = xcb_generate_id(c);
        const std::uint32_t values[] = {screen->white_pixel, options.OverrideRedirect ? 1U : 0U};
        xcb_create_window(c,
                          XCB_COPY_FROM_PARENT,
                          w,
                          screen->root,
                          static_cast<std::int16_t>(20 + 10 * n),
                          static_cast<std::int16_t>(20 + 10 * n),
                          200,
                          120,
                          0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          screen->root_visual,
                          XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT,
                          values);
        std::string suffix;
        if (options.Count > 1) {
            suffix.append(1, ' ').append(std::to_string(n + 1));
        }
        if (options.HasTitle) {
            SetText(c, w, netWmName, utf8, options.Title + suffix);
            SetText(c, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, ToLatin1(options.Title + suffix));
        }
        if (options.HasLegacyTitle) {
            SetText(c, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, ToLatin1(options.LegacyTitle + suffix));
        }
        if (options.TransientFor != XCB_WINDOW_NONE) {
            xcb_change_property(
                c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 32, 1, &options.TransientFor);
        }
        SetText(c, w, XCB_ATOM_WM_CLIENT_MACHINE, XCB_ATOM_STRING, machine);
        if (!options.NoPid) {
            const auto pid = static_cast<std::uint32_t>(getpid());
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, netWmPid, XCB_ATOM_CARDINAL, 32, 1, &pid);
        }
        if (!options.Withdrawn) {
            xcb_map_window(c, w);
        }
        windows.push_back(w);
    }
    xcb_window_t child = XCB_WINDOW_NONE;
    if (options.Child) {
        child = xcb_generate_id(c);
        const std::uint32_t values[] = {screen->black_pixel};
        xcb_create_window(c,
                          XCB_COPY_FROM_PARENT,
                          child,
                          windows.front(),
                          10,
                          10,
                          50,
                          50,
                          0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          screen->root_visual,
                          XCB_CW_BACK_PIXEL,
                          values);
        xcb_map_window(c, child);
    }
    // A round trip: once it returns the server has created everything.
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));

    for (const xcb_window_t w : windows) {
        std::printf("window 0x%x\n", w);
    }
    if (child != XCB_WINDOW_NONE) {
        std::printf("child 0x%x\n", child);
    }
    std::printf("ready\n");
    std::fflush(stdout);

    std::string pending;
    pollfd fds[2] = {{xcb_get_file_descriptor(c), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
    for (;;) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            std::free(event);
        }
        if (xcb_connection_has_error(c) != 0) {
            break;
        }
        if (poll(fds, 2, -1) < 0) {
            continue;
        }
        if ((fds[1].revents & (POLLIN | POLLHUP)) != 0) {
            char buffer[256];
            const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
            if (n <= 0) {
                break;
            }
            pending.append(buffer, static_cast<std::size_t>(n));
            bool quit = false;
            for (auto nl = pending.find('\n'); nl != std::string::npos; nl = pending.find('\n')) {
                const std::string line = pending.substr(0, nl);
                pending.erase(0, nl + 1);
                for (const xcb_window_t w : windows) {
                    if (line == "map") {
                        xcb_map_window(c, w);
                    } else if (line == "unmap") {
                        // Withdrawing also needs the synthetic notice, in case
                        // the window manager has already unmapped it (iconic).
                        xcb_unmap_window(c, w);
                        alignas(4) char event[32] = {}; // events are sent as 32 bytes
                        auto* notice = reinterpret_cast<xcb_unmap_notify_event_t*>(event);
                        notice->response_type = XCB_UNMAP_NOTIFY;
                        notice->event = screen->root;
                        notice->window = w;
                        xcb_send_event(c,
                                       0,
                                       screen->root,
                                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                                       event);
                    } else if (line.rfind("title ", 0) == 0) {
                        SetText(c, w, netWmName, utf8, line.substr(6));
                        SetText(c, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, ToLatin1(line.substr(6)));
                    }
                }
                quit = quit || line == "quit";
                std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
                std::printf("done\n");
                std::fflush(stdout);
            }
            if (quit) {
                break;
            }
        }
    }
    xcb_disconnect(c);
    return 0;
}
