#pragma once

#include <functional>
#include <vector>

namespace tally {

// What the computer's power management announces.
enum class PowerEvent {
    Suspend, // the computer is about to sleep
    Resume,  // it woke up, with the user present
};

// The one owner of the session's lock state and the computer's sleep
// notifications (on Linux: logind on the system bus and the screen saver).
class SessionWatcher
{
public:
    using PowerHandler = std::function<void(PowerEvent event)>;
    using LockHandler = std::function<void()>;

    virtual ~SessionWatcher() = default;

    // True while the session is locked (or a secure screen saver is up);
    // false when nobody can tell.
    virtual bool IsLocked() = 0;

    // Receiver of power notifications; empty removes it.
    virtual void SetPowerHandler(PowerHandler onPower) = 0;

    // Receiver of lock changes (locked to unlocked or back), run from
    // DispatchEvents; empty removes it. A watcher that cannot tell keeps the
    // default and never calls it.
    virtual void SetLockHandler(LockHandler /*onLockChange*/) { }

    // Descriptors for the shell's event loop; DispatchEvents handles what is
    // pending on them and runs the power handler on the calling thread.
    virtual std::vector<int> EventDescriptors() = 0;
    virtual void DispatchEvents() = 0;
};

} // namespace tally
