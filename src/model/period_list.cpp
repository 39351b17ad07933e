#include "model/period_list.h"

#include <algorithm>
#include <functional>

namespace tally {

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
    return removed;
}

} // namespace tally
