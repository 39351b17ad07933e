#pragma once

#include "model/timer_list.h"
#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/internet_probe.h"
#include "platform/session_watcher.h"
#include "runlog/brisvale_log.h"
#include "tracking/tracking_observer.h"
#include "tracking/tracking_state.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace tally {

class TickCensus;

// What TimerTargetOk found for a timer: the window it follows, or why a
// timer without a window counts as present, or that it is absent.
struct TargetResult
{
    enum class Kind : std::uint8_t {
        Absent,
        Window,
        AlwaysPresent, // ttManual, ttWorkTime
        Typing,
        Internet,
        IdleTimer,
    };

    Kind What = Kind::Absent;
    WindowHandle Window = 0; // set with Kind::Window only

    // The window found, or Absent for none.
    static TargetResult Found(WindowHandle window)
    {
        return window != 0 ? TargetResult {Kind::Window, window} : TargetResult {};
    }
    bool Present() const { return What != Kind::Absent; }
    bool operator==(const TargetResult&) const = default;
};

// The tracking engine: the periodic tick that classifies every enabled timer
// as absent, active or background, its pacing, the keystroke and power
// handlers, and starting and stopping timers. The shell owns the periodic
// timers and calls the handlers; the engine reports through its observer.
class TrackingEngine
{
public:
    // Sets state.LastKeyTick to the current tick: the engine is made at start-up.
    TrackingEngine(TimerList& timers,
                   TrackingState& state,
                   Desktop& desktop,
                   SessionWatcher& session,
                   InternetProbe& probe,
                   const Clock& clock,
                   TBrisvaleLog& log);
    ~TrackingEngine();
    TrackingEngine(const TrackingEngine&) = delete;
    TrackingEngine& operator=(const TrackingEngine&) = delete;

    TrackingState& State() { return m_state; }
    const TrackingState& State() const { return m_state; }

    WindowHandle MainWindow = 0; // where the census walk starts
    WindowHandle SkipWindow = 0; // a window of ours never to list

    // The receiver of the engine's reports (not owned; it must outlive the
    // engine or be replaced first); null restores the silent default.
    void SetObserver(TrackingObserver* observer);

    // The tick (every UpdateIntervalMs) and its pacing (every 1000 ms).
    void TimUpdateTimer();
    void TimTBarTimer();
    int UpdateIntervalMs() const { return m_updateIntervalMs; }

    // A change on the desktop (the engine installs this as the desktop's
    // change handler) or the first keystroke after an idle stretch runs a
    // tick at once, and the timers whose state the change ends get their
    // last increment up to it: period boundaries lie at the change, not at
    // the next periodic tick. At most one such tick runs per
    // kChangeTickGapMs; one that comes sooner is put off until the gap has
    // passed by making the tick's timer fire early once through the
    // observer's SetUpdateInterval (the tick that follows sets it back).
    void OnDesktopChange(DesktopChange change);
    static constexpr std::int64_t kChangeTickGapMs = 200;

    // Gives every listed timer whose state still holds (its target is where
    // the last tick saw it) its last increment up to now, before its periods
    // are closed for a reason other than a tick: stop, suspend, shutdown.
    // Does nothing while the tick would be skipped, or when the tick is
    // overdue (the process did not run: nothing is known of that time).
    void CountUpToNow(std::span<TMyTimer* const> timers);
    // The pacing has slowed the tick as far as it goes and the main window is
    // hidden: further pacing firings change nothing (with no taskbar button
    // to keep hidden), so the shell may stop them until the window shows.
    bool PacingAtRest() const;

    // The per-timer decision; a failure propagates. The overload without a
    // census takes a fresh one.
    TargetResult TimerTargetOk(const TMyTimer& timer);
    TargetResult TimerTargetOk(const TMyTimer& timer, TickCensus& census, std::int64_t tickMs);

    // Keystroke notifications: installed once at start-up, removed at shutdown.
    void InstallKeyboardHook();
    void RemoveKeyboardHook();
    void OnKeystroke();

    // Power notifications (the engine installs this as the session's power
    // handler): a suspend closes all periods and stops the tick, a resume
    // lets it run again.
    void OnPowerBroadcast(PowerEvent event);

    // Closes both open periods of every timer.
    void AddToAllTimersOffEvents();

    // Start or stop the timers of the selected rows, given in list order; an
    // empty selection only repaints.
    void actStartTimerExecute(std::span<TMyTimer* const> selected);
    void actStopTimerExecute(std::span<TMyTimer* const> selected);

    // The tick's interval for a pacing count.
    static int UpdateIntervalFor(std::int32_t hiddenTickCount);

private:
    void Log(std::uint8_t level, std::string_view text);
    bool DesktopLocked();
    void UpdateIdle();
    enum class Seen { Absent, Active, Background };
    Seen Classify(TMyTimer& timer, TickCensus& census, std::int64_t tickMs);
    void TrackTimer(TMyTimer& timer, TickCensus& census, const ClockReading& now, bool heldUntilNow);
    void TickOnChange(unsigned heldTypes);
    void CountAllUpToNow();
    void CountOpenPeriods(std::span<TMyTimer* const> timers);
    bool Overdue(std::int64_t tickMs) const;
    bool NamesNeeded(std::span<TMyTimer* const> timers) const;
    bool IsForeground(WindowHandle window);
    void HintCheck();

    TimerList& m_timers;
    TrackingState& m_state;
    Desktop& m_desktop;
    SessionWatcher& m_session;
    TrackingObserver* m_observer;
    InternetProbe& m_probe;
    const Clock& m_clock;
    TBrisvaleLog& m_log;
    int m_updateIntervalMs = 1000;
    bool m_hooked = false;
    // Change ticks: when the last tick ran and when the tick's timer fires
    // next (both on the monotonic tick), whether a change tick was put off,
    // and the timer types (bits of 1 << TimerType) whose state held until
    // the change that the next tick answers.
    std::optional<std::int64_t> m_lastTickMs;
    std::int64_t m_tickDueMs = 0;
    bool m_changeTickDue = false;
    unsigned m_heldTypes = 0;
    // The foreground window, asked at most once per tick.
    bool m_foregroundKnown = false;
    WindowHandle m_foreground = 0;
};

} // namespace tally
