#include "view/all_computers.h"

#include "model/duration.h"
#include "stats/stat_dates.h"
#include "stats/time_log.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

namespace tally {

namespace {

void Add(StatSums& to, const StatSums& from)
{
    to.DayActive += from.DayActive;
    to.DayBackground += from.DayBackground;
    to.TotalActive += from.TotalActive;
    to.TotalBackground += from.TotalBackground;
}

void Add(MergedFigures& to, const MergedFigures& from)
{
    Add(to.Sums, from.Sums);
    Add(to.Overlap, from.Overlap);
    for (const ComputerShare& share : from.Shares) {
        auto same = std::find_if(
            to.Shares.begin(), to.Shares.end(), [&](const ComputerShare& s) { return s.Computer == share.Computer; });
        if (same == to.Shares.end()) {
            to.Shares.push_back(share);
        } else {
            Add(same->Sums, share.Sums);
        }
    }
    std::sort(to.Shares.begin(), to.Shares.end(), [](const ComputerShare& a, const ComputerShare& b) {
        return a.Computer < b.Computer;
    });
}

TDateTime Total(const StatSums& sums)
{
    return sums.TotalActive + sums.TotalBackground;
}

std::string ComputerName(const ComputerAccount& account, std::size_t computer)
{
    std::string name = account.Computers()[computer].Name;
    if (computer == 0 && account.HasOwn()) {
        name += kThisComputerMark;
    }
    return name;
}

} // namespace

bool AllComputersOffered(const SharingSettings& sharing)
{
    return !sharing.Folder.empty();
}

bool AllComputersShown(const SharingSettings& sharing)
{
    return AllComputersOffered(sharing) && sharing.AllComputers;
}

std::vector<std::string> ComputerLines(const MergedFigures& figures, const ComputerAccount& account)
{
    TDateTime all = 0.0;
    for (const ComputerShare& share : figures.Shares) {
        all += Total(share.Sums);
    }
    std::vector<std::string> lines;
    for (const ComputerShare& share : figures.Shares) {
        const TDateTime own = Total(share.Sums);
        const long percent = all > 0.0 ? std::lround(own / all * 100.0) : 0;
        lines.push_back(ComputerName(account, share.Computer) + ": " + FormatDuration(own) + " ("
                        + std::to_string(percent) + "%)");
    }
    const TDateTime overlap = Total(figures.Overlap);
    if (overlap > 0.0) {
        lines.push_back("Ran on two computers at once: " + FormatDuration(overlap) + ", counted once");
    }
    return lines;
}

AllComputersText MergedTextStat(const StatObject& object,
                                const StatSelection& selection,
                                const ComputerAccount& account,
                                TDateTime statDate,
                                TDateTime now)
{
    AllComputersText text;
    MergedFigures figures;
    if (const TMyTimer* timer = StatTimer(object)) {
        std::set<std::string> names;
        for (const TMyTimer* selected : selection.SelectedTimers) {
            if (selected && names.insert(selected->Name).second) {
                Add(figures, account.TimerFigures(selected->Name, statDate, now));
            }
        }
        text.Page.Creation.reset();
        if (!selection.SelectedTimers.empty()) {
            text.Page.Creation
                = selection.SelectedTimers.size() == 1 ? FormatShortDate(timer->CreationDate) : std::string(kNoValue);
        }
        const StatSums& s = figures.Sums;
        text.Page.TotalAct = FormatDuration(s.TotalActive);
        text.Page.TotalBack = BackgroundText(*timer, FormatDuration(s.TotalBackground));
        text.Page.TodayAct = FormatDuration(s.DayActive);
        text.Page.TodayBack = BackgroundText(*timer, FormatDuration(s.DayBackground));
    } else if (StatProject(object)) {
        text.Page.Creation.reset();
        if (const TTimeProject* project = selection.SelectedProject) {
            figures = account.ProjectFigures(project->Name, statDate, now);
            text.Page.Creation = FormatShortDate(project->CreationDate);
        }
        const StatSums& s = figures.Sums;
        text.Page.TotalAct = FormatDuration(s.TotalActive);
        text.Page.TotalBack = FormatDuration(s.TotalBackground);
        text.Page.TodayAct = FormatDuration(s.DayActive);
        text.Page.TodayBack = FormatDuration(s.DayBackground);
    } else {
        return text;
    }
    const StatSums& s = figures.Sums;
    text.Page.TotalSumm = FormatDuration(s.TotalActive + s.TotalBackground);
    text.Page.TodaySumm = FormatDuration(s.DayActive + s.DayBackground);
    text.Page.OnDate = DayText(statDate, now);
    text.Lines = ComputerLines(figures, account);
    return text;
}

ComputerLogPage MergedLog(const StatObject& object, const ComputerAccount& account, TDateTime statDate, TDateTime now)
{
    const TMyTimer* timer = StatTimer(object);
    if (!timer) {
        return {};
    }
    ComputerLogPage page;
    page.Title = LogTitle(statDate, now);
    const std::int64_t wanted = DayOf(statDate);
    for (const ComputerPeriod& period : account.TimerPeriods(timer->Name)) {
        if (period.Kind != PeriodKind::Active || DayOf(period.Period->Start) != wanted) {
            continue;
        }
        ComputerLogRow row;
        row.Row.Period = period.Period;
        row.Row.StartText = FormatLongTime(period.Period->Start);
        row.Row.StopText = FormatLongTime(period.Period->Stop);
        row.Row.DurationText = FormatLongTime(period.Period->Stop - period.Period->Start);
        row.Computer = ComputerName(account, period.Computer);
        row.ReadOnly = period.ReadOnly;
        page.Rows.push_back(std::move(row));
    }
    std::stable_sort(page.Rows.begin(), page.Rows.end(), [](const ComputerLogRow& a, const ComputerLogRow& b) {
        return a.Row.Period->Start < b.Row.Period->Start;
    });
    return page;
}

bool DeleteAllowed(const std::vector<bool>& selectedReadOnly)
{
    return std::none_of(selectedReadOnly.begin(), selectedReadOnly.end(), [](bool readOnly) { return readOnly; });
}

void MergeChart(HistogramChart& chart, const StatObject& object, const ComputerAccount& account, TDateTime now)
{
    if (chart.Series.empty()) {
        return;
    }
    const std::int64_t first = DayOf(chart.FirstDay);
    const DayRange range {first, DayOf(now)};
    const bool byTimer = StatTimer(object) != nullptr;
    for (ChartSeries& series : chart.Series) {
        const std::vector<DayFigure> days
            = byTimer ? account.TimerDays(series.Title, range, now) : account.ProjectDays(series.Title, range, now);
        series.Points.clear();
        for (const DayFigure& day : days) {
            if (day.Active != 0.0) {
                series.Points.push_back({static_cast<TDateTime>(day.Day),
                                         DurationInUnit(day.Active, chart.Options.Unit),
                                         FormatDuration(day.Active)});
            }
        }
    }
}

} // namespace tally
