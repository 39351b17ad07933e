#include "stats/text_stat.h"

#include "model/duration.h"
#include "stats/stat_dates.h"

namespace tally {

void AddTimerSums(StatSums& sums, const TMyTimer& timer, TDateTime day, TDateTime now)
{
    // One kind on one day: answered from the sums the period lists keep, so
    // a refresh does not walk millions of periods.
    sums.DayActive += timer.TimeInRange(PeriodKind::Active, day, day, now);
    sums.DayBackground += timer.TimeInRange(PeriodKind::Background, day, day, now);
    sums.TotalActive += timer.ActiveTime;
    sums.TotalBackground += timer.BackgroundTime;
}

TextStat ClearTextStat()
{
    return {};
}

namespace {

TextStat TimerTextStat(const TMyTimer& object, std::span<TMyTimer* const> selected, TDateTime day, TDateTime now)
{
    StatSums sums;
    TextStat page;
    page.Creation.reset();
    if (!selected.empty()) {
        for (const TMyTimer* timer : selected) {
            if (timer) {
                AddTimerSums(sums, *timer, day, now);
            }
        }
        page.Creation = selected.size() == 1 ? FormatShortDate(object.CreationDate) : std::string(kNoValue);
    }
    // The object decides whether background shows, whatever the other
    // selected timers are; the summaries still include their background.
    // A manual timer never shows it.
    page.TotalAct = FormatDuration(sums.TotalActive);
    page.TotalBack = BackgroundText(object, FormatDuration(sums.TotalBackground));
    page.TotalSumm = FormatDuration(sums.TotalActive + sums.TotalBackground);
    page.TodayAct = FormatDuration(sums.DayActive);
    page.TodayBack = BackgroundText(object, FormatDuration(sums.DayBackground));
    page.TodaySumm = FormatDuration(sums.DayActive + sums.DayBackground);
    return page;
}

TextStat ProjectTextStat(const TTimeProject* project, std::span<TMyTimer* const> listed, TDateTime day, TDateTime now)
{
    StatSums sums;
    TextStat page;
    page.Creation.reset();
    if (project) {
        for (const TMyTimer* timer : listed) {
            if (timer && timer->ProjectId == project->Id) {
                AddTimerSums(sums, *timer, day, now);
            }
        }
        page.Creation = FormatShortDate(project->CreationDate);
    }
    page.TotalAct = FormatDuration(sums.TotalActive);
    page.TotalBack = FormatDuration(sums.TotalBackground);
    page.TotalSumm = FormatDuration(sums.TotalActive + sums.TotalBackground);
    page.TodayAct = FormatDuration(sums.DayActive);
    page.TodayBack = FormatDuration(sums.DayBackground);
    page.TodaySumm = FormatDuration(sums.DayActive + sums.DayBackground);
    return page;
}

} // namespace

TextStat FillTextStat(
    const StatObject& object, const StatSelection& selection, TDateTime statDate, TDateTime now, RunLogSink& log)
{
    log.WriteLine(0, "FillTextStat");
    TextStat page;
    if (const TMyTimer* timer = StatTimer(object)) {
        log.WriteLine(0, "FStatObject timer=" + timer->Name);
        page = TimerTextStat(*timer, selection.SelectedTimers, statDate, now);
    } else if (StatProject(object)) {
        log.WriteLine(0, "FStatObject prj");
        // The projects list's selected row, which keyboard moves can change
        // without a new object.
        page = ProjectTextStat(selection.SelectedProject, selection.ListTimers, statDate, now);
    } else {
        return ClearTextStat();
    }
    page.OnDate = DayText(statDate, now);
    return page;
}

std::string FillCaptInfo(const StatObject& object, std::size_t selectedTimers, RunLogSink& log)
{
    log.WriteLine(0, "FillCaptInfo");
    if (const TMyTimer* timer = StatTimer(object)) {
        if (selectedTimers >= 2) {
            return "  Statistic on selected timers (" + std::to_string(selectedTimers) + " timers selected)";
        }
        return "  Statistic on timer: " + timer->Name;
    }
    if (const TTimeProject* project = StatProject(object)) {
        return "  Statistic on project: " + project->Name;
    }
    return "  Work time statistic";
}

} // namespace tally
