#pragma once

#include "platform/logind/bus_connection.h"
#include "platform/logind/logind_session_watcher.h"
#include "platform/logind/suspend_detector.h"

#include <exception>
#include <optional>
#include <string>
#include <vector>

namespace tally {

// The watcher's state. Setting up the buses lives in watcher_setup.cpp, the
// running part (signals, sleep, dispatch) in logind_session_watcher.cpp.
class LogindSessionWatcher::Impl
{
public:
    explicit Impl(LogindWatcherOptions options);
    ~Impl();
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    bool IsLocked();
    void SetPowerHandler(PowerHandler onPower) { m_onPower = std::move(onPower); }
    void SetLockHandler(LockHandler onLockChange) { m_onLockChange = std::move(onLockChange); }
    std::vector<int> EventDescriptors() const;
    void DispatchEvents();
    void CheckForSleep();

    bool HasSystemBus() const { return m_system != nullptr; }
    bool HasSessionBus() const { return m_session != nullptr; }
    const std::string& SessionPath() const { return m_sessionPath; }
    bool HoldsSleepInhibitor() const { return m_inhibitor.Valid(); }

private:
    // Setup (watcher_setup.cpp).
    void Setup();
    void ConnectSystemBus();
    void ConnectSessionBus();
    void FindSession();
    bool TrySessionPath(const std::optional<std::string>& path);
    std::optional<std::string> CallGetSession(const std::string& id);
    std::optional<std::string> CallGetSessionByPid();
    // The object path a session lookup on the system bus answered with.
    std::optional<std::string> SessionPathReply(int result, logind::BusError& error, sd_bus_message* reply);
    bool AddMatch(sd_bus* bus,
                  std::vector<logind::SlotPtr>& slots,
                  const std::string& rule,
                  sd_bus_message_handler_t callback);
    void AddSystemMatches();
    void Watch(sd_bus* bus);
    void Unwatch(sd_bus* bus);

    // Calls to the peers.
    std::optional<bool> ReadLockedHint(const std::string& path, std::string* why = nullptr);
    void RefreshLockedHint();
    void ReadScreenSaverActive();
    void TakeInhibitor();
    void NoteCallFailure(sd_bus* bus, int result, logind::BusError& error);

    // Signals.
    static int OnPrepareForSleep(sd_bus_message* message, void* userdata, sd_bus_error* error);
    static int OnSessionPropertiesChanged(sd_bus_message* message, void* userdata, sd_bus_error* error);
    static int OnSessionLockSignal(sd_bus_message* message, void* userdata, sd_bus_error* error);
    static int OnScreenSaverActiveChanged(sd_bus_message* message, void* userdata, sd_bus_error* error);
    void HandlePrepareForSleep(bool start);

    // Dispatch.
    template <typename Function>
    void Guard(Function&& function);
    void Notify(PowerEvent event);
    void ProcessBus(sd_bus* bus, bool& broken);
    void DropBrokenBuses();
    void DropSystemBus();
    void DropSessionBus();
    void UpdateWatches();
    void WakeIfQueued();
    void Report(const std::string& text) const;

    LogindWatcherOptions m_options;
    PowerHandler m_onPower;
    LockHandler m_onLockChange;
    SuspendDetector m_detector;

    logind::UniqueFd m_epoll;
    logind::UniqueFd m_wake; // eventfd: messages already read from a socket wait in sd-bus

    logind::BusPtr m_system;
    logind::BusPtr m_session;
    // Declared after the buses so that they go first.
    std::vector<logind::SlotPtr> m_systemSlots;
    std::vector<logind::SlotPtr> m_sessionSlots;
    bool m_systemBroken = false;
    bool m_sessionBroken = false;
    bool m_logindMissing = false;

    std::string m_sessionPath;
    logind::UniqueFd m_inhibitor;

    bool m_logindLocked = false;
    bool m_screenSaverActive = false;
    bool m_sleepAnnounced = false;

    std::exception_ptr m_pending; // first exception of the power handler during a dispatch
};

} // namespace tally
