#include "platform/wayland/wayland_desktop.h"

#include "platform/system/unique_fd.h"
#include "platform/wayland/app_executable.h"
#include "platform/wayland/compositor_ipc.h"
#include "platform/x11/process_names.h"

#include <ext-idle-notify-v1-client-protocol.h>
#include <idle-client-protocol.h>
#include <wayland-client.h>
#include <wlr-foreign-toplevel-management-unstable-v1-client-protocol.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <poll.h>
#include <stdexcept>
#include <sys/epoll.h>
#include <unordered_map>

namespace tally {

namespace {

using Clock = std::chrono::steady_clock;

// zwlr_foreign_toplevel_manager_v1: titles, app ids and the activated
// state, but no processes. A toplevel's changes count once its "done" came.
class ForeignToplevelSource final : public WindowSource
{
public:
    explicit ForeignToplevelSource(zwlr_foreign_toplevel_manager_v1* manager)
        : m_manager(manager)
    {
        static const zwlr_foreign_toplevel_manager_v1_listener listener {
            .toplevel = &ForeignToplevelSource::OnToplevel,
            .finished = &ForeignToplevelSource::OnFinished,
        };
        zwlr_foreign_toplevel_manager_v1_add_listener(m_manager, &listener, this);
    }
    ~ForeignToplevelSource() override
    {
        for (auto& [handle, toplevel] : m_toplevels) {
            zwlr_foreign_toplevel_handle_v1_destroy(handle);
        }
        if (m_manager != nullptr) {
            zwlr_foreign_toplevel_manager_v1_stop(m_manager);
            wl_proxy_destroy(reinterpret_cast<wl_proxy*>(m_manager));
        }
    }
    ForeignToplevelSource(const ForeignToplevelSource&) = delete;
    ForeignToplevelSource& operator=(const ForeignToplevelSource&) = delete;

    std::string Name() const override { return "wlr foreign toplevel"; }
    bool KnowsProcesses() const override { return false; }
    const std::vector<SeenWindow>& Windows() override
    {
        if (m_stale) {
            m_windows.clear();
            for (const auto& [handle, toplevel] : m_toplevels) {
                if (toplevel.Shown.Handle != 0) {
                    m_windows.push_back(toplevel.Shown);
                    if (toplevel.Shown.Focused) {
                        std::swap(m_windows.front(), m_windows.back());
                    }
                }
            }
            m_stale = false;
        }
        return m_windows;
    }

private:
    struct Toplevel
    {
        ForeignToplevelSource* Owner = nullptr;
        SeenWindow Pending;
        SeenWindow Shown; // Handle 0 until the first "done"
    };

    static Toplevel& Of(void* data, zwlr_foreign_toplevel_handle_v1* handle)
    {
        return static_cast<ForeignToplevelSource*>(data)->m_toplevels.at(handle);
    }

