#pragma once

#include "model/datetime.h"

namespace tally {

// The date slider of the log: position 367 is today, 0 is 367 days back.
inline constexpr int kLogSliderMax = 367;
TDateTime SliderDate(int position, TDateTime today);
// Pulls the date into today-367..today and gives the matching position.
int SliderPosition(TDateTime& date, TDateTime today);
int StepSlider(int position, int delta);

struct LogButtons
{
    bool Back = false;
    bool Forward = false;
};
LogButtons UpdateLogButtons(int position);

} // namespace tally
