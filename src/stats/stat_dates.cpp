#include "stats/stat_dates.h"

#include <algorithm>

namespace tally {

StatPage StatPageFromIndex(int index)
{
    if (index < static_cast<int>(StatPage::Text) || index > static_cast<int>(StatPage::Log)) {
        return StatPage::Text;
    }
    return static_cast<StatPage>(index);
}

int ClampDatePosition(int position)
{
    return std::clamp(position, 0, kDatePositionMax);
}

int ClampVisibleDays(int days)
{
    return std::clamp(days, kVisibleDaysMin, kVisibleDaysMax);
}

StatDates ComputeStatDates(int datePosition, int visibleDays, TDateTime now)
{
    StatDates dates;
    dates.Position = ClampDatePosition(datePosition);
    dates.ScaleX = ClampVisibleDays(visibleDays);
    // Whole days on the local wall clock: a daylight-saving change in between
    // cannot move the result to a neighbouring day.
    dates.StatDate = now - (kDatePositionMax - dates.Position);
    dates.StatEnd = dates.StatDate + dates.ScaleX;
    return dates;
}

std::string DayText(TDateTime day, TDateTime now)
{
    return DayOf(day) == DayOf(now) ? std::string("today") : FormatShortDate(day);
}

} // namespace tally
