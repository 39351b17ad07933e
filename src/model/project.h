#pragma once

#include "model/datetime.h"
#include "model/money.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tally {

inline constexpr std::int32_t ShowAllId = -1;
inline constexpr std::int32_t NonProjectId = 0;

// Colours are 0x00BBGGRR, or 0xFF000000 plus a system colour index.
inline constexpr std::uint32_t kActiveCaptionColor = 0xFF000002;

// A group of timers. Timers name their project by Id; a project knows nothing
// of its timers.
class TTimeProject
{
public:
    std::int32_t Id = 0;
    std::string Name;
    std::string Description;
    std::uint32_t Color = 0;
    TDateTime CreationDate = 0.0;
    TDateTime StartDate = 0.0;
    TDateTime EndDate = 0.0;
    // Carried from the data file back to it untouched; new projects hold 0.
    Money ReservedAmount;
    Money TotalPrice;
};

// All real projects in creation (and load) order; owns them.
class ProjectList
{
public:
    TTimeProject& Create();
    TTimeProject& Add(std::unique_ptr<TTimeProject> project);
    // Destroys the project; false when it is not in the list.
    bool Delete(const TTimeProject* project);
    void Clear() { m_items.clear(); }

    // The project with the id, or null.
    TTimeProject* FindById(std::int32_t id);
    const TTimeProject* FindById(std::int32_t id) const;
    std::ptrdiff_t IndexOf(const TTimeProject* project) const;

    std::size_t Count() const { return m_items.size(); }
    bool Empty() const { return m_items.empty(); }
    TTimeProject& operator[](std::size_t i) { return *m_items[i]; }
    const TTimeProject& operator[](std::size_t i) const { return *m_items[i]; }

private:
    std::vector<std::unique_ptr<TTimeProject>> m_items;
};

} // namespace tally