    static void OnToplevel(void* data, zwlr_foreign_toplevel_manager_v1*, zwlr_foreign_toplevel_handle_v1* handle)
    {
        auto* self = static_cast<ForeignToplevelSource*>(data);
        Toplevel& toplevel = self->m_toplevels[handle];
        toplevel.Owner = self;
        toplevel.Pending.Handle = ++self->m_lastHandle;
        static const zwlr_foreign_toplevel_handle_v1_listener listener {
            .title = [](void* d,
                        zwlr_foreign_toplevel_handle_v1* h,
                        const char* title) { Of(d, h).Pending.Title = title != nullptr ? title : ""; },
            .app_id = [](void* d,
                         zwlr_foreign_toplevel_handle_v1* h,
                         const char* appId) { Of(d, h).Pending.AppId = appId != nullptr ? appId : ""; },
            .output_enter = [](void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {},
            .output_leave = [](void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {},
            .state =
                [](void* d, zwlr_foreign_toplevel_handle_v1* h, wl_array* states) {
                    bool activated = false;
                    const auto* begin = static_cast<const std::uint32_t*>(states->data);
                    for (std::size_t i = 0; i < states->size / sizeof(std::uint32_t); ++i) {
                        activated = activated || begin[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED;
                    }
                    Of(d, h).Pending.Focused = activated;
                },
            .done =
                [](void* d, zwlr_foreign_toplevel_handle_v1* h) {
                    Toplevel& t = Of(d, h);
                    t.Shown = t.Pending;
                    t.Owner->m_stale = true;
                    t.Owner->Changed();
                },
            .closed =
                [](void* d, zwlr_foreign_toplevel_handle_v1* h) {
                    auto* owner = static_cast<ForeignToplevelSource*>(d);
                    owner->m_toplevels.erase(h);
                    zwlr_foreign_toplevel_handle_v1_destroy(h);
                    owner->m_stale = true;
                    owner->Changed();
                },
            .parent = [](void* d,
                         zwlr_foreign_toplevel_handle_v1* h,
                         zwlr_foreign_toplevel_handle_v1* parent) { Of(d, h).Pending.Owned = parent != nullptr; },
        };
        zwlr_foreign_toplevel_handle_v1_add_listener(handle, &listener, self);
    }

    static void OnFinished(void* data, zwlr_foreign_toplevel_manager_v1* manager)
    {
        auto* self = static_cast<ForeignToplevelSource*>(data);
        wl_proxy_destroy(reinterpret_cast<wl_proxy*>(manager));
        self->m_manager = nullptr;
    }

    zwlr_foreign_toplevel_manager_v1* m_manager;
    std::map<zwlr_foreign_toplevel_handle_v1*, Toplevel> m_toplevels;
    WindowHandle m_lastHandle = 0;
    bool m_stale = true;
    std::vector<SeenWindow> m_windows;
};

std::string Variable(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

} // namespace

WaylandDesktopOptions WaylandDesktopOptions::FromEnvironment()
{
    WaylandDesktopOptions options;
    options.DisplayName = Variable("WAYLAND_DISPLAY");
    options.SwaySocket = Variable("SWAYSOCK");
    const std::string signature = Variable("HYPRLAND_INSTANCE_SIGNATURE");
    const std::string runtime = Variable("XDG_RUNTIME_DIR");
    if (!signature.empty() && !runtime.empty()) {
        options.HyprlandFolder = runtime + "/hypr/" + signature;
    }
    return options;
}

struct WaylandDesktop::Impl
{
    SessionWatcher* watcher = nullptr;
    WaylandDesktopOptions options;
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    wl_seat* seat = nullptr;
    ext_idle_notifier_v1* extNotifier = nullptr;
    org_kde_kwin_idle* kdeIdle = nullptr;
    zwlr_foreign_toplevel_manager_v1* toplevelManager = nullptr;
    ext_idle_notification_v1* extNotification = nullptr;
    org_kde_kwin_idle_timeout* kdeTimeout = nullptr;
    UniqueFd epoll;
    SourceChoice choice;
    std::unique_ptr<WindowSource> source;
    std::string sourceName = "none";
    bool idle = false;
    Clock::time_point idleSince;
    bool lost = false;
    bool changed = false;
    ChangeHandler changeHandler;
    std::unordered_map<WindowHandle, std::string> processNames;
    std::map<std::string, std::pair<std::string, Clock::time_point>> appExecutables;

    ~Impl() { Disconnect(); }

    void Disconnect()
    {
        source.reset();
        if (extNotification != nullptr) {
            ext_idle_notification_v1_destroy(extNotification);
        }
        if (kdeTimeout != nullptr) {
            org_kde_kwin_idle_timeout_release(kdeTimeout);
        }
        for (wl_proxy* proxy : {reinterpret_cast<wl_proxy*>(extNotifier),
                                reinterpret_cast<wl_proxy*>(kdeIdle),
                                reinterpret_cast<wl_proxy*>(toplevelManager),
                                reinterpret_cast<wl_proxy*>(seat),
                                reinterpret_cast<wl_proxy*>(registry)}) {
            if (proxy != nullptr) {
                wl_proxy_destroy(proxy);
            }
        }
        extNotification = nullptr;
        kdeTimeout = nullptr;
        extNotifier = nullptr;
        kdeIdle = nullptr;
        toplevelManager = nullptr;
        seat = nullptr;
        registry = nullptr;
        if (display != nullptr) {
            wl_display_disconnect(display);
            display = nullptr;
        }
        idle = false;
    }

    static void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t)
    {
        auto* self = static_cast<Impl*>(data);
        auto bind = [&](const wl_interface& what) { return wl_registry_bind(registry, name, &what, 1); };
        if (std::strcmp(interface, wl_seat_interface.name) == 0 && self->seat == nullptr) {
            self->seat = static_cast<wl_seat*>(bind(wl_seat_interface));
        } else if (std::strcmp(interface, ext_idle_notifier_v1_interface.name) == 0 && self->extNotifier == nullptr) {
            self->extNotifier = static_cast<ext_idle_notifier_v1*>(bind(ext_idle_notifier_v1_interface));
        } else if (std::strcmp(interface, org_kde_kwin_idle_interface.name) == 0 && self->kdeIdle == nullptr) {
            self->kdeIdle = static_cast<org_kde_kwin_idle*>(bind(org_kde_kwin_idle_interface));
        } else if (std::strcmp(interface, zwlr_foreign_toplevel_manager_v1_interface.name) == 0) {
            // Bound only when chosen: a bound manager reports every change.
            self->toplevelManagerName = name;
        }
    }

    std::uint32_t toplevelManagerName = 0;

    void Idled(std::chrono::milliseconds timeout)
    {
        idle = true;
        idleSince = Clock::now() - timeout;
    }

    void Connect()
    {
        const char* name = options.DisplayName.empty() ? nullptr : options.DisplayName.c_str();
        display = wl_display_connect(name);
        if (display == nullptr) {
            throw std::runtime_error(
                "cannot connect to Wayland display "
                + (options.DisplayName.empty() ? Variable("WAYLAND_DISPLAY") : options.DisplayName));
        }
        registry = wl_display_get_registry(display);
        static const wl_registry_listener listener {
            .global = &Impl::OnGlobal,
            .global_remove = [](void*, wl_registry*, std::uint32_t) {},
        };
        wl_registry_add_listener(registry, &listener, this);
        if (wl_display_roundtrip(display) < 0) {
            throw std::runtime_error("the Wayland compositor did not answer");
        }
    }

    SourceProbe Probe()
    {
        SourceProbe probe;
        probe.SeatOffered = seat != nullptr;
        probe.ExtIdleNotifyOffered = extNotifier != nullptr;
        probe.KdeIdleOffered = kdeIdle != nullptr;
        probe.ForeignToplevelOffered = toplevelManagerName != 0;
        probe.PushedAnswers = options.Pushed != nullptr;
        probe.MutterIdleAnswers = static_cast<bool>(options.BusIdle);
        return probe;
    }

    void StartSources()
    {
        SourceProbe probe = Probe();
        std::unique_ptr<WindowSource> sway;
        std::unique_ptr<WindowSource> hyprland;
        std::string refused;
        if (!probe.PushedAnswers && !options.SwaySocket.empty()) {
            try {
                sway = std::make_unique<SwaySource>(options.SwaySocket);
                probe.SwayAnswers = true;
            } catch (const std::exception& e) {
                refused = e.what();
            }
        }
        if (!probe.PushedAnswers && !probe.SwayAnswers && !options.HyprlandFolder.empty()) {
            try {
                hyprland = std::make_unique<HyprlandSource>(options.HyprlandFolder);
                probe.HyprlandAnswers = true;
            } catch (const std::exception& e) {
                refused = e.what();
            }
        }
        choice = ChooseSources(probe);
        switch (choice.Windows) {
            case WindowSourceKind::Pushed:
                source = std::move(options.Pushed);
                break;
            case WindowSourceKind::SwayIpc:
                source = std::move(sway);
                break;
            case WindowSourceKind::HyprlandIpc:
                source = std::move(hyprland);
                break;
            case WindowSourceKind::ForeignToplevel:
                toplevelManager = static_cast<zwlr_foreign_toplevel_manager_v1*>(
                    wl_registry_bind(registry, toplevelManagerName, &zwlr_foreign_toplevel_manager_v1_interface, 3));
                source = std::make_unique<ForeignToplevelSource>(std::exchange(toplevelManager, nullptr));
                break;
            case WindowSourceKind::None:
                break;
        }
        if (source) {
            sourceName = source->Name();
            source->SetChangedCallback([this] { changed = true; });
        }
        const auto timeout = static_cast<std::uint32_t>(options.IdleTimeout.count());
        if (choice.Idle == IdleSourceKind::ExtIdleNotify) {
            extNotification = ext_idle_notifier_v1_get_idle_notification(extNotifier, timeout, seat);
            static const ext_idle_notification_v1_listener listener {
                .idled =
                    [](void* d, ext_idle_notification_v1*) {
                        auto* self = static_cast<Impl*>(d);
                        self->Idled(self->options.IdleTimeout);
                    },
                .resumed = [](void* d, ext_idle_notification_v1*) { static_cast<Impl*>(d)->idle = false; },
            };
            ext_idle_notification_v1_add_listener(extNotification, &listener, this);
        } else if (choice.Idle == IdleSourceKind::KdeIdle) {
            kdeTimeout = org_kde_kwin_idle_get_idle_timeout(kdeIdle, seat, timeout);
            static const org_kde_kwin_idle_timeout_listener listener {
                .idle =
                    [](void* d, org_kde_kwin_idle_timeout*) {
                        auto* self = static_cast<Impl*>(d);
                        self->Idled(self->options.IdleTimeout);
                    },
                .resumed = [](void* d, org_kde_kwin_idle_timeout*) { static_cast<Impl*>(d)->idle = false; },
            };
            org_kde_kwin_idle_timeout_add_listener(kdeTimeout, &listener, this);
        }
        // The first toplevels and the idle timer's start.
        if (wl_display_roundtrip(display) < 0) {
            throw std::runtime_error("the Wayland compositor did not answer");
        }
        changed = false;
    }

    void Watch(int fd)
    {
        epoll_event event {};
        event.events = EPOLLIN;
        event.data.fd = fd;
        if (::epoll_ctl(epoll.Get(), EPOLL_CTL_ADD, fd, &event) != 0) {
            throw std::runtime_error("cannot watch the compositor's connection");
        }
    }

    void Unwatch(int fd)
    {
        if (fd >= 0) {
            ::epoll_ctl(epoll.Get(), EPOLL_CTL_DEL, fd, nullptr);
        }
    }

    // Everything goes quiet: no windows, no idle time, nothing to watch.
    void Lose()
    {
        if (display != nullptr) {
            Unwatch(wl_display_get_fd(display));
        }
        if (source) {
            Unwatch(source->EventDescriptor());
        }
        Disconnect();
        lost = true;
        changed = true;
    }

    const std::vector<SeenWindow>& Windows()
    {
        static const std::vector<SeenWindow> none;
        if (lost || !source) {
            return none;
        }
        return source->Windows();
    }

    std::string ExecutableOf(const SeenWindow& w)
    {
        if (w.ProcessId > 0) {
            return x11::ProcessExecutableName(w.ProcessId);
        }
        // The app id rule scans desktop entries and /proc: remembered, and a
        // miss tried again only after a while, when the program may run.
        const auto now = Clock::now();
        auto it = appExecutables.find(w.AppId);
        if (it != appExecutables.end()
            && (!it->second.first.empty() || now - it->second.second < std::chrono::seconds(30))) {
            return it->second.first;
        }
        std::string exe = ExecutableForAppId(w.AppId, ApplicationDirs(), RunningExecutables());
        appExecutables[w.AppId] = {exe, now};
        return exe;
    }

    std::string ProcessNameOf(const SeenWindow& w, std::unordered_map<WindowHandle, std::string>& fresh)
    {
        auto it = processNames.find(w.Handle);
        std::string name = it != processNames.end() ? it->second : ExecutableOf(w);
        fresh[w.Handle] = name;
        return name;
    }
};

WaylandDesktop::WaylandDesktop(SessionWatcher* watcher, WaylandDesktopOptions options)
    : m_impl(std::make_unique<Impl>())
{
    Impl& impl = *m_impl;
    impl.watcher = watcher;
    impl.options = std::move(options);
    impl.epoll = UniqueFd(::epoll_create1(EPOLL_CLOEXEC));
    if (!impl.epoll.Valid()) {
        throw std::runtime_error("cannot make an epoll set");
    }
    impl.Connect();
    impl.StartSources();
    impl.Watch(wl_display_get_fd(impl.display));
    if (impl.source && impl.source->EventDescriptor() >= 0) {
        impl.Watch(impl.source->EventDescriptor());
    }
}

WaylandDesktop::~WaylandDesktop()
{
    if (m_impl->watcher != nullptr) {
        m_impl->watcher->SetLockHandler(nullptr);
    }
}

WindowHandle WaylandDesktop::GetForegroundWindow()
{
    for (const SeenWindow& w : m_impl->Windows()) {
        if (w.Focused) {
            return w.Handle;
        }
    }
    return 0;
}

std::vector<TopLevelWindow> WaylandDesktop::EnumTopLevelWindows(WindowHandle /*startWindow*/, bool withProcessNames)
{
    std::vector<TopLevelWindow> result;
    for (const WaylandWindowInfo& info : Census(withProcessNames)) {
        result.push_back(info.Window);
    }
    return result;
}

std::vector<WaylandWindowInfo> WaylandDesktop::Census(bool withProcesses)
{
    Impl& impl = *m_impl;
    std::vector<WaylandWindowInfo> result;
    std::unordered_map<WindowHandle, std::string> fresh;
    for (const SeenWindow& w : impl.Windows()) {
        WaylandWindowInfo info {TopLevelWindow {w.Handle, w.Title, true, w.Owned, {}}, w.ProcessId, w.AppId, w.Focused};
        if (withProcesses && !w.Title.empty()) {
            info.Window.ProcessName = impl.ProcessNameOf(w, fresh);
        }
        result.push_back(std::move(info));
    }
    if (withProcesses) {
        impl.processNames = std::move(fresh); // names of closed windows go
    }
    return result;
}

std::string WaylandDesktop::GetWindowProcessName(WindowHandle window)
{
    for (const SeenWindow& w : m_impl->Windows()) {
        if (w.Handle == window) {
            const auto it = m_impl->processNames.find(window);
            return it != m_impl->processNames.end() ? it->second : m_impl->ExecutableOf(w);
        }
    }
    return {};
}

std::uint32_t WaylandDesktop::IdleSeconds()
{
    const Impl& impl = *m_impl;
    if (impl.choice.Idle == IdleSourceKind::MutterIdle) {
        return impl.lost ? 0 : impl.options.BusIdle();
    }
    if (!impl.idle) {
        return 0;
    }
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - impl.idleSince).count();
    return seconds > 0 ? static_cast<std::uint32_t>(seconds) : 0;
}

bool WaylandDesktop::SetKeyboardHook(KeystrokeHandler /*onKeystroke*/)
{
    return false; // no Wayland client may watch another program's keys
}

bool WaylandDesktop::RemoveKeyboardHook()
{
    return true;
}

void WaylandDesktop::SetChangeHandler(ChangeHandler onChange)
{
    Impl& impl = *m_impl;
    impl.changeHandler = onChange;
    if (impl.watcher == nullptr) {
        return;
    }
    if (!onChange) {
        impl.watcher->SetLockHandler(nullptr);
        return;
    }
    impl.watcher->SetLockHandler([handler = std::move(onChange)] { handler(DesktopChange::Lock); });
}

DesktopSight WaylandDesktop::Sight() const
{
    DesktopSight sight = SightOf(m_impl->choice);
    if (m_impl->source) {
        sight.Processes = m_impl->source->KnowsProcesses();
        sight.WindowsFix = m_impl->source->Missing();
        sight.Windows = sight.Windows && sight.WindowsFix.empty();
    }
    return sight;
}

ScreenPoint WaylandDesktop::GetCursorPos()
{
    return m_impl->options.Cursor ? m_impl->options.Cursor() : ScreenPoint {};
}

std::vector<int> WaylandDesktop::EventDescriptors()
{
    return {m_impl->epoll.Get()};
}

void WaylandDesktop::DispatchEvents()
{
    Impl& impl = *m_impl;
    std::string lost;
    if (impl.display != nullptr) {
        wl_display* d = impl.display;
        if (wl_display_prepare_read(d) == 0) {
            pollfd p {wl_display_get_fd(d), POLLIN, 0};
            if (::poll(&p, 1, 0) > 0) {
                wl_display_read_events(d);
            } else {
                wl_display_cancel_read(d);
            }
        }
        wl_display_dispatch_pending(d);
        wl_display_flush(d);
        if (wl_display_get_error(d) != 0) {
            lost = "Lost the connection to the Wayland compositor";
        }
    }
    if (lost.empty() && impl.source && impl.source->EventDescriptor() >= 0) {
        try {
            impl.source->Dispatch();
        } catch (const std::exception& e) {
            lost = std::string("Lost the window source: ") + e.what();
        }
    }
    if (!lost.empty()) {
        impl.Lose();
    }
    if (std::exchange(impl.changed, false) && impl.changeHandler) {
        const ChangeHandler handler = impl.changeHandler; // a copy: the handler may replace itself
        handler(DesktopChange::Windows);
    }
    if (!lost.empty()) {
        throw std::runtime_error(lost + "; windows and idle time are no longer seen");
    }
}

SourceChoice WaylandDesktop::Sources() const
{
    return m_impl->choice;
}

std::string WaylandDesktop::WindowSourceName() const
{
    return m_impl->sourceName;
}

} // namespace tally
