#include "platform/x11/x11_desktop.h"

#include "platform/system/unique_fd.h"
#include "platform/x11/process_names.h"
#include "platform/x11/sigpipe_guard.h"
#include "platform/x11/window_cache.h"
#include "platform/x11/x11_census.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_queries.h"

#include <xcb/screensaver.h>
#include <xcb/xinput.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <type_traits>
#include <unordered_map>
#include <utility>

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace tally {

using x11::X11Connection;

namespace {

int CheckedFd(int fd, const char* what)
{
    if (fd < 0) {
        throw std::runtime_error(std::string(what) + " failed: " + std::strerror(errno));
    }
    return fd;
}

} // namespace

struct X11Desktop::Impl
{
    Impl(SessionWatcher* sessionWatcher, std::string display)
        : watcher(sessionWatcher)
        , displayName(std::move(display))
        , epoll(CheckedFd(epoll_create1(EPOLL_CLOEXEC), "epoll_create1"))
        , wake(CheckedFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC), "eventfd"))
    {
        Watch(wake.Get());
        const x11::SigpipeGuard guard;
        Open();
    }

    void Watch(int fd) const
    {
        epoll_event event {};
        event.events = EPOLLIN;
        event.data.fd = fd;
        if (epoll_ctl(epoll.Get(), EPOLL_CTL_ADD, fd, &event) != 0) {
            throw std::runtime_error(std::string("epoll_ctl failed: ") + std::strerror(errno));
        }
    }

    void Open()
    {
        auto fresh = std::make_unique<X11Connection>(displayName);
        Watch(fresh->Descriptor());
        conn = std::move(fresh);
        cache = std::make_unique<x11::WindowCache>(*conn, [this] { DrainQueued(*conn); });
        if (hookActive) {
            SelectRawKeys(*conn, true);
        }
    }

    void Drop()
    {
        if (conn) {
            epoll_ctl(epoll.Get(), EPOLL_CTL_DEL, conn->Descriptor(), nullptr);
            cache.reset();
            conn.reset();
        }
    }

    // The live connection; opens the display again after a loss.
    X11Connection& Connection()
    {
        if (conn && conn->HasError()) {
            Drop();
        }
        if (!conn) {
            try {
                Open();
            } catch (const std::exception& e) {
                throw std::runtime_error(std::string("The X connection was lost and cannot be reopened: ") + e.what());
            }
        }
        return *conn;
    }

    // Every event read from the connection passes here: keystrokes are
    // counted for the next dispatch, the rest keep the window cache current.
    void Note(const X11Connection& c, const xcb_generic_event_t& event)
    {
        if (IsRawKeyPress(c, &event)) {
            ++pendingKeys;
            wakeNeeded = true;
        } else if (cache) {
            cache->HandleEvent(event);
            // A change read during another call is told from the next dispatch.
            wakeNeeded = wakeNeeded || (changeHandler && cache->Changed());
        }
    }

    void DrainQueued(const X11Connection& c)
    {
        while (x11::XcbPtr<xcb_generic_event_t> event {xcb_poll_for_queued_event(c.Get())}) {
            Note(c, *event);
        }
    }

    // Ends every call: a broken connection becomes an exception, and events
    // that XCB read while it waited for replies are handled, waking the shell
    // for keystrokes among them.
    void Finish(X11Connection& c)
    {
        if (c.HasError()) {
            const std::string label = c.Label();
            Drop();
            throw std::runtime_error("Lost the connection to X display " + label);
        }
        DrainQueued(c);
        if (std::exchange(wakeNeeded, false)) {
            const std::uint64_t one = 1;
            [[maybe_unused]] const auto written = write(wake.Get(), &one, sizeof one);
        }
    }

    template <typename F>
    auto Run(F&& f)
    {
        const x11::SigpipeGuard guard(pipeGuardNeeded);
        X11Connection& c = Connection();
        if constexpr (std::is_void_v<std::invoke_result_t<F, X11Connection&>>) {
            f(c);
            Finish(c);
        } else {
            auto result = f(c);
            Finish(c);
            return result;
        }
    }

    bool IsRawKeyPress(const X11Connection& c, const xcb_generic_event_t* event) const
    {
        if (!hookActive || (event->response_type & 0x7F) != XCB_GE_GENERIC) {
            return false;
        }
        const auto* generic = reinterpret_cast<const xcb_ge_generic_event_t*>(event);
        return generic->extension == c.XInputOpcode() && generic->event_type == XCB_INPUT_RAW_KEY_PRESS;
    }

    static bool SelectRawKeys(X11Connection& c, bool on)
    {
        if (!c.HasRawKeyEvents()) {
            return false;
        }
        struct
        {
            xcb_input_event_mask_t Head;
            std::uint32_t Bits;
        } mask {};
        mask.Head.deviceid = XCB_INPUT_DEVICE_ALL_MASTER;
        mask.Head.mask_len = 1;
        mask.Bits = on ? XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS : 0;
        const auto cookie = xcb_input_xi_select_events_checked(c.Get(), c.Root(), 1, &mask.Head);
        x11::XcbPtr<xcb_generic_error_t> error(xcb_request_check(c.Get(), cookie));
        return !error && !c.HasError();
    }

    std::vector<X11WindowInfo> Census(WindowHandle startWindow, bool withProcesses)
    {
        return Run([&](X11Connection& c) {
            // A window the cache watches is on the default screen: no need
            // to ask the server which root it has (the tick starts from our
            // own main window every second).
            const xcb_window_t root = cache->Knows(startWindow) ? c.Root() : x11::ResolveRoot(c, startWindow);
            const bool cached = root == c.Root();
            // Two calls rather than one conditional, which would copy the cache's input.
            auto windows
                = cached ? x11::AssembleCensus(cache->Refresh()) : x11::AssembleCensus(x11::QueryCensusInput(c, root));
            std::vector<X11WindowInfo> result;
            result.reserve(windows.size());
            std::vector<WindowHandle> captioned;
            for (auto& window : windows) {
                if (withProcesses && !window.Caption.empty()) {
                    captioned.push_back(window.Handle);
                }
                result.push_back({std::move(window), 0});
            }
            if (captioned.empty()) {
                return result;
            }
            const auto pids
                = cached ? cache->ProcessIds(captioned) : x11::QueryProcessIds(c, captioned, x11::LocalHostName());
            std::unordered_map<int, std::string> names;
            std::size_t next = 0;
            for (auto& info : result) {
                if (info.Window.Caption.empty()) {
                    continue;
                }
                info.ProcessId = pids[next++];
                if (info.ProcessId <= 0) {
                    continue;
                }
                if (cached) {
                    info.Window.ProcessName = cache->ExecutableName(info.Window.Handle, info.ProcessId);
                    continue;
                }
                auto [it, inserted] = names.try_emplace(info.ProcessId);
                if (inserted) {
                    it->second = x11::ProcessExecutableName(info.ProcessId);
                }
                info.Window.ProcessName = it->second;
            }
            return result;
        });
    }

    SessionWatcher* watcher;
    std::string displayName;
    bool pipeGuardNeeded = !x11::ProcessIgnoresSigpipe();
    UniqueFd epoll;
    UniqueFd wake;
    std::unique_ptr<X11Connection> conn;
    std::unique_ptr<x11::WindowCache> cache;
    bool wakeNeeded = false;

    ChangeHandler changeHandler;
    KeystrokeHandler keyHandler;
    bool hookActive = false;
    DesktopSight sight;
    std::uint64_t pendingKeys = 0;
};

