#include "stats/stat_dates.h"

#include "stats/time_log.h"

#include <algorithm>

namespace tally {

static_assert(kDatePositionMax == kLogSliderMax, "the window's date track bar and the log's slider name the same days");

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

int DateButtonPosition(int position, DateButton button)
{
    switch (button) {
        case DateButton::DayBack:
            return StepSlider(position, -kDayStep);
        case DateButton::DayForward:
            return StepSlider(position, kDayStep);
        case DateButton::MonthBack:
            return StepSlider(position, -kMonthStep);
        case DateButton::MonthForward:
            return StepSlider(position, kMonthStep);
        case DateButton::Today:
            break;
    }
    return kDatePositionMax;
}

StatControls UpdateStatControls(StatPage page, int datePosition)
{
    const int position = ClampDatePosition(datePosition);
    const LogButtons steps = UpdateLogButtons(position);
    StatControls controls;
    controls.LogActions = page == StatPage::Log;
    controls.VisibleDays = page == StatPage::Histogram;
    controls.HistogramOnly = page == StatPage::Histogram;
    controls.Back = steps.Back;
    controls.Forward = steps.Forward;
    controls.GotoToday = position != kDatePositionMax;
    return controls;
}

std::string DayText(TDateTime day, TDateTime now)
{
    return DayOf(day) == DayOf(now) ? std::string("today") : FormatShortDate(day);
}

} // namespace tally
