#include "view/log_slider.h"

#include <algorithm>

namespace tally {

namespace {

TDateTime WholeDay(TDateTime t)
{
    return static_cast<TDateTime>(DayOf(t));
}

} // namespace

TDateTime SliderDate(int position, TDateTime today)
{
    position = std::clamp(position, 0, kLogSliderMax);
    return WholeDay(today) - (kLogSliderMax - position);
}

int SliderPosition(TDateTime& date, TDateTime today)
{
    const TDateTime first = WholeDay(today) - kLogSliderMax;
    if (date < first) {
        date = first;
    } else if (DayOf(date) > DayOf(today)) {
        date = WholeDay(today);
    }
    const auto back = static_cast<int>(DayOf(today) - DayOf(date));
    return std::clamp(kLogSliderMax - back, 0, kLogSliderMax);
}

int StepSlider(int position, int delta)
{
    return std::clamp(position + delta, 0, kLogSliderMax);
}

LogButtons UpdateLogButtons(int position)
{
    return {position > 0, position < kLogSliderMax};
}

} // namespace tally
