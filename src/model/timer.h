#pragma once

#include "model/datetime.h"
#include "model/period_list.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tally {

enum TimerType : std::uint8_t {
    ttManual = 0,
    ttApplication = 1,
    ttCaption = 2,
    ttTyping = 3,
    ttInternet = 4,
    ttWorkTime = 5,
    ttIdleTime = 6,
};

enum WindowScope : std::uint8_t {
    scMainOnly = 0,
    scWithOwned = 1,
    scWithHidden = 2,
};

// TimeInRange kinds.
enum class PeriodKind : int {
    Active = 0,
    Background = 1,
    Both = 2,
};

// Marks "no open period" in the four open-period fields; tested by equality.
inline constexpr TDateTime kNoPeriod = -1.0;

// One tracked activity: its configuration, two running totals, the closed
// work periods of both kinds and the two open periods.
class TMyTimer
{
public:
    bool Enabled = false;
    std::string Name;
    std::vector<std::string> Identifiers;
    PeriodList ActivePeriods;
    PeriodList BackgroundPeriods;
    TDateTime ActiveTime = 0.0;
    TDateTime BackgroundTime = 0.0;
    tally::TimerType TimerType = ttManual;
    tally::WindowScope WindowScope = scMainOnly;
    TDateTime CreationDate = 0.0;
    bool Suspended = false;
    std::uint32_t Color = 0;
    std::int32_t ProjectId = 0;
    TDateTime ActiveStart = kNoPeriod;
    TDateTime BackgroundStart = kNoPeriod;
    TDateTime ActiveLast = kNoPeriod;
    TDateTime BackgroundLast = kNoPeriod;

    void SetEnabled(bool enabled) { Enabled = enabled; }

    // Add the time since the previous increment of the same kind and extend
    // the open period, opening it when there is none.
    void IncActiveTime(const ClockReading& now);
    void IncBackgroundTime(const ClockReading& now);
    // The same, for a timer that the previous tick saw as the other kind: a
    // period opened here begins at the other kind's last increment, so the
    // time between the two ticks counts as one kind instead of neither.
    void IncActiveTimeFromBackground(const ClockReading& now);
    void IncBackgroundTimeFromActive(const ClockReading& now);

    // Append the open period {Start, Last} to its list and close it.
    void CloseActivePeriod();
    void CloseBackgroundPeriod();
    void ClosePeriods(bool keepActive, bool keepBackground);

    // Time of the periods that began on the days fromDay..toDay; the open
    // periods count whole when toDay is today.
    TDateTime TimeInRange(PeriodKind kind, TDateTime fromDay, TDateTime toDay, TDateTime now) const;
    TDateTime ActiveToday(TDateTime now) const { return TimeInRange(PeriodKind::Active, now, now, now); }
    TDateTime BackgroundToday(TDateTime now) const { return TimeInRange(PeriodKind::Background, now, now, now); }

    // Time-log edits; the caller adjusts ActiveTime.
    void AddPeriod(TDateTime start, TDateTime stop) { ActivePeriods.Add(start, stop); }
    bool RemovePeriod(const TWorkPeriod& period) { return ActivePeriods.Remove(period); }

private:
    struct OpenPeriod
    {
        TDateTime& Start;
        TDateTime& Last;
        std::int64_t& LastTick;
        TDateTime& Total;
        PeriodList& Closed;
    };
    static void Increment(OpenPeriod period, const ClockReading& now);
    static void Close(OpenPeriod period);
    static void Handover(OpenPeriod from, OpenPeriod to, const ClockReading& now);
    OpenPeriod ActivePeriod() { return {ActiveStart, ActiveLast, m_activeLastTick, ActiveTime, ActivePeriods}; }
    OpenPeriod BackgroundPeriod()
    {
        return {BackgroundStart, BackgroundLast, m_backgroundLastTick, BackgroundTime, BackgroundPeriods};
    }

    // Monotonic tick of the last increment of each kind, to detect wall-clock steps.
    std::int64_t m_activeLastTick = 0;
    std::int64_t m_backgroundLastTick = 0;
};

} // namespace tally
