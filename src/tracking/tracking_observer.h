#pragma once

#include "platform/desktop.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace tally {

// What the tracking engine tells the shell, and the little it asks of it.
// Every call comes from inside an engine call on the user-interface thread.
// The defaults stand for a shell without that part: nothing is repainted,
// the tick's timer cannot be moved, there is no main window to keep the hint
// over and no taskbar button. A shell that cannot tell whether its hint is
// on screen counts it as shown, so the pointer is still checked.
class TrackingObserver
{
public:
    virtual ~TrackingObserver() = default;

    // The timers' figures or states changed: the list shows them anew.
    virtual void TimersChanged() { }
    // Timers were stopped: statistics shown anywhere are out of date.
    virtual void TimersStopped() { }
    // Every period was closed because the computer is about to sleep; what
    // must reach the disk before it does is saved here.
    virtual void PeriodsClosedForSuspend() { }

    // Moves the next firing of the tick's timer to intervalMs from now and
    // keeps that interval; false when the shell cannot, so that a change
    // waits for the periodic tick.
    virtual bool SetUpdateInterval(int /*intervalMs*/) { return false; }

    // Whether the hint window is on screen; the pointer is asked for only then.
    virtual bool HintShown() { return true; }
    // The main window's bounds, edges included; none when there is no window
    // to keep the hint over.
    virtual std::optional<ScreenRect> MainWindowRect() { return std::nullopt; }
    virtual void HideHint() { }

    // A taskbar button the pacing keeps hidden on every firing.
    virtual bool HasTaskbarButton() const { return false; }
    virtual void HideTaskbarButton() { }

    // Sees every run-log line the engine writes (diagnostics, tests).
    virtual void LogLine(std::uint8_t /*level*/, std::string_view /*text*/) { }
};

} // namespace tally
