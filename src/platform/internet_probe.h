#pragma once

namespace tally {

// The periodic internet check as the tick sees it. The probe timer is off
// until the first tick that meets an internet timer starts it.
class InternetProbe
{
public:
    virtual ~InternetProbe() = default;

    // Whether the periodic probe timer runs.
    virtual bool TimerRunning() const = 0;

    // Starts the probe timer and runs one probe at once; the answer arrives
    // later, on another thread.
    virtual void StartTimer() = 0;

    // The last finished probe succeeded.
    virtual bool InetConnected() const = 0;
};

} // namespace tally
