#pragma once

#include "model/time_model.h"
#include "platform/desktop.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tally {

class TBrisvaleLog;

// The timers the list shows for the current project, in list order.
std::vector<TMyTimer*> Draw(TimeModel& model, TBrisvaleLog& log);

// The line an empty list shows on the first start: how to make a timer. None
// once any timer exists (a project that lists none shows an empty list).
std::optional<std::string> EmptyListGuidance(const TimeModel& model);

// Writes, for each listed timer that this desktop keeps from seeing what it
// watches, its name and the notice its row and hint show.
void LogSightNotices(std::span<TMyTimer* const> rows, const DesktopSight& sight, TBrisvaleLog& log);

// Which actions and menu items are enabled.
struct ControlsState
{
    bool StartTimer = false;
    bool StopTimer = false;
    bool DeleteTimers = false;
    bool Properties = false;
    bool MoveTo = false;
    bool SelectAll = false;
};

ControlsState SetControlsState(std::size_t selectedRows, const TimeModel& model, TBrisvaleLog& log);

// One item of "Assign selected timers to the project"; real projects only.
struct MoveToItem
{
    std::string Caption;
    std::int32_t ProjectId = 0;
};

std::vector<MoveToItem> FillMoveToItems(const ProjectList& projects, TBrisvaleLog& log);

// Assigns the selected timers to the project; false when nothing was selected
// (the list then needs no rebuild).
bool MoveSelectedTimers(std::span<TMyTimer* const> selected, std::int32_t projectId, TBrisvaleLog& log);

// Destroys the selected timers, last row first. The caller saves and rebuilds
// the list afterwards, also when nothing was selected.
void DeleteSelectedTimers(TimeModel& model, std::span<TMyTimer* const> selected, TBrisvaleLog& log);

} // namespace tally
