#pragma once

#include "model/project.h"
#include "model/timer.h"

#include <span>
#include <variant>

namespace tally {

// What the statistics window shows: nothing, a timer (the first one selected
// in the timer list) or a project. Not owned; whoever deletes timers or
// projects resets it.
using StatObject = std::variant<std::monostate, TMyTimer*, TTimeProject*>;

inline TMyTimer* StatTimer(const StatObject& object)
{
    const auto* timer = std::get_if<TMyTimer*>(&object);
    return timer ? *timer : nullptr;
}

inline TTimeProject* StatProject(const StatObject& object)
{
    const auto* project = std::get_if<TTimeProject*>(&object);
    return project ? *project : nullptr;
}

// What a refresh reads from the other windows at that moment; the selection
// may have moved since the object was set.
struct StatSelection
{
    // The timer list's selected rows, in list order.
    std::span<TMyTimer* const> SelectedTimers;
    // Every row of the timer list, selected or not.
    std::span<TMyTimer* const> ListTimers;
    // The project of the projects list's selected row; null with no row, the
    // separator row or a closed projects window.
    const TTimeProject* SelectedProject = nullptr;
};

} // namespace tally
