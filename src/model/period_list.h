#pragma once

#include "model/datetime.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <unordered_map>
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
//
// Records are changed only through Add, Remove and Clear, so the list can
// keep the sum of every day's periods: the timer list repaints today's
// figures every second while the statistics window refreshes another day's,
// and a walk over millions of records each time costs more than the rest.
class PeriodList
{
public:
    using Storage = std::deque<TWorkPeriod>;
    using const_iterator = Storage::const_iterator;

    PeriodList() = default;
    PeriodList(const PeriodList&) = default;
    PeriodList& operator=(const PeriodList&) = default;
    PeriodList(PeriodList&& other) noexcept;
    PeriodList& operator=(PeriodList&& other) noexcept;

    void Add(TDateTime start, TDateTime stop);

    // Removes this very record (compared by address, not by value).
    // Returns false when the record does not belong to the list.
    bool Remove(const TWorkPeriod& record);
    // Removes several records by identity in one pass.
    std::size_t Remove(const std::vector<const TWorkPeriod*>& records);

    void Clear();

    std::size_t Count() const { return m_items.size(); }
    bool Empty() const { return m_items.empty(); }
    const TWorkPeriod& operator[](std::size_t i) const { return m_items[i]; }
    const TWorkPeriod& Last() const { return m_items.back(); }

    const_iterator begin() const { return m_items.begin(); }
    const_iterator end() const { return m_items.end(); }

    // Stop - Start summed in list order over the records that began on `day`
    // (a DayOf value): the same figure as a walk over the list.
    TDateTime DaySum(std::int64_t day) const;

private:
    // Built by one walk on first use, extended by Add, dropped by Remove and
    // Clear. Each day's sum adds its records in list order from zero, as the
    // walk does, so the figure is the walk's to the last bit.
    struct DaySums
    {
        bool Valid = false;
        std::unordered_map<std::int64_t, TDateTime> Sums;
    };

    Storage m_items;
    mutable DaySums m_days;
};

} // namespace tally
