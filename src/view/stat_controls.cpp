#include "view/stat_controls.h"

#include "view/log_slider.h"

#include <algorithm>
#include <cstdint>

namespace tally {

static_assert(kDatePositionMax == kLogSliderMax, "the window's date track bar and the log's slider name the same days");

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

PeriodDates PeriodDialogDates(int datePosition, int visibleDays, TDateTime now)
{
    const StatDates dates = ComputeStatDates(datePosition, visibleDays, now);
    const auto start = static_cast<TDateTime>(DayOf(dates.StatDate));
    return {start, start + dates.ScaleX};
}

PeriodPositions PeriodDialogPositions(TDateTime start, TDateTime end, TDateTime now)
{
    const std::int64_t back = DayOf(now) - DayOf(start);
    const std::int64_t length = DayOf(end) - DayOf(start);
    // Clamped as wide integers first: a date centuries away must not wrap.
    PeriodPositions positions;
    positions.Position = static_cast<int>(std::clamp<std::int64_t>(kDatePositionMax - back, 0, kDatePositionMax));
    positions.VisibleDays = static_cast<int>(std::clamp<std::int64_t>(length, kVisibleDaysMin, kVisibleDaysMax));
    return positions;
}

} // namespace tally
