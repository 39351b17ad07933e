#pragma once

#include "model/time_model.h"
#include "stats/day_figures.h"
#include "stats/text_stat.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tally {

// One computer's timers as the account sees them.
struct ComputerModel
{
    std::string Name;
    const TimeModel* Model = nullptr;
};

// One computer's own figures within a merged sum, as its own window would
// show them.
struct ComputerShare
{
    std::size_t Computer = 0;
    StatSums Sums;
};

struct MergedFigures
{
    // Summed over the computers, a stretch that ran on several at once
    // counted once.
    StatSums Sums;
    // What the sums left out because it ran on two computers at once.
    StatSums Overlap;
    // The computers that have time in the sums, in computer order.
    std::vector<ComputerShare> Shares;
};

// A work period with the computer it ran on; another computer's periods are
// read only.
struct ComputerPeriod
{
    std::size_t Computer = 0;
    const TMyTimer* Timer = nullptr;
    const TWorkPeriod* Period = nullptr;
    PeriodKind Kind = PeriodKind::Active;
    bool ReadOnly = true;
};

// A line of the report over several computers: a computer's time of a timer
// on a day, less what an earlier computer of the list already counted, so
// that the lines of a day add up to the merged sum.
struct ComputerDayRow
{
    std::int64_t Day = 0;
    std::string Timer;
    // The timer's project on that computer; empty for none.
    std::string Project;
    std::size_t Computer = 0;
    TDateTime Active = 0.0;
    TDateTime Background = 0.0;
    // Left out of Active and Background: an earlier computer counted it.
    TDateTime OverlapActive = 0.0;
    TDateTime OverlapBackground = 0.0;
};

// The time of several computers as one account. Timers are the same timer
// when their names are equal, projects when their names are. Computer 0 may
// be this computer's live model (own): its figures are read at each query,
// while what the others hold, never changing under the account, is prepared
// once, so a refresh costs about what it costs on one computer.
class ComputerAccount
{
public:
    // own.Model may be null (the report reads files only).
    ComputerAccount(ComputerModel own, std::vector<ComputerModel> others);

    // Index 0 is own, then the others in the order given.
    const std::vector<ComputerModel>& Computers() const { return m_computers; }
    bool HasOwn() const { return m_computers[0].Model != nullptr; }

    // The text page's figures for the day: a timer's by its name, or a
    // project's (its timers on every computer) by the project's name.
    MergedFigures TimerFigures(std::string_view timerName, TDateTime day, TDateTime now) const;
    MergedFigures ProjectFigures(std::string_view projectName, TDateTime day, TDateTime now) const;

    // The histogram's days, as TimerDayFigures counts them, merged.
    std::vector<DayFigure> TimerDays(std::string_view timerName, DayRange range, TDateTime now) const;
    std::vector<DayFigure> ProjectDays(std::string_view projectName, DayRange range, TDateTime now) const;

    // The time log: every closed period of the timers of that name, each
    // with its computer; own periods are the only writable ones.
    std::vector<ComputerPeriod> TimerPeriods(std::string_view timerName) const;

    // The report: by day, then timer (first seen first), then computer;
    // only the timers of projects of that name when one is given.
    std::vector<ComputerDayRow> DayRows(DayRange range, TDateTime now, const std::string* projectName) const;

    struct Interval
    {
        TDateTime Start;
        TDateTime Stop;
    };
    // What ran on two computers at once, per kind.
    struct Overlap
    {
        // The union of every stretch of the other computers.
        std::vector<Interval> Union;
        // Keyed by (computer, day of the stretch's start); a stretch counts
        // as overlap for the later computer of the two.
        std::map<std::pair<std::size_t, std::int64_t>, TDateTime> ByComputerDay;
        std::unordered_map<std::int64_t, TDateTime> ByDay;
        TDateTime Total = 0.0;
    };

private:
    struct Member
    {
        std::size_t Computer = 0;
        const TMyTimer* Timer = nullptr;
        std::string Project;
    };
    // The other computers' timers of one name.
    struct Group
    {
        std::string Name;
        std::vector<Member> Members;
        Overlap Active;
        Overlap Background;
    };
    struct Counted
    {
        const Group* Others = nullptr;
        // Members of a project that holds only some of the group.
        Group Partial;
        std::vector<Member> Own;
    };

    std::vector<Counted> Selection(const std::string* timerName, const std::string* projectName) const;
    MergedFigures Figures(const std::vector<Counted>& counted, TDateTime day, TDateTime now) const;
    std::vector<DayFigure> Days(const std::vector<Counted>& counted, DayRange range, TDateTime now) const;
    std::vector<Member> OwnMembers(std::string_view timerName, const std::string* projectName) const;

    struct OwnOverlap
    {
        TDateTime Total = 0.0;
        std::unordered_map<std::int64_t, TDateTime> ByDay;
    };
    struct OwnCache
    {
        std::size_t Count = 0;
        TDateTime LastStop = 0.0;
        OwnOverlap Closed;
    };
    // How much of an own timer's time the others already count; the closed
    // periods' part is kept while the list only grows at its end.
    OwnOverlap
    OwnOverlapOf(const Overlap& others, const TMyTimer& timer, PeriodKind kind, bool cacheable, TDateTime now) const;

    std::vector<ComputerModel> m_computers;
    mutable std::map<std::pair<const TMyTimer*, const Overlap*>, OwnCache> m_ownCache;
    std::vector<Group> m_groups;
    std::unordered_map<std::string, std::size_t> m_groupOf;
};

// The project name of a timer in its model; empty for none.
std::string ProjectNameOf(const TimeModel& model, const TMyTimer& timer);

} // namespace tally
