#include "platform/logind/logind_session_watcher.h"

#include "platform/logind/logind_names.h"
#include "platform/logind/watcher_impl.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/epoll.h>
#include <unistd.h>
#include <utility>

namespace tally {

using namespace logind;

// ---- Calls to the peers ----------------------------------------------------

std::optional<bool> LogindSessionWatcher::Impl::ReadLockedHint(const std::string& path, std::string* why)
{
    BusError error;
    int value = 0;
    const int r = sd_bus_get_property_trivial(
        m_system.get(), kLogindName, path.c_str(), kSessionInterface, "LockedHint", error.Get(), 'b', &value);
    if (r < 0) {
        if (why) {
            *why = error.Text(r);
        }
        NoteCallFailure(m_system.get(), r, error);
        return std::nullopt;
    }
    return value != 0;
}

void LogindSessionWatcher::Impl::RefreshLockedHint()
{
    if (!m_system || m_systemBroken || m_sessionPath.empty()) {
        return;
    }
    std::string why;
    if (const std::optional<bool> locked = ReadLockedHint(m_sessionPath, &why)) {
        m_logindLocked = *locked;
    } else {
        // A session that no longer answers cannot hold the desktop locked.
        m_logindLocked = false;
        Report("cannot read the lock state of " + m_sessionPath + ": " + why);
    }
}

void LogindSessionWatcher::Impl::ReadScreenSaverActive()
{
    sd_bus_message* raw = nullptr;
    int r = sd_bus_message_new_method_call(
        m_session.get(), &raw, kScreenSaverName, kScreenSaverPath, kScreenSaverInterface, "GetActive");
    MessagePtr call(raw);
    if (r < 0) {
        return;
    }
    // Asking must not start a screen saver that is not running.
    sd_bus_message_set_auto_start(call.get(), 0);
    BusError error;
    raw = nullptr;
    r = sd_bus_call(m_session.get(), call.get(), 0, error.Get(), &raw);
    MessagePtr reply(raw);
    int active = 0;
    if (r < 0) {
        NoteCallFailure(m_session.get(), r, error);
        Report("no screen saver answers on the session bus: " + error.Text(r));
        return;
    }
    if (sd_bus_message_read(reply.get(), "b", &active) >= 0) {
        m_screenSaverActive = active != 0;
    }
}

void LogindSessionWatcher::Impl::TakeInhibitor()
{
    if (!m_system || m_systemBroken || m_logindMissing || m_inhibitor.Valid()) {
        return;
    }
    BusError error;
    sd_bus_message* raw = nullptr;
    const int r = sd_bus_call_method(m_system.get(),
                                     kLogindName,
                                     kLogindPath,
                                     kManagerInterface,
                                     "Inhibit",
                                     error.Get(),
                                     &raw,
                                     "ssss",
                                     kInhibitWhat,
                                     kInhibitWho,
                                     kInhibitWhy,
                                     kInhibitMode);
    MessagePtr reply(raw);
    if (r < 0) {
        NoteCallFailure(m_system.get(), r, error);
        Report("no sleep inhibitor, the machine may sleep before the periods are saved: " + error.Text(r));
        return;
    }
    int fd = -1;
    if (sd_bus_message_read(reply.get(), "h", &fd) < 0 || fd < 0) {
        Report("no sleep inhibitor: logind sent no descriptor");
        return;
    }
    // The reply owns its descriptor and closes it with the message.
    m_inhibitor.Reset(fcntl(fd, F_DUPFD_CLOEXEC, 3));
    if (!m_inhibitor.Valid()) {
        Report(std::string("no sleep inhibitor: ") + std::strerror(errno));
    }
}

void LogindSessionWatcher::Impl::NoteCallFailure(sd_bus* bus, int result, BusError& error)
{
    if (IsBusGone(bus, result)) {
        (bus == m_system.get() ? m_systemBroken : m_sessionBroken) = true;
        return;
    }
    if (bus == m_system.get() && !m_logindMissing) {
        const sd_bus_error* e = error.Get();
        if (sd_bus_error_has_name(e, SD_BUS_ERROR_SERVICE_UNKNOWN)
            || sd_bus_error_has_name(e, SD_BUS_ERROR_NAME_HAS_NO_OWNER)) {
            m_logindMissing = true;
            Report("logind does not answer on the system bus; lock state and sleep come from elsewhere");
        }
    }
}

// ---- Signals ---------------------------------------------------------------

int LogindSessionWatcher::Impl::OnPrepareForSleep(sd_bus_message* message, void* userdata, sd_bus_error*)
{
    auto* self = static_cast<Impl*>(userdata);
    int start = 0;
    if (sd_bus_message_read(message, "b", &start) >= 0) {
        self->Guard([self, start] { self->HandlePrepareForSleep(start != 0); });
    }
    return 0;
}

void LogindSessionWatcher::Impl::HandlePrepareForSleep(bool start)
{
    if (start) {
        m_sleepAnnounced = true;
        // logind waits for the inhibitor only; letting it go after the handler
        // has returned means the periods are closed and saved before the sleep.
        try {
            Notify(PowerEvent::Suspend);
        } catch (...) {
            m_inhibitor.Reset();
            throw;
        }
        m_inhibitor.Reset();
        return;
    }
    m_sleepAnnounced = false;
    // The clocks moved apart by the sleep just reported; it must not be
    // reported again.
    m_detector.Rebase(m_options.ReadClocks());
    TakeInhibitor();
    Notify(PowerEvent::Resume);
}

int LogindSessionWatcher::Impl::OnSessionPropertiesChanged(sd_bus_message* message, void* userdata, sd_bus_error*)
{
    auto* self = static_cast<Impl*>(userdata);
    const char* interface = nullptr;
    if (sd_bus_message_read(message, "s", &interface) < 0 || std::strcmp(interface, kSessionInterface) != 0) {
        return 0;
    }
    std::optional<bool> locked;
    bool invalidated = false;
    if (sd_bus_message_enter_container(message, 'a', "{sv}") < 0) {
        return 0;
    }
    while (sd_bus_message_enter_container(message, 'e', "sv") > 0) {
        const char* name = nullptr;
        if (sd_bus_message_read(message, "s", &name) < 0) {
            return 0;
        }
        if (std::strcmp(name, "LockedHint") == 0) {
            int value = 0;
            if (sd_bus_message_read(message, "v", "b", &value) < 0) {
                return 0;
            }
            locked = value != 0;
        } else if (sd_bus_message_skip(message, "v") < 0) {
            return 0;
        }
        if (sd_bus_message_exit_container(message) < 0) {
            return 0;
        }
    }
    if (sd_bus_message_exit_container(message) < 0) {
        return 0;
    }
    if (sd_bus_message_enter_container(message, 'a', "s") > 0) {
        const char* name = nullptr;
        while (sd_bus_message_read(message, "s", &name) > 0) {
            invalidated = invalidated || std::strcmp(name, "LockedHint") == 0;
        }
    }
    if (locked) {
        self->m_logindLocked = *locked;
    } else if (invalidated) {
        self->RefreshLockedHint();
    }
    return 0;
}

// Lock and Unlock ask the session's screen locker to act; they are requests,
// not the state. The locker reports the state in LockedHint, so read it
// again. Taking the request itself for the state would leave a session whose
// locker ignores it "locked" for good, and tracking stopped with it.
int LogindSessionWatcher::Impl::OnSessionLockSignal(sd_bus_message*, void* userdata, sd_bus_error*)
{
    static_cast<Impl*>(userdata)->RefreshLockedHint();
    return 0;
}

int LogindSessionWatcher::Impl::OnScreenSaverActiveChanged(sd_bus_message* message, void* userdata, sd_bus_error*)
{
    int active = 0;
    if (sd_bus_message_read(message, "b", &active) >= 0) {
        static_cast<Impl*>(userdata)->m_screenSaverActive = active != 0;
    }
    return 0;
}

// ---- Dispatch --------------------------------------------------------------

template <typename Function>
void LogindSessionWatcher::Impl::Guard(Function&& function)
{
    // Exceptions must not unwind through sd-bus; they wait until it returned.
    try {
        function();
    } catch (...) {
        if (!m_pending) {
            m_pending = std::current_exception();
        }
    }
}

void LogindSessionWatcher::Impl::Notify(PowerEvent event)
{
    // A copy: the handler may replace itself.
    const PowerHandler handler = m_onPower;
    if (handler) {
        handler(event);
    }
}

bool LogindSessionWatcher::Impl::IsLocked()
{
    CheckForSleep();
    return m_logindLocked || m_screenSaverActive;
}

void LogindSessionWatcher::Impl::CheckForSleep()
{
    const SleepClockReading reading = m_options.ReadClocks();
    if (m_sleepAnnounced) {
        // logind told us; its resume notice ends this sleep.
        m_detector.Rebase(reading);
        return;
    }
    if (!m_detector.Check(reading)) {
        return;
    }
    Report("the machine slept for " + std::to_string(m_detector.LastSleepMs() / 1000) + " s without notice");
    std::exception_ptr failure;
    // Resume follows even when suspend failed, or the tick would stay still.
    for (const PowerEvent event : {PowerEvent::Suspend, PowerEvent::Resume}) {
        try {
            Notify(event);
        } catch (...) {
            if (!failure) {
                failure = std::current_exception();
            }
        }
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

std::vector<int> LogindSessionWatcher::Impl::EventDescriptors() const
{
    if (!m_epoll.Valid()) {
        return {};
    }
    return {m_epoll.Get()};
}

void LogindSessionWatcher::Impl::DispatchEvents()
{
    if (m_wake.Valid()) {
        std::uint64_t count = 0;
        [[maybe_unused]] const auto ignored = read(m_wake.Get(), &count, sizeof count);
    }
    const bool wasLocked = m_logindLocked || m_screenSaverActive;
    Guard([this] { CheckForSleep(); });
    ProcessBus(m_system.get(), m_systemBroken);
    ProcessBus(m_session.get(), m_sessionBroken);
    DropBrokenBuses();
    UpdateWatches();
    WakeIfQueued();
    if ((m_logindLocked || m_screenSaverActive) != wasLocked && m_onLockChange) {
        const LockHandler handler = m_onLockChange; // a copy: the handler may replace itself
        Guard([&handler] { handler(); });
    }
    if (m_pending) {
        std::rethrow_exception(std::exchange(m_pending, nullptr));
    }
}

void LogindSessionWatcher::Impl::ProcessBus(sd_bus* bus, bool& broken)
{
    if (!bus || broken) {
        return;
    }
    for (;;) {
        const int r = sd_bus_process(bus, nullptr);
        if (r < 0) {
            broken = true;
            return;
        }
        if (r == 0) {
            return;
        }
    }
}

void LogindSessionWatcher::Impl::DropBrokenBuses()
{
    if (m_systemBroken) {
        DropSystemBus();
    }
    if (m_sessionBroken) {
        DropSessionBus();
    }
}

void LogindSessionWatcher::Impl::DropSystemBus()
{
    m_systemBroken = false;
    if (!m_system) {
        return;
    }
    Report("lost the system bus; the lock state from logind and sleep notices end here");
    Unwatch(m_system.get());
    m_systemSlots.clear();
    m_system.reset();
    m_inhibitor.Reset();
    m_sessionPath.clear();
    m_logindLocked = false;
    if (m_sleepAnnounced) {
        // We are running, so the machine is awake; without the bus the
        // resume notice would never come and the tick would stay still.
        m_sleepAnnounced = false;
        m_detector.Rebase(m_options.ReadClocks());
        Guard([this] { Notify(PowerEvent::Resume); });
    }
}

void LogindSessionWatcher::Impl::DropSessionBus()
{
    m_sessionBroken = false;
    if (!m_session) {
        return;
    }
    Report("lost the session bus; the screen saver is no longer watched");
    Unwatch(m_session.get());
    m_sessionSlots.clear();
    m_session.reset();
    m_screenSaverActive = false;
}

void LogindSessionWatcher::Impl::UpdateWatches()
{
    if (!m_epoll.Valid()) {
        return;
    }
    for (sd_bus* bus : {m_system.get(), m_session.get()}) {
        if (!bus) {
            continue;
        }
        const int fd = sd_bus_get_fd(bus);
        const int wanted = sd_bus_get_events(bus);
        if (fd < 0 || wanted < 0) {
            continue;
        }
        epoll_event event {};
        event.events = ((wanted & POLLIN) ? EPOLLIN : 0u) | ((wanted & POLLOUT) ? EPOLLOUT : 0u);
        event.data.fd = fd;
        epoll_ctl(m_epoll.Get(), EPOLL_CTL_MOD, fd, &event);
    }
}

// A call made while setting up may have read signals off the socket; they
// wait inside sd-bus, where no descriptor shows them. Make ours readable.
void LogindSessionWatcher::Impl::WakeIfQueued()
{
    if (!m_wake.Valid()) {
        return;
    }
    for (sd_bus* bus : {m_system.get(), m_session.get()}) {
        std::uint64_t timeout = 0;
        if (bus && sd_bus_get_timeout(bus, &timeout) > 0 && timeout == 0) {
            const std::uint64_t one = 1;
            [[maybe_unused]] const auto ignored = write(m_wake.Get(), &one, sizeof one);
            return;
        }
    }
}

void LogindSessionWatcher::Impl::Report(const std::string& text) const
{
    if (m_options.OnMessage) {
        m_options.OnMessage(text);
    }
}

// ---- Public face -----------------------------------------------------------

LogindSessionWatcher::LogindSessionWatcher(LogindWatcherOptions options)
    : m_impl(std::make_unique<Impl>(std::move(options)))
{ }

LogindSessionWatcher::~LogindSessionWatcher() = default;

bool LogindSessionWatcher::IsLocked()
{
    return m_impl->IsLocked();
}

void LogindSessionWatcher::SetPowerHandler(PowerHandler onPower)
{
    m_impl->SetPowerHandler(std::move(onPower));
}

void LogindSessionWatcher::SetLockHandler(LockHandler onLockChange)
{
    m_impl->SetLockHandler(std::move(onLockChange));
}

std::vector<int> LogindSessionWatcher::EventDescriptors()
{
    return m_impl->EventDescriptors();
}

void LogindSessionWatcher::DispatchEvents()
{
    m_impl->DispatchEvents();
}

void LogindSessionWatcher::CheckForSleep()
{
    m_impl->CheckForSleep();
}

bool LogindSessionWatcher::HasSystemBus() const
{
    return m_impl->HasSystemBus();
}

bool LogindSessionWatcher::HasSessionBus() const
{
    return m_impl->HasSessionBus();
}

std::string LogindSessionWatcher::SessionPath() const
{
    return m_impl->SessionPath();
}

bool LogindSessionWatcher::HoldsSleepInhibitor() const
{
    return m_impl->HoldsSleepInhibitor();
}

} // namespace tally
