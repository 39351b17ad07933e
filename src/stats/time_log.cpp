#include "stats/time_log.h"

#include "model/datetime.h"
#include "stats/stat_dates.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace tally {

namespace {

TDateTime WholeDay(TDateTime t)
{
    return static_cast<TDateTime>(DayOf(t));
}

TDateTime TimeOfDay(TDateTime t)
{
    return t - std::trunc(t);
}

} // namespace

std::vector<LogRow> LogRows(const TMyTimer& timer, TDateTime day)
{
    const std::int64_t wanted = DayOf(day);
    std::vector<LogRow> rows;
    for (const TWorkPeriod& period : timer.ActivePeriods) {
        if (DayOf(period.Start) != wanted) {
            continue;
        }
        LogRow row;
        row.Period = &period;
        row.StartText = FormatLongTime(period.Start);
        row.StopText = FormatLongTime(period.Stop);
        row.DurationText = FormatLongTime(period.Stop - period.Start);
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string LogTitle(TDateTime day, TDateTime now)
{
    return "Timer activity log for " + DayText(day, now);
}

std::optional<std::string> SetTimeDuration(TDateTime startTime, TDateTime stopTime)
{
    // Compare whole milliseconds, as the pickers show them.
    const std::int64_t start = DaysToMs(TimeOfDay(startTime));
    const std::int64_t stop = DaysToMs(TimeOfDay(stopTime));
    if (stop <= start) {
        return std::nullopt;
    }
    return FormatLongTime(MsToDays(stop - start));
}

bool AddLogPeriod(TMyTimer& timer, TDateTime day, TDateTime startTime, TDateTime stopTime)
{
    if (!SetTimeDuration(startTime, stopTime)) {
        return false;
    }
    const TDateTime base = WholeDay(day);
    const TDateTime start = base + MsToDays(DaysToMs(TimeOfDay(startTime)));
    const TDateTime stop = base + MsToDays(DaysToMs(TimeOfDay(stopTime)));
    timer.AddPeriod(start, stop);
    timer.ActiveTime += stop - start;
    return true;
}

void DeleteLogPeriods(TMyTimer& timer, std::span<const TWorkPeriod* const> periods)
{
    const std::unordered_set<const TWorkPeriod*> wanted(periods.begin(), periods.end());
    std::vector<const TWorkPeriod*> present;
    for (const TWorkPeriod& record : timer.ActivePeriods) {
        if (wanted.count(&record) != 0) {
            present.push_back(&record);
        }
    }
    for (const TWorkPeriod* p : present) {
        timer.ActiveTime -= p->Stop - p->Start;
    }
    // One pass by identity: removing one record at a time would move the
    // records the later rows still point to.
    timer.ActivePeriods.Remove(present);
}

} // namespace tally
