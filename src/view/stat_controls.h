#pragma once

#include "model/datetime.h"
#include "stats/stat_dates.h"

// The statistics window's buttons and dates: the steps of the date track
// bar, what is enabled and shown on each page, and the period dialog's dates.
namespace tally {

// Steps of the day and month buttons; a "month" is 31 positions whatever its length.
inline constexpr int kDayStep = 1;
inline constexpr int kMonthStep = 31;

// Where a day or month button or "Goto today" puts the date track bar.
enum class DateButton {
    DayBack,
    DayForward,
    MonthBack,
    MonthForward,
    Today,
};
int DateButtonPosition(int position, DateButton button);

// Enablement and visibility of the bottom bar and the window menu.
struct StatControls
{
    bool LogActions = false;    // add and delete items, their separators
    bool VisibleDays = false;   // the visible-period track bar
    bool HistogramOnly = false; // "Print" enabled, "Set visible period..." shown
    bool Back = false;          // day and month back
    bool Forward = false;       // day and month forward
    bool GotoToday = false;
};

StatControls UpdateStatControls(StatPage page, int datePosition);

// The period dialog's fields for the track bars: the chosen day and that
// day plus the visible days, both whole dates.
struct PeriodDates
{
    TDateTime Start = 0.0;
    TDateTime End = 0.0;
};
PeriodDates PeriodDialogDates(int datePosition, int visibleDays, TDateTime now);

// Accepted dates back to the track bars, clamped to their ranges.
struct PeriodPositions
{
    int Position = kDatePositionMax;
    int VisibleDays = kVisibleDaysDefault;
};
PeriodPositions PeriodDialogPositions(TDateTime start, TDateTime end, TDateTime now);

} // namespace tally
