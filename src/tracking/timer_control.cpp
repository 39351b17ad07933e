#include "tracking/tracking_engine.h"

namespace tally {

void TrackingEngine::InstallKeyboardHook()
{
    bool ok = false;
    try {
        ok = m_desktop.SetKeyboardHook([this] { OnKeystroke(); });
    } catch (...) {
        ok = false;
    }
    m_hooked = ok;
    if (!ok) {
        Log(0, "Unable to set hook");
    }
}

void TrackingEngine::RemoveKeyboardHook()
{
    bool ok = false;
    try {
        ok = m_desktop.RemoveKeyboardHook();
    } catch (...) {
        ok = false;
    }
    if (ok) {
        m_hooked = false;
    } else {
        Log(0, "Unable to remove hook");
    }
}

void TrackingEngine::OnPowerBroadcast(PowerEvent event)
{
    if (event == PowerEvent::Suspend) {
        Log(0, "sleep->");
        // The periods end at the suspend, not at the last tick before it.
        CountAllUpToNow();
        m_state.Sleeping = true;
        AddToAllTimersOffEvents();
        m_observer->PeriodsClosedForSuspend();
    } else if (event == PowerEvent::Resume) {
        m_state.Sleeping = false;
        Log(0, "wake up-<");
    }
}

void TrackingEngine::AddToAllTimersOffEvents()
{
    Log(0, "AddToAllTimersOffEvents->");
    CountAllUpToNow();
    for (TMyTimer& timer : m_timers) {
        timer.CloseBackgroundPeriod();
        timer.CloseActivePeriod();
    }
}

void TrackingEngine::actStartTimerExecute(std::span<TMyTimer* const> selected)
{
    Log(0, "actStartTimerExecute->");
    for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
        if (*it) {
            (*it)->SetEnabled(true);
        }
    }
    m_observer->TimersChanged();
}

void TrackingEngine::actStopTimerExecute(std::span<TMyTimer* const> selected)
{
    Log(0, "actStopTimerExecute->");
    // Their periods end now; the next tick closes them there.
    CountUpToNow(selected);
    for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
        if (*it) {
            (*it)->SetEnabled(false);
        }
    }
    m_observer->TimersChanged();
    m_observer->TimersStopped();
}

} // namespace tally
