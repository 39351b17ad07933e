#pragma once

#include "platform/logind/suspend_detector.h"
#include "platform/session_watcher.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tally {

struct LogindWatcherOptions
{
    // D-Bus addresses ("unix:path=..."); empty means the usual system bus and
    // the user's session bus, as the environment names them.
    std::string SystemBusAddress;
    std::string SessionBusAddress;

    // Also count an active screen saver on the session bus as locked.
    bool WatchScreenSaver = true;

    // The logind session to watch; empty finds the session of this process.
    std::string SessionId;

    // Replaces the kernel clocks of the unannounced-sleep check.
    std::function<SleepClockReading()> ReadClocks;

    // Receives one line for each thing that could not be set up or went away
    // (no bus, no session, no inhibitor, a lost bus) and for sleeps noticed
    // only afterwards. Runs on the calling thread.
    std::function<void(const std::string&)> OnMessage;

    // Longest wait for the bus to accept us or to answer a call.
    std::chrono::milliseconds CallTimeout {5000};
};

// Lock state and sleep notifications from logind on the system bus and the
// screen saver on the session bus. Whatever is missing counts as "not
// locked"; construction never fails. Sleeps that nobody announced are found
// from the clocks, so they are noticed even without logind or a bus.
//
// Not thread-safe, and it starts no threads: everything, the power handler
// included, runs on the thread that calls it.
class LogindSessionWatcher final : public SessionWatcher
{
public:
    explicit LogindSessionWatcher(LogindWatcherOptions options = {});
    ~LogindSessionWatcher() override;
    LogindSessionWatcher(const LogindSessionWatcher&) = delete;
    LogindSessionWatcher& operator=(const LogindSessionWatcher&) = delete;

    // Checks for an unannounced sleep first (see CheckForSleep), so the power
    // handler may run from inside this call.
    bool IsLocked() override;

    void SetPowerHandler(PowerHandler onPower) override;
    // Runs at the end of the DispatchEvents that saw the lock state change.
    void SetLockHandler(LockHandler onLockChange) override;

    // One descriptor that stays the same for the watcher's lifetime and is
    // readable whenever DispatchEvents has work, whichever bus it comes from.
    std::vector<int> EventDescriptors() override;

    // Handles everything pending on the buses, then returns. An exception of
    // the power handler reaches the caller after all pending work is done.
    void DispatchEvents() override;

    // Reports a sleep that happened without notice (the clocks show it) as
    // suspend and resume at once: the periods end at their last increment and
    // nothing is counted for the sleep. Cheap enough for every tick.
    void CheckForSleep();

    bool HasSystemBus() const;
    bool HasSessionBus() const;

    // The object path of the logind session watched; empty when there is none.
    std::string SessionPath() const;

    // True while logind waits for us before the machine sleeps.
    bool HoldsSleepInhibitor() const;

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace tally
