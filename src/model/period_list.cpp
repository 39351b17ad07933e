#include "model/period_list.h"

#include "model/datetime.h"

#include <algorithm>
#include <functional>
#include <utility>

namespace tally {

PeriodList::PeriodList(PeriodList&& other) noexcept
    : m_items(std::move(other.m_items))
    , m_days(std::exchange(other.m_days, {}))
{ }

PeriodList& PeriodList::operator=(PeriodList&& other) noexcept
{
    m_items = std::move(other.m_items);
    m_days = std::exchange(other.m_days, {});
    return *this;
}

void PeriodList::Add(TDateTime start, TDateTime stop)
{
    m_items.push_back({start, stop});
    // Appending continues the walk where it ended, so the sum stays the
    // walk's to the last bit.
    if (m_days.Valid) {
        m_days.Sums[DayOf(start)] += stop - start;
    }
}

void PeriodList::Clear()
{
    Storage().swap(m_items);
    m_days = {};
}

TDateTime PeriodList::DaySum(std::int64_t day) const
{
    if (!m_days.Valid) {
        DaySums built {true, {}};
        // Records come nearly in day order: look a day up once per run of it.
        std::int64_t runDay = 0;
        TDateTime* run = nullptr;
        for (const TWorkPeriod& period : m_items) {
            const std::int64_t periodDay = DayOf(period.Start);
            if (!run || periodDay != runDay) {
                runDay = periodDay;
                run = &built.Sums[periodDay];
            }
            *run += period.Stop - period.Start;
        }
        m_days = std::move(built);
    }
    const auto found = m_days.Sums.find(day);
    return found == m_days.Sums.end() ? 0.0 : found->second;
}

bool PeriodList::Remove(const TWorkPeriod& record)
{
    // Walk from the newest record: edits nearly always concern recent days.
    for (std::size_t i = m_items.size(); i-- > 0;) {
        if (&m_items[i] == &record) {
            // Shift only the tail, so records before this one keep their place.
            std::move(m_items.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                      m_items.end(),
                      m_items.begin() + static_cast<std::ptrdiff_t>(i));
            m_items.pop_back();
            m_days = {};
            return true;
        }
    }
    return false;
}

std::size_t PeriodList::Remove(const std::vector<const TWorkPeriod*>& records)
{
    if (records.empty()) {
        return 0;
    }
    std::vector<const TWorkPeriod*> sorted(records);
    std::sort(sorted.begin(), sorted.end(), std::less<>());
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        const TWorkPeriod* address = &m_items[i];
        if (std::binary_search(sorted.begin(), sorted.end(), address, std::less<>())) {
            continue;
        }
        if (kept != i) {
            m_items[kept] = m_items[i];
        }
        ++kept;
    }
    const std::size_t removed = m_items.size() - kept;
    m_items.resize(kept);
    if (removed > 0) {
        m_days = {};
    }
    return removed;
}

} // namespace tally
