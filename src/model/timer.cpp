#include "model/timer.h"

#include "model/datetime.h"

#include <algorithm>
#include <cmath>

namespace tally {

namespace {

// The wall clock and the monotonic tick drift apart a little even when nobody
// touches the clock (NTP slews by up to 0.05 %); anything beyond this is a step.
bool IsClockStep(std::int64_t wallDeltaMs, std::int64_t tickDeltaMs)
{
    if (wallDeltaMs < 0) {
        return true;
    }
    const std::int64_t tolerance = std::max<std::int64_t>(2000, tickDeltaMs / 1000);
    return std::llabs(wallDeltaMs - tickDeltaMs) > tolerance;
}

} // namespace

void TMyTimer::Increment(OpenPeriod period, const ClockReading& now)
{
    if (period.Last != kNoPeriod) {
        const std::int64_t wallDeltaMs = DaysToMs(now.Now - period.Last);
        const std::int64_t tickDeltaMs = std::max<std::int64_t>(0, now.TickMs - period.LastTick);
        if (IsClockStep(wallDeltaMs, tickDeltaMs)) {
            // The wall clock was set or DST changed: the old period ends at its
            // last increment, and the time that really passed, measured on the
            // tick, opens a new period that ends now.
            Close(period);
            const TDateTime elapsed = MsToDays(tickDeltaMs);
            period.Start = now.Now - elapsed;
            period.Last = now.Now;
            period.LastTick = now.TickMs;
            period.Total += elapsed;
            return;
        }
    }
    if (period.Last == kNoPeriod) {
        period.Last = now.Now;
    }
    if (period.Start == kNoPeriod) {
        period.Start = now.Now;
    }
    period.Total += now.Now - period.Last;
    period.Last = now.Now;
    period.LastTick = now.TickMs;
}

void TMyTimer::Close(OpenPeriod period)
{
    if (period.Start == kNoPeriod) {
        return;
    }
    period.Closed.Add(period.Start, period.Last);
    period.Last = kNoPeriod;
    period.Start = kNoPeriod;
}

void TMyTimer::Handover(OpenPeriod from, OpenPeriod to, const ClockReading& now)
{
    if (to.Start == kNoPeriod && from.Last != kNoPeriod) {
        const std::int64_t wallDeltaMs = DaysToMs(now.Now - from.Last);
        const std::int64_t tickDeltaMs = std::max<std::int64_t>(0, now.TickMs - from.LastTick);
        // Across a clock step the other period's end is no instant to start
        // from; the new period opens now instead.
        if (!IsClockStep(wallDeltaMs, tickDeltaMs)) {
            to.Start = from.Last;
            to.Last = from.Last;
            to.LastTick = from.LastTick;
        }
    }
    Increment(to, now);
}

void TMyTimer::IncActiveTimeFromBackground(const ClockReading& now)
{
    Handover(BackgroundPeriod(), ActivePeriod(), now);
}

void TMyTimer::IncBackgroundTimeFromActive(const ClockReading& now)
{
    Handover(ActivePeriod(), BackgroundPeriod(), now);
}

void TMyTimer::IncActiveTime(const ClockReading& now)
{
    Increment(ActivePeriod(), now);
}

void TMyTimer::IncBackgroundTime(const ClockReading& now)
{
    Increment(BackgroundPeriod(), now);
}

void TMyTimer::CloseActivePeriod()
{
    Close(ActivePeriod());
}

void TMyTimer::CloseBackgroundPeriod()
{
    Close(BackgroundPeriod());
}

void TMyTimer::ClosePeriods(bool keepActive, bool keepBackground)
{
    if (!keepActive) {
        CloseActivePeriod();
    }
    if (!keepBackground) {
        CloseBackgroundPeriod();
    }
}

TDateTime TMyTimer::TimeInRange(PeriodKind kind, TDateTime fromDay, TDateTime toDay, TDateTime now) const
{
    const std::int64_t from = DayOf(fromDay);
    const std::int64_t to = DayOf(toDay);
    const bool active = kind == PeriodKind::Active || kind == PeriodKind::Both;
    const bool background = kind == PeriodKind::Background || kind == PeriodKind::Both;

    TDateTime sum = 0.0;
    // One kind on one day (the list's today figures): the list's kept sum
    // is the walk's own result, found without the walk.
    const bool oneList = active != background;
    if (oneList && from == to) {
        sum = (active ? ActivePeriods : BackgroundPeriods).DaySum(from);
    } else {
        auto addList = [&](const PeriodList& list) {
            for (const TWorkPeriod& period : list) {
                const std::int64_t day = DayOf(period.Start);
                if (day >= from && day <= to) {
                    sum += period.Stop - period.Start;
                }
            }
        };
        if (active) {
            addList(ActivePeriods);
        }
        if (background) {
            addList(BackgroundPeriods);
        }
    }
    // The open period counts whole on today, whenever it began; a closed
    // pair is -1.0 - -1.0 = 0.
    if (to == DayOf(now)) {
        if (active) {
            sum += ActiveLast - ActiveStart;
        }
        if (background) {
            sum += BackgroundLast - BackgroundStart;
        }
    }
    return sum;
}

} // namespace tally
