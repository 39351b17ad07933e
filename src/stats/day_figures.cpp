#include "stats/day_figures.h"

#include <algorithm>

namespace tally {

namespace {

// The distinct start days of the records in range. Records come nearly in
// day order, so a day is noted once per run of it.
void CollectDays(const PeriodList& periods, DayRange range, std::vector<std::int64_t>& days)
{
    bool inRun = false;
    std::int64_t runDay = 0;
    for (const TWorkPeriod& period : periods) {
        const std::int64_t day = DayOf(period.Start);
        if (inRun && day == runDay) {
            continue;
        }
        inRun = true;
        runDay = day;
        if (range.Holds(day)) {
            days.push_back(day);
        }
    }
}

} // namespace

std::vector<DayFigure> TimerDayFigures(const TMyTimer& timer, DayRange range, TDateTime now)
{
    std::vector<std::int64_t> days;
    CollectDays(timer.ActivePeriods, range, days);
    CollectDays(timer.BackgroundPeriods, range, days);
    // The running periods count on today, whenever they began.
    const bool running = timer.ActiveStart != kNoPeriod || timer.BackgroundStart != kNoPeriod;
    if (running && range.Holds(DayOf(now))) {
        days.push_back(DayOf(now));
    }
    std::sort(days.begin(), days.end());
    days.erase(std::unique(days.begin(), days.end()), days.end());

    std::vector<DayFigure> figures;
    figures.reserve(days.size());
    for (const std::int64_t day : days) {
        const auto at = static_cast<TDateTime>(day);
        DayFigure figure {day,
                          timer.TimeInRange(PeriodKind::Active, at, at, now),
                          timer.TimeInRange(PeriodKind::Background, at, at, now)};
        // Records of no length leave a day with nothing to show.
        if (figure.Active != 0.0 || figure.Background != 0.0) {
            figures.push_back(figure);
        }
    }
    return figures;
}

std::vector<DayReportRow>
DayReport(std::span<const TMyTimer* const> timers, const ProjectList& projects, DayRange range, TDateTime now)
{
    std::vector<DayReportRow> rows;
    for (const TMyTimer* timer : timers) {
        if (!timer) {
            continue;
        }
        const TTimeProject* project = projects.FindById(timer->ProjectId);
        for (const DayFigure& figure : TimerDayFigures(*timer, range, now)) {
            rows.push_back({figure.Day, timer, project, figure.Active, figure.Background});
        }
    }
    // Rows are in timer order already; a stable sort by day keeps it within a day.
    std::stable_sort(
        rows.begin(), rows.end(), [](const DayReportRow& a, const DayReportRow& b) { return a.Day < b.Day; });
    return rows;
}

std::vector<const TMyTimer*> TimersOfProjects(const TimerList& timers, std::span<const std::int32_t> projectIds)
{
    std::vector<const TMyTimer*> found;
    for (const TMyTimer& timer : timers) {
        if (std::find(projectIds.begin(), projectIds.end(), timer.ProjectId) != projectIds.end()) {
            found.push_back(&timer);
        }
    }
    return found;
}

} // namespace tally
