#pragma once

#include "model/datetime.h"

#include <string>

namespace tally {

// The statistics window's date track bar: 367 is today, 0 is 367 days back
// (the same scale as the time log's slider).
inline constexpr int kDatePositionMax = 367;
// The visible-period track bar: the histogram's length in days.
inline constexpr int kVisibleDaysMin = 1;
inline constexpr int kVisibleDaysMax = 99;
inline constexpr int kVisibleDaysDefault = 7;

enum class StatPage : int {
    Text = 0,
    Histogram = 1,
    Log = 2,
};

// A stored page index; anything outside the three tabs is the text page.
StatPage StatPageFromIndex(int index);

int ClampDatePosition(int position);
int ClampVisibleDays(int days);

// The dates of one ComputeStatDates. StatDate keeps the time of day of now;
// only its calendar day counts.
struct StatDates
{
    TDateTime StatDate = 0.0;
    TDateTime StatEnd = 0.0;
    // The clamped positions, remembered for SaveStatIni.
    int Position = kDatePositionMax;
    int ScaleX = kVisibleDaysDefault;
};

StatDates ComputeStatDates(int datePosition, int visibleDays, TDateTime now);

// "today" when the day is now's calendar day, otherwise the short date.
std::string DayText(TDateTime day, TDateTime now);

} // namespace tally
