#pragma once

#include "model/project.h"
#include "model/timer_list.h"

#include <cstdint>
#include <optional>

namespace tally {

// The tracked data of one run: the timers, the projects, the two fixed
// pseudo-projects and the project whose timers the timer list shows.
struct TimeModel
{
    TimerList Timers;
    ProjectList Projects;
    std::int32_t CurrPrjId = NonProjectId;
    // Made by CreatePrjDefObjs; never stored, edited or deleted.
    std::optional<TTimeProject> NonProjectPrj;
    std::optional<TTimeProject> ShowAllPrj;
};

} // namespace tally
