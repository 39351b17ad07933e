#include "tracking/tracking_engine.h"

#include "tracking/window_census.h"

#include <exception>
#include <limits>
#include <utility>

namespace tally {

namespace {
// Reports to nobody: the engine's observer until the shell sets one.
TrackingObserver g_silent;
} // namespace

TrackingEngine::TrackingEngine(TimerList& timers,
                               TrackingState& state,
                               Desktop& desktop,
                               SessionWatcher& session,
                               InternetProbe& probe,
                               const Clock& clock,
                               TBrisvaleLog& log)
    : m_timers(timers)
    , m_state(state)
    , m_desktop(desktop)
    , m_session(session)
    , m_observer(&g_silent)
    , m_probe(probe)
    , m_clock(clock)
    , m_log(log)
{
    m_state.LastKeyTick = m_clock.TickMs();
    m_session.SetPowerHandler([this](PowerEvent event) { OnPowerBroadcast(event); });
    m_desktop.SetChangeHandler([this](DesktopChange change) { OnDesktopChange(change); });
}

TrackingEngine::~TrackingEngine()
{
    // The desktop and the session may outlive us: leave no handler behind
    // that points here.
    try {
        m_session.SetPowerHandler(nullptr);
        m_desktop.SetChangeHandler(nullptr);
        if (m_hooked) {
            m_desktop.RemoveKeyboardHook();
        }
    } catch (...) {
        // Nothing sensible is left to do while tearing down.
    }
}

void TrackingEngine::SetObserver(TrackingObserver* observer)
{
    m_observer = observer != nullptr ? observer : &g_silent;
}

void TrackingEngine::Log(std::uint8_t level, std::string_view text)
{
    try {
        m_log.WriteLine(level, text);
    } catch (const std::exception&) {
        // A log that cannot be written (it only throws when told to) must not
        // stop a tick halfway through the timers.
    }
    m_observer->LogLine(level, text);
}

bool TrackingEngine::DesktopLocked()
{
    try {
        return m_session.IsLocked();
    } catch (...) {
        // Not knowing is treated as unlocked, so tracking goes on.
        Log(0, "IsDesktopLocked failed");
        return false;
    }
}

int TrackingEngine::UpdateIntervalFor(std::int32_t hiddenTickCount)
{
    if (hiddenTickCount < 5) {
        return 1000;
    }
    if (hiddenTickCount < 20) {
        return 5000;
    }
    if (hiddenTickCount < 60) {
        return 10000;
    }
    return 25000;
}

void TrackingEngine::TimTBarTimer()
{
    Log(3, "TimTBarTimer->");
    if (m_state.Sleeping || DesktopLocked()) {
        return;
    }
    if (m_observer->HasTaskbarButton()) {
        try {
            m_observer->HideTaskbarButton();
        } catch (...) {
            Log(0, "HideTaskbarButton failed");
        }
    }
    if (m_state.MainWindowShown) {
        m_state.HiddenTickCount = 0;
    } else if (m_state.HiddenTickCount < std::numeric_limits<std::int32_t>::max()) {
        ++m_state.HiddenTickCount;
    }
    const int interval = UpdateIntervalFor(m_state.HiddenTickCount);
    if (interval != m_updateIntervalMs) {
        m_updateIntervalMs = interval;
        // A change tick that was put off keeps the timer's early firing; that
        // tick sets the new interval.
        if (!m_changeTickDue && m_observer->SetUpdateInterval(interval)) {
            m_tickDueMs = m_clock.TickMs() + interval;
        }
    }
}

bool TrackingEngine::PacingAtRest() const
{
    return !m_state.MainWindowShown && !m_observer->HasTaskbarButton()
           && m_updateIntervalMs == UpdateIntervalFor(std::numeric_limits<std::int32_t>::max());
}

void TrackingEngine::UpdateIdle()
{
    try {
        // Unsigned seconds against the sign-extended threshold: a negative
        // threshold makes every reading idle.
        const std::int64_t idle = m_desktop.IdleSeconds();
        m_state.IsIdle = idle > static_cast<std::int64_t>(m_state.IdleIntervalSec);
    } catch (...) {
        Log(0, "SecondsIdle failed");
    }
}

void TrackingEngine::TimUpdateTimer()
{
    Log(1, "TimUpdateTimer->");
    const std::int64_t startTick = m_clock.TickMs();
    const bool overdue = Overdue(startTick);
    const unsigned heldTypes = std::exchange(m_heldTypes, 0U);
    m_lastTickMs = startTick;
    m_tickDueMs = startTick + m_updateIntervalMs;
    if (std::exchange(m_changeTickDue, false)) {
        m_observer->SetUpdateInterval(m_updateIntervalMs); // it fired early for a change
    }
    if (m_state.Sleeping || DesktopLocked()) {
        return;
    }
    UpdateIdle();

    // One reading for the whole tick, so all timers advance to the same instant.
    const ClockReading now = m_clock.Read();
    bool namesNeeded = false;
    for (const TMyTimer& timer : m_timers) {
        namesNeeded = namesNeeded || (timer.Enabled && timer.TimerType == ttApplication);
    }
    TickCensus census(m_desktop, MainWindow, SkipWindow, namesNeeded);
    m_foregroundKnown = false;
    for (TMyTimer& timer : m_timers) {
        const bool held = !overdue && (heldTypes & (1U << timer.TimerType)) != 0;
        TrackTimer(timer, census, now, held);
    }

    try {
        m_observer->TimersChanged();
    } catch (...) {
        Log(0, "Repaint failed");
    }
    HintCheck();
    Log(1, "Update-<");
}

TrackingEngine::Seen TrackingEngine::Classify(TMyTimer& timer, TickCensus& census, std::int64_t tickMs)
{
    TargetResult result;
    try {
        result = TimerTargetOk(timer, census, tickMs);
    } catch (...) {
        // Not knowing where the target is counts as absent.
        Log(0, "TargetWindow failed");
        result = {};
    }
    if (!result.Present()) {
        return Seen::Absent;
    }
    const bool foreground = result.What != TargetResult::Kind::Window || IsForeground(result.Window);
    const bool active = foreground
                        && (timer.TimerType == ttManual || timer.TimerType == ttInternet
                            || (timer.TimerType == ttIdleTime) == m_state.IsIdle);
    return active ? Seen::Active : Seen::Background;
}

void TrackingEngine::TrackTimer(TMyTimer& timer, TickCensus& census, const ClockReading& now, bool heldUntilNow)
{
    bool activeHit = false;
    bool backgroundHit = false;
    if (timer.Enabled) {
        try {
            // What the last tick saw lasted until the change this tick answers.
            if (heldUntilNow && timer.ActiveStart != kNoPeriod) {
                timer.IncActiveTime(now);
            }
            if (heldUntilNow && timer.BackgroundStart != kNoPeriod) {
                timer.IncBackgroundTime(now);
            }
        } catch (...) {
            Log(0, "IncActiveTime failed");
        }
        const Seen seen = Classify(timer, census, now.TickMs);
        if (seen == Seen::Absent) {
            timer.Suspended = true;
        } else {
            timer.Suspended = timer.TimerType == ttIdleTime && !m_state.IsIdle;
            const bool active = seen == Seen::Active;
            try {
                // A switch between active and background starts the new
                // period where the other ended: the present time stays whole.
                if (active) {
                    timer.IncActiveTimeFromBackground(now);
                } else {
                    timer.IncBackgroundTimeFromActive(now);
                }
            } catch (...) {
                Log(0, "IncActiveTime failed");
            }
            (active ? activeHit : backgroundHit) = true;
        }
    }
    timer.ClosePeriods(activeHit, backgroundHit);
}

bool TrackingEngine::IsForeground(WindowHandle window)
{
    if (!m_foregroundKnown) {
        m_foregroundKnown = true;
        try {
            m_foreground = m_desktop.GetForegroundWindow();
        } catch (...) {
            // Asked once per tick; a failed read counts as no foreground window.
            Log(0, "GetForegroundWindow failed");
            m_foreground = 0;
        }
    }
    return m_foreground != 0 && m_foreground == window;
}

TargetResult TrackingEngine::TimerTargetOk(const TMyTimer& timer)
{
    TickCensus census(m_desktop, MainWindow, SkipWindow);
    return TimerTargetOk(timer, census, m_clock.TickMs());
}

TargetResult TrackingEngine::TimerTargetOk(const TMyTimer& timer, TickCensus& census, std::int64_t tickMs)
{
    using Kind = TargetResult::Kind;
    Log(1, "TimerTargetOk->");
    switch (timer.TimerType) {
        case ttTyping:
            // Both ends on the 64-bit tick, so the window never wraps.
            return static_cast<std::int64_t>(m_state.MaxKeyIntervalMs) > tickMs - m_state.LastKeyTick
                       ? TargetResult {Kind::Typing}
                       : TargetResult {};
        case ttInternet:
            if (!m_probe.TimerRunning()) {
                m_probe.StartTimer();
            }
            return m_probe.InetConnected() ? TargetResult {Kind::Internet} : TargetResult {};
        case ttIdleTime:
            return {Kind::IdleTimer};
        case ttManual:
        case ttWorkTime:
            return {Kind::AlwaysPresent};
        case ttCaption:
            return TargetResult::Found(
                FindMatchingWindow(census.LoweredList(timer.WindowScope, false), timer.Identifiers, false));
        case ttApplication:
            return TargetResult::Found(
                FindMatchingWindow(census.LoweredList(scWithHidden, true), timer.Identifiers, true));
        default:
            return {};
    }
}

void TrackingEngine::HintCheck()
{
    try {
        Log(9, "Mouse->");
        // A hint that is not on screen has nothing to hide: the pointer
        // (a round trip to the display) is not asked for.
        if (!m_observer->HintShown()) {
            Log(9, "Mouse-<");
            return;
        }
        bool known = false;
        ScreenPoint position;
        try {
            position = m_desktop.GetCursorPos();
            known = true;
        } catch (...) {
            Log(0, "mouse.CursorPos failed");
        }
        Log(9, "Mouse-<");
        // Without a position there is nothing to judge; the hint stays.
        if (known) {
            if (const std::optional<ScreenRect> window = m_observer->MainWindowRect();
                window && !PointInRect(position, *window)) {
                m_observer->HideHint();
            }
        }
    } catch (...) {
        Log(0, "HintHide failed");
    }
}

} // namespace tally
