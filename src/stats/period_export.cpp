#include "stats/period_export.h"

#include "stats/csv_text.h"

#include <array>
#include <string_view>

namespace tally {

namespace {

void CsvRows(std::string& out,
             const std::string& timer,
             const std::string& project,
             const PeriodList& periods,
             std::string_view kind,
             DayRange range)
{
    for (const TWorkPeriod& period : periods) {
        if (!range.Holds(DayOf(period.Start))) {
            continue;
        }
        out += timer;
        out += ',';
        out += project;
        out += ',';
        out += kind;
        out += ',';
        out += IsoLocalTime(period.Start).value_or("");
        out += ',';
        out += IsoLocalTime(period.Stop).value_or("");
        out += ',';
        out += DurationSecondsText(period.Stop - period.Start);
        out += "\r\n";
    }
}

} // namespace

std::string
WorkPeriodsCsv(std::span<const TMyTimer* const> timers, const ProjectList& projects, DayRange range, CsvNames names)
{
    const auto field = names == CsvNames::SpreadsheetSafe ? SpreadsheetField : CsvField;
    std::string out = "timer,project,kind,start,stop,duration_seconds\r\n";
    for (const TMyTimer* timer : timers) {
        if (!timer) {
            continue;
        }
        const TTimeProject* project = projects.FindById(timer->ProjectId);
        const std::string name = field(timer->Name);
        const std::string projectName = project ? field(project->Name) : std::string();
        CsvRows(out, name, projectName, timer->ActivePeriods, "active", range);
        CsvRows(out, name, projectName, timer->BackgroundPeriods, "background", range);
    }
    return out;
}

std::vector<const TMyTimer*>
StatObjectTimers(const StatObject& object, std::span<TMyTimer* const> selected, const TimerList& timers)
{
    if (const TMyTimer* timer = StatTimer(object)) {
        if (selected.empty()) {
            return {timer};
        }
        return {selected.begin(), selected.end()};
    }
    if (const TTimeProject* project = StatProject(object)) {
        const std::array<std::int32_t, 1> ids {project->Id};
        return TimersOfProjects(timers, ids);
    }
    return {};
}

std::string ExportStatPeriods(const StatObject& object,
                              std::span<TMyTimer* const> selected,
                              const TimeModel& model,
                              TDateTime statDate,
                              TDateTime statEnd,
                              bool histogramShown)
{
    const std::vector<const TMyTimer*> timers = StatObjectTimers(object, selected, model.Timers);
    const DayRange days {DayOf(statDate), DayOf(histogramShown ? statEnd : statDate)};
    return WorkPeriodsCsv(timers, model.Projects, days, CsvNames::SpreadsheetSafe);
}

} // namespace tally
