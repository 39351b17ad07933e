#pragma once

#include "model/timer.h"

#include <cstddef>
#include <iterator>
#include <memory>
#include <vector>

namespace tally {

// All timers, in creation and load order; owns them.
class TimerList
{
public:
    using Storage = std::vector<std::unique_ptr<TMyTimer>>;

    // Appends a new timer and returns it.
    TMyTimer& Create();
    TMyTimer& Add(std::unique_ptr<TMyTimer> timer);

    // Destroys the timer; false when it is not in the list.
    bool Delete(const TMyTimer* timer);
    void DeleteAt(std::size_t index);
    void Clear() { m_items.clear(); }

    // Index of the timer, or -1.
    std::ptrdiff_t IndexOf(const TMyTimer* timer) const;

    std::size_t Count() const { return m_items.size(); }
    bool Empty() const { return m_items.empty(); }
    TMyTimer& operator[](std::size_t i) { return *m_items[i]; }
    const TMyTimer& operator[](std::size_t i) const { return *m_items[i]; }

    // Iterates the timers themselves, not their owning pointers.
    template <typename Base, typename Value>
    class Iter
    {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = TMyTimer;
        using difference_type = std::ptrdiff_t;
        using pointer = Value*;
        using reference = Value&;

        Iter() = default;
        explicit Iter(Base it)
            : m_it(it)
        { }
        reference operator*() const { return **m_it; }
        pointer operator->() const { return m_it->get(); }
        Iter& operator++()
        {
            ++m_it;
            return *this;
        }
        Iter operator++(int)
        {
            Iter old = *this;
            ++m_it;
            return old;
        }
        bool operator==(const Iter& other) const = default;

    private:
        Base m_it {};
    };
    using iterator = Iter<Storage::iterator, TMyTimer>;
    using const_iterator = Iter<Storage::const_iterator, const TMyTimer>;

    iterator begin() { return iterator(m_items.begin()); }
    iterator end() { return iterator(m_items.end()); }
    const_iterator begin() const { return const_iterator(m_items.begin()); }
    const_iterator end() const { return const_iterator(m_items.end()); }

private:
    Storage m_items;
};

} // namespace tally
