#include "x11_rig.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

namespace tally::test {

namespace {

using namespace std::chrono_literals;

template <typename T>
struct Freed
{
    T* Ptr;
    ~Freed() { std::free(Ptr); }
    T* operator->() const { return Ptr; }
    explicit operator bool() const { return Ptr != nullptr; }
};

xcb_atom_t Intern(xcb_connection_t* c, const char* name)
{
    Freed<xcb_intern_atom_reply_t> reply {
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr)};
    return reply ? reply->atom : xcb_atom_t {XCB_ATOM_NONE};
}

std::vector<xcb_window_t> RootWindowList(xcb_connection_t* c, const char* property)
{
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    Freed<xcb_get_property_reply_t> reply {xcb_get_property_reply(
        c, xcb_get_property(c, 0, root, Intern(c, property), XCB_ATOM_WINDOW, 0, 1U << 16), nullptr)};
    if (!reply || reply->format != 32) {
        return {};
    }
    const auto* data = static_cast<const xcb_window_t*>(xcb_get_property_value(reply.Ptr));
    return {data, data + xcb_get_property_value_length(reply.Ptr) / 4};
}

std::string TextProperty(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property)
{
    Freed<xcb_get_property_reply_t> reply {xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr)};
    if (!reply || reply->format != 8) {
        return {};
    }
    const auto* data = static_cast<const char*>(xcb_get_property_value(reply.Ptr));
    return {data, data + xcb_get_property_value_length(reply.Ptr)};
}

} // namespace

TestWindow::TestWindow(std::unique_ptr<ChildProcess> process, std::vector<std::uint32_t> ids, std::uint32_t child)
    : m_process(std::move(process))
    , m_ids(std::move(ids))
    , m_child(child)
{ }

void TestWindow::Command(const std::string& line)
{
    m_process->WriteLine(line);
    const auto answer = m_process->ReadLine(10s);
    if (answer != "done") {
        throw std::runtime_error("the test window did not carry out \"" + line + "\"");
    }
}

XRig::XRig(RigOptions options)
    : m_options(std::move(options))
{
    StartServer(true);
    Connect();
    if (m_options.WindowManager) {
        StartWindowManager();
    }
    if (m_options.Tray) {
        StartTray();
    }
}

XRig::~XRig()
{
    Disconnect();
    m_tray.reset();
    m_windowManager.reset();
    m_server.reset();
    ReleaseDisplayLock();
}

std::uint32_t XRig::Root() const
{
    return xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
}

std::string XRig::TestWindowProgram()
{
    return TALLY_TEST_WINDOW_PROGRAM;
}

void XRig::StartServer(bool pickDisplay)
{
    std::vector<std::string> argv {"Xvfb"};
    if (!pickDisplay) {
        argv.push_back(m_display);
    }
    argv.insert(argv.end(), {"-nolisten", "tcp", "-screen", "0", "1280x1024x24", "-displayfd", "3"});
    argv.insert(argv.end(), m_options.ServerArgs.begin(), m_options.ServerArgs.end());

    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    ChildProcess::Options options;
    options.Quiet = true;
    options.PassFd = fds[1];
    try {
        m_server = std::make_unique<ChildProcess>(argv, options);
    } catch (...) {
        close(fds[0]);
        close(fds[1]);
        throw;
    }
    close(fds[1]);

    // Xvfb writes the display number once it accepts connections.
    std::string number;
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    char ch = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        const ssize_t n = read(fds[0], &ch, 1);
        if (n <= 0 || ch == '\n') {
            break;
        }
        number.push_back(ch);
    }
    close(fds[0]);
    if (number.empty()) {
        m_server.reset();
        throw std::runtime_error("Xvfb did not start (is the xvfb package installed?)");
    }
    m_display = ":" + number;
}

void XRig::Connect()
{
    m_c = xcb_connect(m_display.c_str(), nullptr);
    if (xcb_connection_has_error(m_c) != 0) {
        Disconnect();
        throw std::runtime_error("cannot connect to the rig's display " + m_display);
    }
}

void XRig::Disconnect()
{
    if (m_c != nullptr) {
        xcb_disconnect(m_c);
        m_c = nullptr;
    }
}