X11Desktop::X11Desktop(SessionWatcher* watcher, std::string displayName)
    : m_impl(std::make_unique<Impl>(watcher, std::move(displayName)))
{ }

X11Desktop::~X11Desktop()
{
    if (m_impl->watcher != nullptr) {
        m_impl->watcher->SetLockHandler(nullptr); // the watcher outlives us
    }
}

WindowHandle X11Desktop::GetForegroundWindow()
{
    return m_impl->Run([this](X11Connection& c) {
        if (const auto active = m_impl->cache->ManagerForeground()) {
            return *active;
        }
        return x11::QueryForeground(c);
    });
}

std::vector<TopLevelWindow> X11Desktop::EnumTopLevelWindows(WindowHandle startWindow, bool withProcessNames)
{
    std::vector<TopLevelWindow> result;
    for (auto& info : m_impl->Census(startWindow, withProcessNames)) {
        result.push_back(std::move(info.Window));
    }
    return result;
}

std::vector<X11WindowInfo> X11Desktop::Census(WindowHandle startWindow, bool withProcesses)
{
    return m_impl->Census(startWindow, withProcesses);
}

int X11Desktop::GetWindowProcessId(WindowHandle window)
{
    if (window == 0) {
        return 0;
    }
    return m_impl->Run([&](X11Connection&) {
        const WindowHandle windows[] = {window};
        return m_impl->cache->ProcessIds(windows).front();
    });
}

std::string X11Desktop::GetWindowProcessName(WindowHandle window)
{
    const int pid = GetWindowProcessId(window);
    return pid > 0 ? m_impl->cache->ExecutableName(window, pid) : std::string();
}

bool X11Desktop::HasWindowManager()
{
    return m_impl->Run([](X11Connection& c) { return x11::QueryWindowManager(c); });
}

DesktopSight X11Desktop::Sight() const
{
    return m_impl->sight;
}

void X11Desktop::SetSight(DesktopSight sight)
{
    m_impl->sight = sight;
}

