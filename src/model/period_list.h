#pragma once

#include "platform/clock.h"

#include <cstddef>
#include <deque>
#include <vector>

namespace tally {

// One work period: the instant of its first and of its last increment.
struct TWorkPeriod
{
    TDateTime Start = 0.0;
    TDateTime Stop = 0.0;
};

// The closed periods of one kind, in closing order.
//
// Heavy users collect millions of periods, so they are stored by value in
// blocks (16 bytes each plus a small share of a block map) instead of one
// allocation per record. Records never move when one is appended, and
// removing a record moves only the records after it, so a caller that holds
// a record can remove it by identity, and records before it stay where they
// are.
class PeriodList
{
public:
    using Storage = std::deque<TWorkPeriod>;
    using iterator = Storage::iterator;
    using const_iterator = Storage::const_iterator;

    void Add(TDateTime start, TDateTime stop) { m_items.push_back({start, stop}); }

    // Removes this very record (compared by address, not by value).
    // Returns false when the record does not belong to the list.
    bool Remove(const TWorkPeriod& record);
    // Removes several records by identity in one pass.
    std::size_t Remove(const std::vector<const TWorkPeriod*>& records);

    void Clear() { Storage().swap(m_items); }

    std::size_t Count() const { return m_items.size(); }
    bool Empty() const { return m_items.empty(); }
    const TWorkPeriod& operator[](std::size_t i) const { return m_items[i]; }
    TWorkPeriod& operator[](std::size_t i) { return m_items[i]; }
    const TWorkPeriod& Last() const { return m_items.back(); }

    iterator begin() { return m_items.begin(); }
    iterator end() { return m_items.end(); }
    const_iterator begin() const { return m_items.begin(); }
    const_iterator end() const { return m_items.end(); }

private:
    Storage m_items;
};

} // namespace tally
