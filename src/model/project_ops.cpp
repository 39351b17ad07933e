#include "model/project_ops.h"

#include "model/settings_store.h"

#include <cstdint>
#include <stdexcept>

namespace tally {

namespace {

constexpr std::uint32_t kSilver = 0xC0C0C0;
constexpr std::uint32_t kWhite = 0xFFFFFF;

TTimeProject PseudoProject(std::int32_t id, const char* name, std::uint32_t color)
{
    TTimeProject p;
    p.Id = id;
    p.Name = name;
    p.Color = color;
    return p;
}

void ApplyValues(TTimeProject& project, const ProjectValues& values)
{
    project.Name = values.Name;
    project.Description = values.Description;
    project.Color = values.Color;
    project.StartDate = values.StartDate;
    project.EndDate = values.EndDate;
    project.TotalPrice = values.TotalPrice;
}

} // namespace

void CreatePrjDefObjs(TimeModel& model, RunLogSink& log)
{
    log.WriteLine(0, "CreatePrjDefObjs");
    model.NonProjectPrj = PseudoProject(NonProjectId, "Non project timers", kWhite);
    model.ShowAllPrj = PseudoProject(ShowAllId, "Show all timers", kSilver);
}

std::int32_t GetPrjIdCounter(const ProjectList& projects, SettingsStore& settings, RunLogSink& log)
{
    log.WriteLine(0, "GetPrjIdCounter: Integer->");
    std::int64_t candidate = static_cast<std::int64_t>(settings.ReadInteger("main", "PrjIdCounter", 0)) + 1;
    for (std::size_t i = 0; i < projects.Count(); ++i) {
        if (projects[i].Id >= candidate) {
            candidate = static_cast<std::int64_t>(projects[i].Id) + 1;
        }
    }
    // A counter below 1 (edited settings) must never hand out a pseudo-project's id.
    if (candidate < 1) {
        candidate = 1;
    }
    if (candidate > INT32_MAX) {
        throw std::overflow_error("No project id is left to hand out");
    }
    const auto id = static_cast<std::int32_t>(candidate);
    settings.WriteInteger("main", "PrjIdCounter", id);
    return id;
}

bool InView(const TMyTimer& timer, std::int32_t currPrjId)
{
    return currPrjId == ShowAllId || timer.ProjectId == currPrjId;
}

void MoveTimers(std::span<TMyTimer* const> timers, std::int32_t projectId, RunLogSink& log)
{
    log.WriteLine(0, "MoveTimers->");
    for (TMyTimer* timer : timers) {
        if (timer) {
            timer->ProjectId = projectId;
        }
    }
}

TTimeProject&
AddProject(TimeModel& model, const ProjectValues& values, TDateTime now, SettingsStore& settings, RunLogSink& log)
{
    auto project = std::make_unique<TTimeProject>();
    ApplyValues(*project, values);
    project->CreationDate = now;
    project->Id = GetPrjIdCounter(model.Projects, settings, log);
    return model.Projects.Add(std::move(project));
}

void UpdateProject(TTimeProject& project, const ProjectValues& values, const std::function<void()>& save)
{
    ApplyValues(project, values);
    if (save) {
        save();
    }
}

void DeleteProject(TimeModel& model, const TTimeProject& project, bool deleteTimers)
{
    const std::int32_t id = project.Id;
    for (std::size_t i = model.Timers.Count(); i-- > 0;) {
        if (model.Timers[i].ProjectId != id) {
            continue;
        }
        if (deleteTimers) {
            model.Timers.DeleteAt(i);
        } else {
            model.Timers[i].ProjectId = NonProjectId;
        }
    }
    model.Projects.Delete(&project);
}

void StartProject(TimerList& timers, const TTimeProject& project, bool on)
{
    for (TMyTimer& timer : timers) {
        if (timer.ProjectId == project.Id) {
            timer.SetEnabled(on);
        }
    }
}

bool ProjectHasTimers(const TimerList& timers, const TTimeProject& project)
{
    for (const TMyTimer& timer : timers) {
        if (timer.ProjectId == project.Id) {
            return true;
        }
    }
    return false;
}

void FreeProjects(ProjectList& projects, RunLogSink& log)
{
    log.WriteLine(0, "FreeProjects->");
    projects.Clear();
}

} // namespace tally
