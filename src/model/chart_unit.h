#pragma once

namespace tally {

// The unit the statistics window shows its times and bars in; stored as its
// number.
enum class ChartUnit : int {
    Seconds = 0,
    Minutes = 1,
    Hours = 2,
};

// A stored number; anything but the three is hours.
constexpr ChartUnit ChartUnitFromIndex(int index)
{
    return index == static_cast<int>(ChartUnit::Seconds) || index == static_cast<int>(ChartUnit::Minutes)
               ? static_cast<ChartUnit>(index)
               : ChartUnit::Hours;
}

} // namespace tally
