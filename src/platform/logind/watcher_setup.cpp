#include "platform/logind/logind_names.h"
#include "platform/logind/watcher_impl.h"

#include <systemd/sd-login.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/epoll.h>
#include <sys/eventfd.h>

namespace tally {

using namespace logind;

LogindSessionWatcher::Impl::Impl(LogindWatcherOptions options)
    : m_options(std::move(options))
{
    if (!m_options.ReadClocks) {
        m_options.ReadClocks = ReadSleepClocks;
    }
    m_detector.Rebase(m_options.ReadClocks());
    try {
        Setup();
    } catch (const std::exception& failure) {
        // Whatever was set up stays; the rest counts as missing.
        Report(std::string("session watcher set-up failed: ") + failure.what());
    }
}

LogindSessionWatcher::Impl::~Impl() = default;

void LogindSessionWatcher::Impl::Setup()
{
    m_epoll.Reset(epoll_create1(EPOLL_CLOEXEC));
    m_wake.Reset(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!m_epoll.Valid() || !m_wake.Valid()) {
        Report(std::string("no event descriptor: ") + std::strerror(errno));
    } else {
        epoll_event event {};
        event.events = EPOLLIN;
        event.data.fd = m_wake.Get();
        epoll_ctl(m_epoll.Get(), EPOLL_CTL_ADD, m_wake.Get(), &event);
    }

    ConnectSystemBus();
    if (m_options.WatchScreenSaver) {
        ConnectSessionBus();
    }
    DropBrokenBuses();
    WakeIfQueued();
}

void LogindSessionWatcher::Impl::ConnectSystemBus()
{
    OpenedBus opened = OpenBus(BusKind::System, m_options.SystemBusAddress, m_options.CallTimeout);
    if (!opened.Bus) {
        Report(opened.Error + "; lock state from logind and sleep notices are not available");
        return;
    }
    m_system = std::move(opened.Bus);
    Watch(m_system.get());

    FindSession();
    AddSystemMatches();
    if (!m_sessionPath.empty() && !m_systemBroken) {
        // Read again now that changes are watched, so none falls in between.
        RefreshLockedHint();
    }
    TakeInhibitor();
}

void LogindSessionWatcher::Impl::FindSession()
{
    if (!m_options.SessionId.empty()) {
        TrySessionPath(CallGetSession(m_options.SessionId));
    } else {
        char* own = nullptr;
        std::string ownId;
        if (sd_pid_get_session(0, &own) >= 0 && own) {
            ownId = own;
        }
        std::free(own);
        bool found = !ownId.empty() && TrySessionPath(CallGetSession(ownId));
        found = found || TrySessionPath(CallGetSessionByPid());
        const char* envId = std::getenv("XDG_SESSION_ID");
        found = found || (envId && *envId && TrySessionPath(CallGetSession(envId)));
        found = found || TrySessionPath(CallGetSession("auto"));
    }
    if (m_sessionPath.empty() && !m_logindMissing && !m_systemBroken) {
        Report("no logind session found for this process; the lock state comes from the screen saver alone");
    }
}

// A path counts only when the session answers there: logind may name a
// session that does not exist, and a mock names any.
bool LogindSessionWatcher::Impl::TrySessionPath(const std::optional<std::string>& path)
{
    if (!path || m_systemBroken) {
        return false;
    }
    const std::optional<bool> locked = ReadLockedHint(*path);
    if (!locked) {
        return false;
    }
    m_sessionPath = *path;
    m_logindLocked = *locked;
    return true;
}

std::optional<std::string>
LogindSessionWatcher::Impl::SessionPathReply(int result, BusError& error, sd_bus_message* reply)
{
    const MessagePtr owned(reply);
    const char* path = nullptr;
    if (result < 0) {
        NoteCallFailure(m_system.get(), result, error);
        return std::nullopt;
    }
    if (sd_bus_message_read(owned.get(), "o", &path) < 0 || !path) {
        return std::nullopt;
    }
    return std::string(path);
}

std::optional<std::string> LogindSessionWatcher::Impl::CallGetSession(const std::string& id)
{
    if (m_logindMissing || m_systemBroken) {
        return std::nullopt;
    }
    BusError error;
    sd_bus_message* raw = nullptr;
    const int r = sd_bus_call_method(
        m_system.get(), kLogindName, kLogindPath, kManagerInterface, "GetSession", error.Get(), &raw, "s", id.c_str());
    return SessionPathReply(r, error, raw);
}

std::optional<std::string> LogindSessionWatcher::Impl::CallGetSessionByPid()
{
    if (m_logindMissing || m_systemBroken) {
        return std::nullopt;
    }
    BusError error;
    sd_bus_message* raw = nullptr;
    // Process 0 is the caller as logind sees it, which is right also inside
    // a process namespace.
    const int r = sd_bus_call_method(m_system.get(),
                                     kLogindName,
                                     kLogindPath,
                                     kManagerInterface,
                                     "GetSessionByPID",
                                     error.Get(),
                                     &raw,
                                     "u",
                                     static_cast<std::uint32_t>(0));
    return SessionPathReply(r, error, raw);
}

bool LogindSessionWatcher::Impl::AddMatch(sd_bus* bus,
                                          std::vector<SlotPtr>& slots,
                                          const std::string& rule,
                                          sd_bus_message_handler_t callback)
{
    sd_bus_slot* slot = nullptr;
    const int r = sd_bus_add_match(bus, &slot, rule.c_str(), callback, this);
    if (r < 0) {
        Report("cannot watch signals (" + rule + "): " + std::strerror(-r));
        if (IsBusGone(bus, r)) {
            (bus == m_system.get() ? m_systemBroken : m_sessionBroken) = true;
        }
        return false;
    }
    slots.emplace_back(slot);
    return true;
}

void LogindSessionWatcher::Impl::AddSystemMatches()
{
    const std::string sender = std::string("type='signal',sender='") + kLogindName + "',";
    AddMatch(m_system.get(),
             m_systemSlots,
             sender + "path='" + kLogindPath + "',interface='" + kManagerInterface + "',member='PrepareForSleep'",
             &Impl::OnPrepareForSleep);
    if (m_sessionPath.empty() || m_systemBroken) {
        return;
    }
    const std::string session = sender + "path='" + m_sessionPath + "',";
    AddMatch(m_system.get(),
             m_systemSlots,
             session + "interface='org.freedesktop.DBus.Properties',member='PropertiesChanged',arg0='"
                 + kSessionInterface + "'",
             &Impl::OnSessionPropertiesChanged);
    for (const char* member : {"Lock", "Unlock"}) {
        AddMatch(m_system.get(),
                 m_systemSlots,
                 session + "interface='" + kSessionInterface + "',member='" + member + "'",
                 &Impl::OnSessionLockSignal);
    }
}

void LogindSessionWatcher::Impl::ConnectSessionBus()
{
    OpenedBus opened = OpenBus(BusKind::Session, m_options.SessionBusAddress, m_options.CallTimeout);
    if (!opened.Bus) {
        Report(opened.Error + "; the screen saver is not watched");
        return;
    }
    m_session = std::move(opened.Bus);
    Watch(m_session.get());
    // Any path: screen savers differ in where they emit the signal.
    const std::string rule = std::string("type='signal',sender='") + kScreenSaverName + "',interface='"
                             + kScreenSaverInterface + "',member='ActiveChanged'";
    if (AddMatch(m_session.get(), m_sessionSlots, rule, &Impl::OnScreenSaverActiveChanged)) {
        ReadScreenSaverActive();
    }
    const std::string gnome = std::string("type='signal',sender='") + kGnomeScreenSaverName + "',interface='"
                              + kGnomeScreenSaverName + "',member='ActiveChanged'";
    AddMatch(m_session.get(), m_sessionSlots, gnome, &Impl::OnScreenSaverActiveChanged);
}

void LogindSessionWatcher::Impl::Watch(sd_bus* bus)
{
    if (!m_epoll.Valid()) {
        return;
    }
    const int fd = sd_bus_get_fd(bus);
    if (fd < 0) {
        return;
    }
    epoll_event event {};
    event.events = EPOLLIN;
    event.data.fd = fd;
    epoll_ctl(m_epoll.Get(), EPOLL_CTL_ADD, fd, &event);
}

void LogindSessionWatcher::Impl::Unwatch(sd_bus* bus)
{
    const int fd = sd_bus_get_fd(bus);
    if (m_epoll.Valid() && fd >= 0) {
        epoll_ctl(m_epoll.Get(), EPOLL_CTL_DEL, fd, nullptr);
    }
}

} // namespace tally
