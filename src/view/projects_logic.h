#pragma once

#include "model/money.h"
#include "model/project_ops.h"
#include "model/time_model.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tally {

// The fixed rows of the projects list; project rows follow them.
inline constexpr int kShowAllRow = 0;
inline constexpr int kNonProjectRow = 1;
inline constexpr int kSeparatorRow = 2;
inline constexpr int kFirstProjectRow = 3;

// In characters, as the name field counts them.
inline constexpr int kMaxProjectNameLength = 64;

enum class ProjectRowKind : std::uint8_t { ShowAll, NonProject, Separator, Project };

// One row of the projects list: what it shows and the id it stands for.
struct ProjectRow
{
    ProjectRowKind Kind = ProjectRowKind::Separator;
    std::string Caption;
    std::int32_t Id = 0;

    friend bool operator==(const ProjectRow&, const ProjectRow&) = default;
};

// "Show all timers", "Non project timers", the separator, then the projects
// in list order.
std::vector<ProjectRow> ProjectRows(const TimeModel& model);

inline bool IsProjectRow(int row)
{
    return row >= kFirstProjectRow;
}

// The row to select for a stored "SelectedIndex": below 0 means 0, at or past
// the end the last row, and the separator the "Non project timers" row.
int RowForSelectedIndex(int stored, std::size_t rowCount);

// A click selects the clicked row, except that the separator stands for
// "Non project timers".
int RowForClick(int row);

// The project id a drop on the row assigns, or nothing (no row, the separator).
std::optional<std::int32_t> DropTargetId(int row, const std::vector<ProjectRow>& rows);

// The project a row stands for, or null for the fixed rows and unknown rows.
const TTimeProject* ProjectOfRow(int row, const std::vector<ProjectRow>& rows, const ProjectList& projects);

struct ProjControlsState
{
    bool StartProject = false;
    bool StopProject = false;
    bool DeleteProject = false;
    bool Properties = false;

    friend bool operator==(const ProjControlsState&, const ProjControlsState&) = default;
};

// Start and stop need a project with timers; delete and properties any
// project row. selectedRow is -1 when nothing is selected.
ProjControlsState SetProjControlsState(int selectedRow, const std::vector<ProjectRow>& rows, const TimeModel& model);

// The name proposed for a new project: "New Project" and the count plus 1.
std::string ProposedProjectName(std::size_t projectCount);

// The price field: an empty (or blank) field is 0; text that does not read as
// a decimal number gives nothing, so the dialog can refuse it.
std::optional<Money> ReadPrice(const std::string& text, char decimalSeparator);
std::optional<Money> ReadPrice(const std::string& text);
std::string PriceText(Money price);

// Only digits can be typed into the price field; keys that type nothing
// (editing, moving, shortcuts) pass. text is what the key would type.
bool PriceKeyAccepted(const std::string& text);

// What the project dialog holds while it is open.
struct ProjectDialogState
{
    std::string Name;
    std::uint32_t Color = kActiveCaptionColor;
    std::string Description;
    TDateTime StartDate = 0.0;
    TDateTime EndDate = 0.0;
    std::string PriceText;
};

// A new project: the proposed name, the active-caption colour, all else empty.
ProjectDialogState NewProjectState(std::size_t projectCount);
// An existing project's values, the price as its shortest decimal text.
ProjectDialogState EditProjectState(const TTimeProject& project);
// The values to store, or nothing while the price does not read as a number.
std::optional<ProjectValues> AcceptedValues(const ProjectDialogState& state);

} // namespace tally
