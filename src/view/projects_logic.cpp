#include "view/projects_logic.h"

#include "model/one_line.h"

#include <algorithm>

namespace tally {

std::vector<ProjectRow> ProjectRows(const TimeModel& model)
{
    std::vector<ProjectRow> rows;
    rows.reserve(model.Projects.Count() + kFirstProjectRow);
    rows.push_back({ProjectRowKind::ShowAll, model.ShowAllPrj ? model.ShowAllPrj->Name : "Show all timers", ShowAllId});
    rows.push_back({ProjectRowKind::NonProject,
                    model.NonProjectPrj ? model.NonProjectPrj->Name : "Non project timers",
                    NonProjectId});
    rows.push_back({ProjectRowKind::Separator, {}, 0});
    for (std::size_t i = 0; i < model.Projects.Count(); ++i) {
        rows.push_back({ProjectRowKind::Project, model.Projects[i].Name, model.Projects[i].Id});
    }
    return rows;
}

int RowForSelectedIndex(int stored, std::size_t rowCount)
{
    int row = std::max(stored, 0);
    if (rowCount > 0 && static_cast<std::size_t>(row) >= rowCount) {
        row = static_cast<int>(rowCount) - 1;
    }
    return row == kSeparatorRow ? kNonProjectRow : row;
}

int RowForClick(int row)
{
    return row == kSeparatorRow ? kNonProjectRow : row;
}

std::optional<std::int32_t> DropTargetId(int row, const std::vector<ProjectRow>& rows)
{
    if (row < 0 || static_cast<std::size_t>(row) >= rows.size()) {
        return std::nullopt;
    }
    const ProjectRow& target = rows[static_cast<std::size_t>(row)];
    if (target.Kind == ProjectRowKind::Separator) {
        return std::nullopt;
    }
    return target.Id;
}

const TTimeProject* ProjectOfRow(int row, const std::vector<ProjectRow>& rows, const ProjectList& projects)
{
    if (!IsProjectRow(row) || static_cast<std::size_t>(row) >= rows.size()) {
        return nullptr;
    }
    return projects.FindById(rows[static_cast<std::size_t>(row)].Id);
}

ProjControlsState SetProjControlsState(int selectedRow, const std::vector<ProjectRow>& rows, const TimeModel& model)
{
    ProjControlsState state;
    const TTimeProject* project = ProjectOfRow(selectedRow, rows, model.Projects);
    if (!project) {
        return state;
    }
    state.DeleteProject = true;
    state.Properties = true;
    state.StartProject = state.StopProject = ProjectHasTimers(model.Timers, *project);
    return state;
}

std::string ProposedProjectName(std::size_t projectCount)
{
    return "New Project" + std::to_string(projectCount + 1);
}

namespace {

bool Blank(const std::string& text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; });
}

} // namespace

std::optional<Money> ReadPrice(const std::string& text, char decimalSeparator)
{
    return Blank(text) ? std::optional<Money>(Money {}) : MoneyFromText(text, decimalSeparator);
}

std::optional<Money> ReadPrice(const std::string& text)
{
    return Blank(text) ? std::optional<Money>(Money {}) : MoneyFromText(text);
}

std::string PriceText(Money price)
{
    return MoneyToText(price);
}

bool PriceKeyAccepted(const std::string& text)
{
    // Control characters (Backspace, Ctrl+V ...) type nothing themselves.
    return std::all_of(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return (c >= '0' && c <= '9') || u < 0x20 || u == 0x7F;
    });
}

ProjectDialogState NewProjectState(std::size_t projectCount)
{
    ProjectDialogState state;
    state.Name = ProposedProjectName(projectCount);
    return state;
}

ProjectDialogState EditProjectState(const TTimeProject& project)
{
    ProjectDialogState state;
    state.Name = project.Name;
    state.Color = project.Color;
    state.Description = project.Description;
    state.StartDate = project.StartDate;
    state.EndDate = project.EndDate;
    state.PriceText = PriceText(project.TotalPrice);
    return state;
}

std::optional<ProjectValues> AcceptedValues(const ProjectDialogState& state)
{
    const std::optional<Money> price = ReadPrice(state.PriceText);
    if (!price) {
        return std::nullopt;
    }
    ProjectValues values;
    values.Name = OneLine(state.Name);
    values.Color = state.Color;
    values.Description = state.Description;
    values.StartDate = state.StartDate;
    values.EndDate = state.EndDate;
    values.TotalPrice = *price;
    return values;
}

} // namespace tally