void XRig::StartWindowManager()
{
    ChildProcess::Options options;
    options.Environment = Environment();
    options.Quiet = true;
    m_windowManager = std::make_unique<ChildProcess>(std::vector<std::string> {"openbox", "--sm-disable"}, options);
    const bool ready = WaitUntil([this] {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
        const xcb_atom_t atom = Intern(m_c, "_NET_SUPPORTING_WM_CHECK");
        auto checkOf = [&](xcb_window_t window) -> xcb_window_t {
            Freed<xcb_get_property_reply_t> reply {
                xcb_get_property_reply(m_c, xcb_get_property(m_c, 0, window, atom, XCB_ATOM_WINDOW, 0, 1), nullptr)};
            if (!reply || xcb_get_property_value_length(reply.Ptr) != 4) {
                return XCB_WINDOW_NONE;
            }
            return *static_cast<const xcb_window_t*>(xcb_get_property_value(reply.Ptr));
        };
        const xcb_window_t check = checkOf(root);
        return check != XCB_WINDOW_NONE && checkOf(check) == check;
    });
    if (!ready) {
        throw std::runtime_error("openbox did not take over the display");
    }
    // Openbox names itself before it handles map requests, and drops those
    // that come in between: map a probe window until it gets managed.
    const xcb_window_t root = Root();
    const xcb_window_t probe = xcb_generate_id(m_c);
    xcb_create_window(m_c,
                      XCB_COPY_FROM_PARENT,
                      probe,
                      root,
                      0,
                      0,
                      10,
                      10,
                      0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT,
                      0,
                      nullptr);
    bool managed = false;
    for (int attempt = 0; attempt < 40 && !managed; ++attempt) {
        xcb_map_window(m_c, probe);
        xcb_flush(m_c);
        managed = WaitUntil([&] { return IsManaged(probe); }, 250ms);
    }
    xcb_destroy_window(m_c, probe);
    const bool gone = WaitUntil([&] { return !IsManaged(probe); });
    if (!managed || !gone) {
        throw std::runtime_error("openbox does not manage windows");
    }
}

void XRig::StartTray()
{
    ChildProcess::Options options;
    options.Environment = Environment();
    options.Quiet = true;
    m_tray = std::make_unique<ChildProcess>(std::vector<std::string> {"trayer",
                                                                      "--edge",
                                                                      "top",
                                                                      "--align",
                                                                      "right",
                                                                      "--widthtype",
                                                                      "request",
                                                                      "--height",
                                                                      "24",
                                                                      "--SetDockType",
                                                                      "true",
                                                                      "--transparent",
                                                                      "false"},
                                            options);
    // Ready once it owns the tray selection of the first screen.
    const xcb_atom_t selection = Intern(m_c, "_NET_SYSTEM_TRAY_S0");
    const bool ready = WaitUntil(
        [&] {
            Freed<xcb_get_selection_owner_reply_t> reply {
                xcb_get_selection_owner_reply(m_c, xcb_get_selection_owner(m_c, selection), nullptr)};
            return reply && reply->owner != XCB_WINDOW_NONE;
        },
        20s);
    if (!ready) {
        throw std::runtime_error("trayer did not take the tray selection (is the trayer package installed?)");
    }
}

std::unique_ptr<TestWindow> XRig::StartWindow(const std::vector<std::string>& args, WindowStart start)
{
    std::vector<std::string> argv;
    if (start.PidNamespace) {
        argv = {"unshare", "--user", "--pid", "--fork", "--map-root-user", "--kill-child"};
    }
    argv.push_back(start.Program.empty() ? TestWindowProgram() : start.Program);
    argv.insert(argv.end(), args.begin(), args.end());

    ChildProcess::Options options;
    options.Environment = Environment();
    options.PipeStdin = true;
    options.PipeStdout = true;
    auto process = std::make_unique<ChildProcess>(argv, options);

    std::vector<std::uint32_t> ids;
    std::uint32_t child = 0;
    for (;;) {
        const auto line = process->ReadLine(10s);
        if (!line) {
            throw std::runtime_error("the test window program did not come up");
        }
        if (*line == "ready") {
            break;
        }
        const auto space = line->find(' ');
        const auto id = static_cast<std::uint32_t>(std::strtoul(line->c_str() + space + 1, nullptr, 16));
        (line->rfind("child", 0) == 0 ? child : ids.emplace_back()) = id;
    }
    if (ids.empty()) {
        throw std::runtime_error("the test window program reported no window");
    }

    const bool shows = std::find(args.begin(), args.end(), "--withdrawn") == args.end()
                       && std::find(args.begin(), args.end(), "--override-redirect") == args.end();
    if (start.WaitShown && shows) {
        const bool shown = WaitUntil([&] {
            return std::all_of(ids.begin(), ids.end(), [&](std::uint32_t id) {
                return IsViewable(id) && (!m_options.WindowManager || IsManaged(id));
            });
        });
        if (!shown) {
            throw std::runtime_error("the test window was not shown in time");
        }
    }
    return std::make_unique<TestWindow>(std::move(process), std::move(ids), child);
}

