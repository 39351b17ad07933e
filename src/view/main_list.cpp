#include "view/main_list.h"

#include "model/project_ops.h"
#include "runlog/brisvale_log.h"
#include "view/timer_row.h"

namespace tally {

std::vector<TMyTimer*> Draw(TimeModel& model, TBrisvaleLog& log)
{
    log.WriteLine(0, "Draw, CurrPrjId:" + std::to_string(model.CurrPrjId));
    std::vector<TMyTimer*> rows;
    for (TMyTimer& timer : model.Timers) {
        if (InView(timer, model.CurrPrjId)) {
            rows.push_back(&timer);
        }
    }
    return rows;
}

std::optional<std::string> EmptyListGuidance(const TimeModel& model)
{
    if (!model.Timers.Empty()) {
        return std::nullopt;
    }
    return "No timers yet: press + below or Ctrl+N to make your first timer.";
}

void LogSightNotices(std::span<TMyTimer* const> rows, const DesktopSight& sight, TBrisvaleLog& log)
{
    for (const TMyTimer* timer : rows) {
        if (auto notice = TimerSightNotice(timer->TimerType, sight)) {
            log.WriteLine(0, "Notice, " + timer->Name + ": " + notice->Sentence);
        }
    }
}

ControlsState SetControlsState(std::size_t selectedRows, const TimeModel& model, TBrisvaleLog& log)
{
    log.WriteLine(0, "SetControlsState->");
    const bool selected = selectedRows > 0;
    if (!selected) {
        log.WriteLine(0, "lv.Selected=nil");
    }
    ControlsState state;
    state.StartTimer = selected;
    state.StopTimer = selected;
    state.DeleteTimers = selected;
    state.Properties = selected;
    state.MoveTo = selected && !model.Projects.Empty();
    state.SelectAll = !model.Timers.Empty();
    return state;
}

std::vector<MoveToItem> FillMoveToItems(const ProjectList& projects, TBrisvaleLog& log)
{
    log.WriteLine(0, "FillMoveToItems->");
    std::vector<MoveToItem> items;
    items.reserve(projects.Count());
    for (std::size_t i = 0; i < projects.Count(); ++i) {
        items.push_back({projects[i].Name, projects[i].Id});
    }
    return items;
}

bool MoveSelectedTimers(std::span<TMyTimer* const> selected, std::int32_t projectId, TBrisvaleLog& log)
{
    // MoveTimers writes the log line itself.
    MoveTimers(selected, projectId, log);
    return !selected.empty();
}

void DeleteSelectedTimers(TimeModel& model, std::span<TMyTimer* const> selected, TBrisvaleLog& log)
{
    for (std::size_t i = selected.size(); i-- > 0;) {
        TMyTimer* timer = selected[i];
        if (!timer) {
            continue;
        }
        log.WriteLine(0, "Delete timer " + timer->Name);
        model.Timers.Delete(timer);
    }
}

} // namespace tally
