#include "tracking/tracking_engine.h"

#include "tracking/window_census.h"

#include <vector>

namespace tally {

namespace {

constexpr unsigned TypeBit(std::uint8_t type)
{
    return 1U << type;
}

// Timers whose state only a window change alters, and those that the end of
// an idle stretch alters as well.
constexpr unsigned kWindowTypes = TypeBit(ttApplication) | TypeBit(ttCaption);
constexpr unsigned kIdleTypes = kWindowTypes | TypeBit(ttWorkTime) | TypeBit(ttIdleTime);

// How late the tick's timer may fire before the time since the last tick
// counts as unwatched: beyond event-loop jitter, short of any sleep that the
// clocks reveal afterwards.
constexpr std::int64_t kOverdueSlackMs = 2000;

} // namespace

void TrackingEngine::OnDesktopChange(DesktopChange change)
{
    Log(3, "DesktopChange");
    if (change == DesktopChange::Lock) {
        // After an unlock the tick sees at once what changed meanwhile.
        TickOnChange(0);
        return;
    }
    // Only program and caption timers look at windows: a rename elsewhere
    // (a terminal's title, a clock in a caption) costs no tick.
    for (const TMyTimer& timer : m_timers) {
        if (timer.Enabled && (TypeBit(timer.TimerType) & kWindowTypes) != 0) {
            TickOnChange(kWindowTypes);
            return;
        }
    }
}

void TrackingEngine::OnKeystroke()
{
    Log(4, "WmUser");
    m_state.LastKeyTick = m_clock.TickMs();
    // The first key after an idle stretch ends it; the tick that sees that
    // is the only one a keystroke runs (the next tick clears IsIdle).
    if (m_state.IsIdle) {
        TickOnChange(kIdleTypes);
    }
}

void TrackingEngine::TickOnChange(unsigned heldTypes)
{
    const std::int64_t tick = m_clock.TickMs();
    const std::int64_t since = m_lastTickMs ? tick - *m_lastTickMs : kChangeTickGapMs;
    if (since >= kChangeTickGapMs || since < 0) {
        m_heldTypes |= heldTypes;
        TimUpdateTimer();
        return;
    }
    if (!m_changeTickDue) {
        const auto wait = static_cast<int>(kChangeTickGapMs - since);
        if (!m_observer->SetUpdateInterval(wait)) {
            return; // nothing can run the tick early; the periodic one sees the change
        }
        m_changeTickDue = true;
        m_tickDueMs = tick + wait;
    }
    m_heldTypes |= heldTypes;
}

bool TrackingEngine::Overdue(std::int64_t tickMs) const
{
    return m_lastTickMs && tickMs > m_tickDueMs + kOverdueSlackMs;
}

bool TrackingEngine::NamesNeeded(std::span<TMyTimer* const> timers) const
{
    for (const TMyTimer* timer : timers) {
        if (timer != nullptr && timer->Enabled && timer->TimerType == ttApplication) {
            return true;
        }
    }
    return false;
}

void TrackingEngine::CountUpToNow(std::span<TMyTimer* const> timers)
{
    try {
        CountOpenPeriods(timers);
    } catch (...) {
        // The periods are closed all the same; only their last seconds are lost.
        Log(0, "CountUpToNow failed");
    }
}

void TrackingEngine::CountOpenPeriods(std::span<TMyTimer* const> timers)
{
    const ClockReading now = m_clock.Read();
    if (Overdue(now.TickMs) || m_state.Sleeping || DesktopLocked()) {
        return;
    }
    // Asked after the lock test, which may itself report a sleep noticed only
    // now and close everything.
    bool open = false;
    for (const TMyTimer* timer : timers) {
        open = open
               || (timer != nullptr && timer->Enabled
                   && (timer->ActiveStart != kNoPeriod || timer->BackgroundStart != kNoPeriod));
    }
    if (!open) {
        return;
    }
    UpdateIdle();
    TickCensus census(m_desktop, MainWindow, SkipWindow, NamesNeeded(timers));
    m_foregroundKnown = false;
    for (TMyTimer* timer : timers) {
        if (timer == nullptr || !timer->Enabled) {
            continue;
        }
        const bool activeOpen = timer->ActiveStart != kNoPeriod;
        const bool backgroundOpen = timer->BackgroundStart != kNoPeriod;
        // An internet timer whose probe has stopped has no answer to go by
        // (and no probe is started on the way out).
        if ((!activeOpen && !backgroundOpen) || (timer->TimerType == ttInternet && !m_probe.TimerRunning())) {
            continue;
        }
        const Seen seen = Classify(*timer, census, now.TickMs);
        try {
            if (seen == Seen::Active && activeOpen) {
                timer->IncActiveTime(now);
            } else if (seen == Seen::Background && backgroundOpen) {
                timer->IncBackgroundTime(now);
            }
        } catch (...) {
            Log(0, "IncActiveTime failed");
        }
    }
}

void TrackingEngine::CountAllUpToNow()
{
    std::vector<TMyTimer*> all;
    all.reserve(m_timers.Count());
    for (TMyTimer& timer : m_timers) {
        all.push_back(&timer);
    }
    CountUpToNow(all);
}

} // namespace tally
