#pragma once

#include <functional>
#include <vector>

namespace tally {

// The session's lock state and the computer's sleep notifications, as far as
// they do not come from the window system (on Linux: logind on the system bus).
class SessionWatcher
{
public:
    using PowerHandler = std::function<void(int code)>;
    using LockHandler = std::function<void()>;

    virtual ~SessionWatcher() = default;

    // True while the session is locked; false when nobody can tell.
    virtual bool IsLocked() = 0;

    // Receiver of power notifications (4 suspend, 7 resume); empty removes it.
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