XServerFacts X11Desktop::Facts()
{
    return m_impl->Run([](X11Connection& c) {
        return XServerFacts {true, c.IsXWayland(), c.HasRawKeyEvents(), c.HasScreenSaverExtension()};
    });
}

std::uint32_t X11Desktop::IdleSeconds()
{
    if (!m_impl->sight.IdleTime) {
        return 0;
    }
    return m_impl->Run([this](X11Connection& c) -> std::uint32_t {
        // The tick asks for the idle time first; the root's children come in
        // the same round trip for the census and foreground query that follow.
        xcb_screensaver_query_info_cookie_t infoCookie {};
        if (c.HasScreenSaverExtension()) {
            infoCookie = xcb_screensaver_query_info(c.Get(), c.Root());
        }
        // Only the idle time is waited for here; the tree is read by the
        // call that uses it.
        m_impl->cache->PrefetchTree();
        std::uint32_t idle = 0;
        if (c.HasScreenSaverExtension()) {
            const auto info = x11::TakeReply(c.Get(), xcb_screensaver_query_info_reply, infoCookie);
            idle = info ? info->ms_since_user_input / 1000 : 0;
        }
        return idle;
    });
}

bool X11Desktop::SetKeyboardHook(KeystrokeHandler onKeystroke)
{
    m_impl->keyHandler = std::move(onKeystroke);
    try {
        const bool ok = m_impl->Run([](X11Connection& c) { return Impl::SelectRawKeys(c, true); });
        m_impl->hookActive = ok;
        return ok;
    } catch (const std::exception&) {
        m_impl->hookActive = false;
        return false;
    }
}

bool X11Desktop::RemoveKeyboardHook()
{
    m_impl->hookActive = false;
    m_impl->pendingKeys = 0;
    m_impl->keyHandler = nullptr;
    if (!m_impl->conn || m_impl->conn->HasError()) {
        return true; // nothing is selected on a connection that is gone
    }
    try {
        return m_impl->Run([](X11Connection& c) { return Impl::SelectRawKeys(c, false); });
    } catch (const std::exception&) {
        return true;
    }
}

void X11Desktop::SetChangeHandler(ChangeHandler onChange)
{
    Impl& impl = *m_impl;
    impl.changeHandler = std::move(onChange);
    if (impl.watcher == nullptr) {
        return;
    }
    if (!impl.changeHandler) {
        impl.watcher->SetLockHandler(nullptr);
        return;
    }
    impl.watcher->SetLockHandler([&impl] {
        if (impl.changeHandler) {
            impl.changeHandler(DesktopChange::Lock);
        }
    });
}

ScreenPoint X11Desktop::GetCursorPos()
{
    return m_impl->Run([this](X11Connection& c) {
        const auto pointer = x11::TakeReply(c.Get(), xcb_query_pointer_reply, xcb_query_pointer(c.Get(), c.Root()));
        return pointer ? ScreenPoint {pointer->root_x, pointer->root_y} : ScreenPoint {};
    });
}

std::vector<int> X11Desktop::EventDescriptors()
{
    std::vector<int> fds {m_impl->epoll.Get()};
    if (m_impl->watcher != nullptr) {
        const auto more = m_impl->watcher->EventDescriptors();
        fds.insert(fds.end(), more.begin(), more.end());
    }
    return fds;
}

void X11Desktop::DispatchEvents()
{
    Impl& impl = *m_impl;
    const x11::SigpipeGuard guard(impl.pipeGuardNeeded);
    std::uint64_t ignored = 0;
    [[maybe_unused]] const auto readBytes = read(impl.wake.Get(), &ignored, sizeof ignored);

    std::string lost;
    if (impl.conn && !impl.conn->HasError()) {
        while (x11::XcbPtr<xcb_generic_event_t> event {xcb_poll_for_event(impl.conn->Get())}) {
            impl.Note(*impl.conn, *event);
        }
        impl.wakeNeeded = false;
    }
    const bool changed = impl.cache && impl.cache->TakeChanged();
    if (impl.conn && impl.conn->HasError()) {
        lost = impl.conn->Label();
        impl.Drop();
    }

    std::uint64_t keys = std::exchange(impl.pendingKeys, 0);
    for (; keys > 0 && impl.hookActive; --keys) {
        if (impl.keyHandler) {
            impl.keyHandler();
        }
    }
    if (impl.watcher != nullptr) {
        impl.watcher->DispatchEvents();
    }
    if (!lost.empty()) {
        throw std::runtime_error("Lost the connection to X display " + lost);
    }
    // Last, so that the tick it runs finds the keystrokes and the lock state current.
    if (changed && impl.changeHandler) {
        const ChangeHandler handler = impl.changeHandler; // a copy: the handler may replace itself
        handler(DesktopChange::Windows);
    }
}

} // namespace tally
