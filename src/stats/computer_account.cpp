#include "stats/computer_account.h"

#include <algorithm>

namespace tally {

namespace {

using Interval = ComputerAccount::Interval;
using Overlap = ComputerAccount::Overlap;

const PeriodList& ListOf(const TMyTimer& timer, PeriodKind kind)
{
    return kind == PeriodKind::Active ? timer.ActivePeriods : timer.BackgroundPeriods;
}

// The open period, when there is one.
bool OpenInterval(const TMyTimer& timer, PeriodKind kind, Interval& open)
{
    const bool active = kind == PeriodKind::Active;
    open = {active ? timer.ActiveStart : timer.BackgroundStart, active ? timer.ActiveLast : timer.BackgroundLast};
    return open.Start != kNoPeriod && open.Stop > open.Start;
}

void AddIntervals(const TMyTimer& timer, PeriodKind kind, std::vector<Interval>& out)
{
    for (const TWorkPeriod& period : ListOf(timer, kind)) {
        if (period.Stop > period.Start) {
            out.push_back({period.Start, period.Stop});
        }
    }
    Interval open {};
    if (OpenInterval(timer, kind, open)) {
        out.push_back(open);
    }
}

// The part of one stretch that the union (sorted, disjoint) covers.
TDateTime Covered(const std::vector<Interval>& under, Interval stretch)
{
    auto it
        = std::partition_point(under.begin(), under.end(), [&](const Interval& u) { return u.Stop <= stretch.Start; });
    TDateTime sum = 0.0;
    for (; it != under.end() && it->Start < stretch.Stop; ++it) {
        sum += std::min(it->Stop, stretch.Stop) - std::max(it->Start, stretch.Start);
    }
    return sum;
}

// Adds stretches in start order to a union, keeping it sorted and
// disjoint: one merging walk that joins touching stretches as it goes.
template <typename It>
void Unite(std::vector<Interval>& under, It first, It last)
{
    std::vector<Interval> both;
    both.reserve(under.size() + static_cast<std::size_t>(std::distance(first, last)));
    const auto push = [&](TDateTime start, TDateTime stop) {
        if (!both.empty() && start <= both.back().Stop) {
            both.back().Stop = std::max(both.back().Stop, stop);
        } else {
            both.push_back({start, stop});
        }
    };
    std::size_t a = 0;
    while (a < under.size() || first != last) {
        if (first == last || (a < under.size() && under[a].Start < first->Start)) {
            push(under[a].Start, under[a].Stop);
            ++a;
        } else {
            push(first->Start, first->Stop);
            ++first;
        }
    }
    both.shrink_to_fit();
    under = std::move(both);
}

// Adds to the overlap what of each stretch (in start order) the union
// already covers. One walk over both; the day's sum is kept until the day
// changes, so millions of stretches cost no map look-ups.
template <typename It>
void AddCovered(Overlap& overlap, std::size_t computer, It first, It last)
{
    const std::vector<Interval>& under = overlap.Union;
    std::size_t from = 0;
    std::int64_t day = 0;
    TDateTime daySum = 0.0;
    const auto flush = [&] {
        if (daySum > 0.0) {
            overlap.ByComputerDay[{computer, day}] += daySum;
            overlap.ByDay[day] += daySum;
            overlap.Total += daySum;
        }
        daySum = 0.0;
    };
    for (; first != last; ++first) {
        const TDateTime start = first->Start;
        const TDateTime stop = first->Stop;
        while (from < under.size() && under[from].Stop <= start) {
            ++from;
        }
        TDateTime covered = 0.0;
        for (std::size_t k = from; k < under.size() && under[k].Start < stop; ++k) {
            covered += std::min(under[k].Stop, stop) - std::max(under[k].Start, start);
        }
        if (covered > 0.0) {
            const std::int64_t stretchDay = DayOf(start);
            if (stretchDay != day) {
                flush();
                day = stretchDay;
            }
            daySum += covered;
        }
    }
    flush();
}

// Members are in computer order; a stretch counts as overlap for the later
// of two computers. Timers of one name on one computer add up as they do
// in that computer's own window.
template <typename Members>
Overlap OverlapOf(const Members& members, PeriodKind kind)
{
    Overlap overlap;
    const auto byStart = [](const auto& x, const auto& y) { return x.Start < y.Start; };
    for (std::size_t i = 0; i < members.size();) {
        const std::size_t computer = members[i].Computer;
        std::size_t end = i;
        while (end < members.size() && members[end].Computer == computer) {
            ++end;
        }
        Interval open {};
        const PeriodList& list = ListOf(*members[i].Timer, kind);
        if (end == i + 1 && !OpenInterval(*members[i].Timer, kind, open)
            && std::is_sorted(list.begin(), list.end(), byStart)) {
            // The usual case, one timer whose list is in start order: read
            // in place, no copy of millions of periods.
            AddCovered(overlap, computer, list.begin(), list.end());
            Unite(overlap.Union, list.begin(), list.end());
        } else {
            std::vector<Interval> mine;
            for (std::size_t j = i; j < end; ++j) {
                AddIntervals(*members[j].Timer, kind, mine);
            }
            std::sort(mine.begin(), mine.end(), byStart);
            AddCovered(overlap, computer, mine.begin(), mine.end());
            Unite(overlap.Union, mine.begin(), mine.end());
        }
        i = end;
    }
    return overlap;
}

TDateTime Lookup(const std::unordered_map<std::int64_t, TDateTime>& byDay, std::int64_t day)
{
    const auto found = byDay.find(day);
    return found == byDay.end() ? 0.0 : found->second;
}

void Subtract(StatSums& sums, const StatSums& less)
{
    sums.DayActive -= less.DayActive;
    sums.DayBackground -= less.DayBackground;
    sums.TotalActive -= less.TotalActive;
    sums.TotalBackground -= less.TotalBackground;
}

void Add(StatSums& sums, const StatSums& more)
{
    sums.DayActive += more.DayActive;
    sums.DayBackground += more.DayBackground;
    sums.TotalActive += more.TotalActive;
    sums.TotalBackground += more.TotalBackground;
}

} // namespace

std::string ProjectNameOf(const TimeModel& model, const TMyTimer& timer)
{
    const TTimeProject* project = model.Projects.FindById(timer.ProjectId);
    return project ? project->Name : std::string();
}

ComputerAccount::ComputerAccount(ComputerModel own, std::vector<ComputerModel> others)
{
    m_computers.push_back(std::move(own));
    for (ComputerModel& other : others) {
        m_computers.push_back(std::move(other));
    }
    for (std::size_t c = 1; c < m_computers.size(); ++c) {
        const TimeModel& model = *m_computers[c].Model;
        for (const TMyTimer& timer : model.Timers) {
            auto [at, added] = m_groupOf.try_emplace(timer.Name, m_groups.size());
            if (added) {
                m_groups.push_back({timer.Name, {}, {}, {}});
            }
            m_groups[at->second].Members.push_back({c, &timer, ProjectNameOf(model, timer)});
        }
    }
    for (Group& group : m_groups) {
        group.Active = OverlapOf(group.Members, PeriodKind::Active);
        group.Background = OverlapOf(group.Members, PeriodKind::Background);
    }
}

std::vector<ComputerAccount::Counted> ComputerAccount::Selection(const std::string* timerName,
                                                                 const std::string* projectName) const
{
    std::vector<Counted> out;
    std::unordered_map<std::string, std::size_t> at;
    auto consider = [&](const Group& group) {
        std::vector<Member> keep;
        for (const Member& member : group.Members) {
            if (!projectName || member.Project == *projectName) {
                keep.push_back(member);
            }
        }
        if (keep.empty()) {
            return;
        }
        Counted counted;
        if (keep.size() == group.Members.size()) {
            counted.Others = &group;
        } else {
            counted.Partial.Name = group.Name;
            counted.Partial.Members = std::move(keep);
            counted.Partial.Active = OverlapOf(counted.Partial.Members, PeriodKind::Active);
            counted.Partial.Background = OverlapOf(counted.Partial.Members, PeriodKind::Background);
        }
        at[group.Name] = out.size();
        out.push_back(std::move(counted));
    };
    if (timerName) {
        if (const auto found = m_groupOf.find(*timerName); found != m_groupOf.end()) {
            consider(m_groups[found->second]);
        }
    } else {
        for (const Group& group : m_groups) {
            consider(group);
        }
    }
    if (HasOwn()) {
        const TimeModel& own = *m_computers[0].Model;
        for (const TMyTimer& timer : own.Timers) {
            if (timerName && timer.Name != *timerName) {
                continue;
            }
            std::string project = ProjectNameOf(own, timer);
            if (projectName && project != *projectName) {
                continue;
            }
            auto [found, added] = at.try_emplace(timer.Name, out.size());
            if (added) {
                out.emplace_back();
                out.back().Partial.Name = timer.Name;
            }
            out[found->second].Own.push_back({0, &timer, std::move(project)});
        }
    }
    return out;
}

ComputerAccount::OwnOverlap ComputerAccount::OwnOverlapOf(
    const Overlap& others, const TMyTimer& timer, PeriodKind kind, bool cacheable, TDateTime now) const
{
    OwnOverlap result;
    if (others.Union.empty()) {
        return result;
    }
    const PeriodList& list = ListOf(timer, kind);
    const TDateTime lastStop = list.Empty() ? 0.0 : list.Last().Stop;
    OwnCache fresh;
    OwnCache* cache = &fresh;
    if (cacheable) {
        cache = &m_ownCache[{&timer, &others}];
    }
    // Periods are only ever appended while the program counts; any other
    // change (an edit in the time log) shows in the count or the last stop.
    if (cache->Count > list.Count()
        || (cache->Count > 0 && cache->Count == list.Count() && cache->LastStop != lastStop)) {
        *cache = {};
    }
    for (std::size_t i = cache->Count; i < list.Count(); ++i) {
        const TWorkPeriod& period = list[i];
        if (period.Stop > period.Start) {
            const TDateTime covered = Covered(others.Union, {period.Start, period.Stop});
            if (covered > 0.0) {
                cache->Closed.ByDay[DayOf(period.Start)] += covered;
                cache->Closed.Total += covered;
            }
        }
    }
    cache->Count = list.Count();
    cache->LastStop = lastStop;
    result = cache->Closed;
    Interval open {};
    if (OpenInterval(timer, kind, open)) {
        // The open period counts on today, as in the window's own figures.
        const TDateTime covered = Covered(others.Union, open);
        result.ByDay[DayOf(now)] += covered;
        result.Total += covered;
    }
    return result;
}

MergedFigures ComputerAccount::Figures(const std::vector<Counted>& counted, TDateTime day, TDateTime now) const
{
    MergedFigures figures;
    std::vector<StatSums> perComputer(m_computers.size());
    std::vector<bool> has(m_computers.size(), false);
    const std::int64_t dayKey = DayOf(day);
    for (const Counted& item : counted) {
        const Group& group = item.Others ? *item.Others : item.Partial;
        for (const Member& member : group.Members) {
            AddTimerSums(perComputer[member.Computer], *member.Timer, day, now);
            has[member.Computer] = true;
        }
        figures.Overlap.DayActive += Lookup(group.Active.ByDay, dayKey);
        figures.Overlap.DayBackground += Lookup(group.Background.ByDay, dayKey);
        figures.Overlap.TotalActive += group.Active.Total;
        figures.Overlap.TotalBackground += group.Background.Total;
        for (const Member& member : item.Own) {
            AddTimerSums(perComputer[0], *member.Timer, day, now);
            has[0] = true;
            const bool cacheable = item.Others != nullptr;
            const OwnOverlap active = OwnOverlapOf(group.Active, *member.Timer, PeriodKind::Active, cacheable, now);
            const OwnOverlap background
                = OwnOverlapOf(group.Background, *member.Timer, PeriodKind::Background, cacheable, now);
            figures.Overlap.DayActive += Lookup(active.ByDay, dayKey);
            figures.Overlap.DayBackground += Lookup(background.ByDay, dayKey);
            figures.Overlap.TotalActive += active.Total;
            figures.Overlap.TotalBackground += background.Total;
        }
    }
    for (std::size_t c = 0; c < m_computers.size(); ++c) {
        if (has[c]) {
            Add(figures.Sums, perComputer[c]);
            figures.Shares.push_back({c, perComputer[c]});
        }
    }
    Subtract(figures.Sums, figures.Overlap);
    return figures;
}

MergedFigures ComputerAccount::TimerFigures(std::string_view timerName, TDateTime day, TDateTime now) const
{
    const std::string name(timerName);
    return Figures(Selection(&name, nullptr), day, now);
}

MergedFigures ComputerAccount::ProjectFigures(std::string_view projectName, TDateTime day, TDateTime now) const
{
    const std::string name(projectName);
    return Figures(Selection(nullptr, &name), day, now);
}

std::vector<DayFigure> ComputerAccount::Days(const std::vector<Counted>& counted, DayRange range, TDateTime now) const
{
    std::map<std::int64_t, DayFigure> days;
    auto add = [&](const TMyTimer& timer) {
        for (const DayFigure& figure : TimerDayFigures(timer, range, now)) {
            DayFigure& sum = days[figure.Day];
            sum.Day = figure.Day;
            sum.Active += figure.Active;
            sum.Background += figure.Background;
        }
    };
    auto less = [&](const std::unordered_map<std::int64_t, TDateTime>& byDay, bool active) {
        for (const auto& [day, amount] : byDay) {
            if (range.Holds(day)) {
                (active ? days[day].Active : days[day].Background) -= amount;
            }
        }
    };
    for (const Counted& item : counted) {
        const Group& group = item.Others ? *item.Others : item.Partial;
        for (const Member& member : group.Members) {
            add(*member.Timer);
        }
        less(group.Active.ByDay, true);
        less(group.Background.ByDay, false);
        for (const Member& member : item.Own) {
            add(*member.Timer);
            const bool cacheable = item.Others != nullptr;
            less(OwnOverlapOf(group.Active, *member.Timer, PeriodKind::Active, cacheable, now).ByDay, true);
            less(OwnOverlapOf(group.Background, *member.Timer, PeriodKind::Background, cacheable, now).ByDay, false);
        }
    }
    std::vector<DayFigure> out;
    for (const auto& [day, figure] : days) {
        out.push_back(figure);
    }
    return out;
}

std::vector<DayFigure> ComputerAccount::TimerDays(std::string_view timerName, DayRange range, TDateTime now) const
{
    const std::string name(timerName);
    return Days(Selection(&name, nullptr), range, now);
}

std::vector<DayFigure> ComputerAccount::ProjectDays(std::string_view projectName, DayRange range, TDateTime now) const
{
    const std::string name(projectName);
    return Days(Selection(nullptr, &name), range, now);
}

std::vector<ComputerPeriod> ComputerAccount::TimerPeriods(std::string_view timerName) const
{
    const std::string name(timerName);
    std::vector<ComputerPeriod> out;
    for (const Counted& item : Selection(&name, nullptr)) {
        const Group& group = item.Others ? *item.Others : item.Partial;
        auto add = [&](const Member& member, bool readOnly) {
            for (const PeriodKind kind : {PeriodKind::Active, PeriodKind::Background}) {
                for (const TWorkPeriod& period : ListOf(*member.Timer, kind)) {
                    out.push_back({member.Computer, member.Timer, &period, kind, readOnly});
                }
            }
        };
        for (const Member& member : item.Own) {
            add(member, false);
        }
        for (const Member& member : group.Members) {
            add(member, true);
        }
    }
    return out;
}

std::vector<ComputerDayRow>
ComputerAccount::DayRows(DayRange range, TDateTime now, const std::string* projectName) const
{
    struct Key
    {
        std::int64_t Day;
        std::size_t Order;
        std::size_t Computer;
        auto operator<=>(const Key&) const = default;
    };
    std::map<Key, ComputerDayRow> rows;
    const std::vector<Counted> counted = Selection(nullptr, projectName);
    for (std::size_t order = 0; order < counted.size(); ++order) {
        const Counted& item = counted[order];
        const Group& group = item.Others ? *item.Others : item.Partial;
        auto add = [&](const Member& member) {
            for (const DayFigure& figure : TimerDayFigures(*member.Timer, range, now)) {
                auto [at, added] = rows.try_emplace({figure.Day, order, member.Computer});
                ComputerDayRow& row = at->second;
                if (added) {
                    row.Day = figure.Day;
                    row.Timer = member.Timer->Name;
                    row.Project = member.Project;
                    row.Computer = member.Computer;
                }
                row.Active += figure.Active;
                row.Background += figure.Background;
            }
        };
        for (const Member& member : item.Own) {
            add(member);
        }
        for (const Member& member : group.Members) {
            add(member);
        }
        for (const auto& [at, amount] : group.Active.ByComputerDay) {
            if (const auto row = rows.find({at.second, order, at.first}); row != rows.end()) {
                row->second.Active -= amount;
                row->second.OverlapActive += amount;
            }
        }
        for (const auto& [at, amount] : group.Background.ByComputerDay) {
            if (const auto row = rows.find({at.second, order, at.first}); row != rows.end()) {
                row->second.Background -= amount;
                row->second.OverlapBackground += amount;
            }
        }
        for (const Member& member : item.Own) {
            for (const PeriodKind kind : {PeriodKind::Active, PeriodKind::Background}) {
                const bool active = kind == PeriodKind::Active;
                const OwnOverlap overlap
                    = OwnOverlapOf(active ? group.Active : group.Background, *member.Timer, kind, false, now);
                for (const auto& [day, amount] : overlap.ByDay) {
                    if (const auto row = rows.find({day, order, 0}); row != rows.end()) {
                        (active ? row->second.Active : row->second.Background) -= amount;
                        (active ? row->second.OverlapActive : row->second.OverlapBackground) += amount;
                    }
                }
            }
        }
    }
    std::vector<ComputerDayRow> out;
    for (auto& [key, row] : rows) {
        out.push_back(std::move(row));
    }
    return out;
}

} // namespace tally
