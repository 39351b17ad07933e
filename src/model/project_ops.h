#pragma once

#include "model/project.h"
#include "model/run_log_sink.h"
#include "model/time_model.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace tally {

class SettingsStore;

// What the project dialog edits.
struct ProjectValues
{
    std::string Name;
    std::string Description;
    std::uint32_t Color = kActiveCaptionColor;
    TDateTime StartDate = 0.0;
    TDateTime EndDate = 0.0;
    Money TotalPrice;
};

// Creates the "Show all timers" and "Non project timers" pseudo-projects.
void CreatePrjDefObjs(TimeModel& model, RunLogSink& log);

// Hands out the next project id: above both the stored counter and every
// existing id. Stores it back (a failed write propagates; no id is lost then,
// because the caller creates nothing).
std::int32_t GetPrjIdCounter(const ProjectList& projects, SettingsStore& settings, RunLogSink& log);

// Whether the timer list shows the timer while currPrjId is current.
bool InView(const TMyTimer& timer, std::int32_t currPrjId);

void MoveTimers(std::span<TMyTimer* const> timers, std::int32_t projectId, RunLogSink& log);

TTimeProject&
AddProject(TimeModel& model, const ProjectValues& values, TDateTime now, SettingsStore& settings, RunLogSink& log);

// Replaces the editable fields, then calls save (the data file is written at
// once after an edit). Id, CreationDate and ReservedAmount stay.
void UpdateProject(TTimeProject& project, const ProjectValues& values, const std::function<void()>& save);

// Destroys the project; its timers are destroyed too, or moved to "Non
// project timers", whether the list shows them or not.
void DeleteProject(TimeModel& model, const TTimeProject& project, bool deleteTimers);

// Starts or stops every timer of the project, in list order.
void StartProject(TimerList& timers, const TTimeProject& project, bool on);

bool ProjectHasTimers(const TimerList& timers, const TTimeProject& project);

void FreeProjects(ProjectList& projects, RunLogSink& log);

} // namespace tally
