#include "model/timer_list.h"

#include <algorithm>

namespace tally {

TMyTimer& TimerList::Create()
{
    return Add(std::make_unique<TMyTimer>());
}

TMyTimer& TimerList::Add(std::unique_ptr<TMyTimer> timer)
{
    m_items.push_back(std::move(timer));
    return *m_items.back();
}

bool TimerList::Delete(const TMyTimer* timer)
{
    const std::ptrdiff_t index = IndexOf(timer);
    if (index < 0) {
        return false;
    }
    DeleteAt(static_cast<std::size_t>(index));
    return true;
}

void TimerList::DeleteAt(std::size_t index)
{
    m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(index));
}

std::ptrdiff_t TimerList::IndexOf(const TMyTimer* timer) const
{
    const auto it = std::find_if(m_items.begin(), m_items.end(), [timer](const auto& p) { return p.get() == timer; });
    return it == m_items.end() ? -1 : it - m_items.begin();
}

} // namespace tally
