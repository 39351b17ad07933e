#pragma once

#include "model/run_log_sink.h"
#include "stats/stat_object.h"
#include "stats/time_log.h"

#include <span>
#include <string>
#include <vector>

namespace tally {

// The statistics window's log page: its title and rows.
struct LogPage
{
    std::string Title = kNoTimerLogTitle;
    std::vector<LogRow> Rows;
};

inline constexpr const char* kDeleteLogItemsQuestion = "Are you sure you want to delete selected time events?";

// No timer to show: the "no timers selected" title and no rows.
LogPage ClearLog();

// The object's time log for the chosen day; a project or no object gives the
// cleared page.
LogPage FillLog(const StatObject& object, TDateTime statDate, TDateTime now, RunLogSink& log);

// Adds start..stop (times of day) to the object's timer on the chosen day.
// False, changing nothing, for a project, no object or a refused pair.
bool AddStatLogItem(const StatObject& object, TDateTime statDate, TDateTime startTime, TDateTime stopTime);

// Deletes the selected rows' periods from the object's timer; nothing for a
// project or no object.
void DeleteStatLogItems(const StatObject& object, std::span<const TWorkPeriod* const> periods);

} // namespace tally
