#include "view/projects_logic.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tally {
namespace {

TimeModel ModelWithProjects(int count)
{
    TimeModel model;
    for (int i = 0; i < count; ++i) {
        TTimeProject& p = model.Projects.Create();
        p.Id = 10 + i;
        p.Name = std::string("P").append(std::to_string(i));
    }
    return model;
}

TEST(ProjectsLogic, RowsAreTheFixedRowsThenTheProjectsInListOrder)
{
    TimeModel model = ModelWithProjects(2);
    const std::vector<ProjectRow> rows = ProjectRows(model);
    const std::vector<ProjectRow> expected {
        {ProjectRowKind::ShowAll, "Show all timers", -1},
        {ProjectRowKind::NonProject, "Non project timers", 0},
        {ProjectRowKind::Separator, "", 0},
        {ProjectRowKind::Project, "P0", 10},
        {ProjectRowKind::Project, "P1", 11},
    };
    EXPECT_EQ(rows, expected);
}

TEST(ProjectsLogic, StoredSelectedIndexBecomesARowThatCanBeSelected)
{
    struct Case
    {
        int Stored;
        std::size_t Rows;
        int Expected;
    };
    const Case cases[] = {
        {0, 5, 0},
        {1, 5, 1},
        {2, 5, 1}, // the separator stands for "Non project timers"
        {3, 5, 3},
        {4, 5, 4},
        {5, 5, 4}, // past the end: the last row
        {99, 5, 4},
        {-1, 5, 0}, // below 0: the first row
        {-2147483647 - 1, 5, 0},
        {5, 3, 1}, // no projects: the last row is the separator
        {2147483647, 3, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RowForSelectedIndex(c.Stored, c.Rows), c.Expected) << c.Stored << " of " << c.Rows;
    }
}

TEST(ProjectsLogic, ClickOnTheSeparatorPicksNonProjectTimers)
{
    EXPECT_EQ(RowForClick(0), 0);
    EXPECT_EQ(RowForClick(1), 1);
    EXPECT_EQ(RowForClick(2), 1);
    EXPECT_EQ(RowForClick(3), 3);
}

TEST(ProjectsLogic, DropsOnFixedAndProjectRowsOnlyAssign)
{
    TimeModel model = ModelWithProjects(1);
    const std::vector<ProjectRow> rows = ProjectRows(model);
    struct Case
    {
        int Row;
        std::optional<std::int32_t> Id;
    };
    const Case cases[] = {
        {-1, std::nullopt}, // empty space under the rows
        {0, -1},
        {1, 0},
        {2, std::nullopt}, // the separator
        {3, 10},
        {4, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DropTargetId(c.Row, rows), c.Id) << c.Row;
    }
}

TEST(ProjectsLogic, ControlsFollowTheSelectedRowAndItsTimers)
{
    TimeModel model = ModelWithProjects(2);
    model.Timers.Create().ProjectId = 11; // only the second project has a timer
    const std::vector<ProjectRow> rows = ProjectRows(model);
    struct Case
    {
        int Row;
        ProjControlsState Expected;
    };
    const Case cases[] = {
        {-1, {}},
        {0, {}},
        {1, {}},
        {2, {}},
        {3, {false, false, true, true}},
        {4, {true, true, true, true}},
        {5, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SetProjControlsState(c.Row, rows, model), c.Expected) << c.Row;
    }
}

TEST(ProjectsLogic, ProposedNameCountsTheProjects)
{
    EXPECT_EQ(ProposedProjectName(0), "New Project1");
    EXPECT_EQ(ProposedProjectName(3), "New Project4");
    EXPECT_EQ(NewProjectState(2).Name, "New Project3");
    EXPECT_EQ(NewProjectState(2).Color, 0xFF000002u);
    EXPECT_EQ(NewProjectState(2).PriceText, "");
}

TEST(ProjectsLogic, PriceTextReadsAsMoneyOrIsRefused)
{
    struct Case
    {
        std::string Text;
        std::optional<std::int64_t> Count;
    };
    const Case cases[] = {
        {"", 0},
        {"   ", 0},
        {"0", 0},
        {"12", 120000},
        {"12.5", 125000},
        {"0.00005", 0}, // half a count goes to the even count
        {"0.00015", 2},
        {"abc", std::nullopt},
        {"12abc", std::nullopt},
        {"1.2.3", std::nullopt},
        {"1e300", std::nullopt}, // does not fit
    };
    for (const Case& c : cases) {
        const std::optional<Money> price = ReadPrice(c.Text, '.');
        ASSERT_EQ(price.has_value(), c.Count.has_value()) << c.Text;
        if (price) {
            EXPECT_EQ(price->Count, *c.Count) << c.Text;
        }
    }
}

TEST(ProjectsLogic, PriceFieldTypesDigitsOnly)
{
    EXPECT_TRUE(PriceKeyAccepted("7"));
    EXPECT_TRUE(PriceKeyAccepted(""));     // arrows, Delete
    EXPECT_TRUE(PriceKeyAccepted("\b"));   // Backspace
    EXPECT_TRUE(PriceKeyAccepted("\x16")); // Ctrl+V
    EXPECT_FALSE(PriceKeyAccepted("."));
    EXPECT_FALSE(PriceKeyAccepted(","));
    EXPECT_FALSE(PriceKeyAccepted("a"));
    EXPECT_FALSE(PriceKeyAccepted(" "));
    EXPECT_FALSE(PriceKeyAccepted("\xC3\xA9"));
}

TEST(ProjectsLogic, EditKeepsThePriceAndAWrongPriceStoresNothing)
{
    TTimeProject project;
    project.Name = "Roof";
    project.Color = 0x123456;
    project.Description = "two\nlines";
    project.StartDate = 46000;
    project.EndDate = 46010;
    project.TotalPrice = Money {12345678};
    ProjectDialogState state = EditProjectState(project);
    const std::optional<ProjectValues> same = AcceptedValues(state);
    ASSERT_TRUE(same);
    EXPECT_EQ(same->Name, "Roof");
    EXPECT_EQ(same->Color, 0x123456u);
    EXPECT_EQ(same->Description, "two\nlines");
    EXPECT_EQ(same->StartDate, 46000);
    EXPECT_EQ(same->EndDate, 46010);
    EXPECT_EQ(same->TotalPrice, project.TotalPrice);

    state.PriceText = "twelve";
    EXPECT_FALSE(AcceptedValues(state));
}

} // namespace
} // namespace tally