int XRig::Xdotool(const std::vector<std::string>& args)
{
    std::vector<std::string> argv {"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProgram(argv, Environment());
}

bool XRig::WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(5ms);
    }
}

bool XRig::IsManaged(std::uint32_t window)
{
    const auto list = RootWindowList(m_c, "_NET_CLIENT_LIST_STACKING");
    return std::find(list.begin(), list.end(), window) != list.end();
}

bool XRig::IsViewable(std::uint32_t window)
{
    Freed<xcb_get_window_attributes_reply_t> reply {
        xcb_get_window_attributes_reply(m_c, xcb_get_window_attributes(m_c, window), nullptr)};
    return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
}

std::uint32_t XRig::ActiveWindow()
{
    const auto list = RootWindowList(m_c, "_NET_ACTIVE_WINDOW");
    return list.empty() ? 0 : list.front();
}

std::vector<WindowInfo> XRig::FindWindows(const std::string& title)
{
    const xcb_atom_t netWmName = Intern(m_c, "_NET_WM_NAME");
    std::vector<WindowInfo> found;
    std::vector<xcb_window_t> level {Root()};
    while (!level.empty()) {
        std::vector<xcb_query_tree_cookie_t> cookies;
        for (const xcb_window_t w : level) {
            cookies.push_back(xcb_query_tree(m_c, w));
        }
        std::vector<xcb_window_t> next;
        for (const auto cookie : cookies) {
            Freed<xcb_query_tree_reply_t> reply {xcb_query_tree_reply(m_c, cookie, nullptr)};
            if (reply) {
                const xcb_window_t* children = xcb_query_tree_children(reply.Ptr);
                next.insert(next.end(), children, children + xcb_query_tree_children_length(reply.Ptr));
            }
        }
        for (const xcb_window_t w : next) {
            std::string name = TextProperty(m_c, w, netWmName);
            if (name.empty()) {
                name = TextProperty(m_c, w, XCB_ATOM_WM_NAME);
            }
            if (name != title) {
                continue;
            }
            WindowInfo info;
            info.Id = w;
            info.Viewable = IsViewable(w);
            Freed<xcb_get_geometry_reply_t> geometry {xcb_get_geometry_reply(m_c, xcb_get_geometry(m_c, w), nullptr)};
            Freed<xcb_translate_coordinates_reply_t> at {
                xcb_translate_coordinates_reply(m_c, xcb_translate_coordinates(m_c, w, Root(), 0, 0), nullptr)};
            if (!geometry || !at) {
                continue; // gone meanwhile
            }
            info.Width = geometry->width;
            info.Height = geometry->height;
            info.X = at->dst_x;
            info.Y = at->dst_y;
            found.push_back(info);
        }
        level = std::move(next);
    }
    return found;
}

int XRig::Screenshot(const std::string& file)
{
    return RunProgram({"import", "-window", "root", file}, Environment(), 30s);
}

void XRig::StopServer()
{
    Disconnect();
    m_tray.reset();
    m_windowManager.reset();
    m_server.reset();
    if (!m_heldLock.empty()) {
        return;
    }
    // An X server passes over a number whose lock file names a live process:
    // ours, until RestartServer.
    const std::string lock = "/tmp/.X" + m_display.substr(1) + "-lock";
    const int fd = ::open(lock.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0444);
    if (fd >= 0) {
        char text[16];
        const int n = std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(::getpid()));
        [[maybe_unused]] auto written = ::write(fd, text, static_cast<std::size_t>(n));
        ::close(fd);
        m_heldLock = lock;
    }
}

void XRig::ReleaseDisplayLock()
{
    if (!m_heldLock.empty()) {
        ::unlink(m_heldLock.c_str());
        m_heldLock.clear();
    }
}

void XRig::RestartServer()
{
    StopServer();
    ReleaseDisplayLock();
    StartServer(false);
    Connect();
    if (m_options.WindowManager) {
        StartWindowManager();
    }
    if (m_options.Tray) {
        StartTray();
    }
}

bool XRig::CanUnsharePid()
{
    return RunProgram({"unshare", "--user", "--pid", "--fork", "--map-root-user", "--kill-child", "true"}, {}, 10s)
           == 0;
}

} // namespace tally::test
