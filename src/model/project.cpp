#include "model/project.h"

#include <algorithm>

namespace tally {

TTimeProject& ProjectList::Create()
{
    return Add(std::make_unique<TTimeProject>());
}

TTimeProject& ProjectList::Add(std::unique_ptr<TTimeProject> project)
{
    m_items.push_back(std::move(project));
    return *m_items.back();
}

bool ProjectList::Delete(const TTimeProject* project)
{
    auto it = std::find_if(m_items.begin(), m_items.end(), [project](const auto& p) { return p.get() == project; });
    if (it == m_items.end()) {
        return false;
    }
    m_items.erase(it);
    return true;
}

TTimeProject* ProjectList::FindById(std::int32_t id)
{
    for (auto& p : m_items) {
        if (p->Id == id) {
            return p.get();
        }
    }
    return nullptr;
}

const TTimeProject* ProjectList::FindById(std::int32_t id) const
{
    return const_cast<ProjectList*>(this)->FindById(id);
}

std::ptrdiff_t ProjectList::IndexOf(const TTimeProject* project) const
{
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].get() == project) {
            return static_cast<std::ptrdiff_t>(i);
        }
    }
    return -1;
}

} // namespace tally
