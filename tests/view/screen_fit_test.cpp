#include "model/one_line.h"
#include "view/chart_marks.h"
#include "view/dialog_geometry.h"
#include "view/projects_logic.h"
#include "view/timer_dialog_logic.h"

#include <gtest/gtest.h>

#include <vector>

namespace tally {

void PrintTo(const WindowGeometry& g, std::ostream* os)
{
    *os << g.Width << "x" << g.Height << "+" << g.X << "+" << g.Y;
}

namespace {

// 1600 x 1000 with a 40-pixel panel along the bottom.
constexpr WorkArea kArea {0, 0, 1600, 960};

TEST(ScreenFit, AResizedDialogKeepsItsCentreInsideTheWorkArea)
{
    struct Case
    {
        WindowGeometry Before;
        int Width, Height;
        WindowGeometry After;
    } cases[] = {
        // Grows about its centre, and shrinks back to the same place.
        {{670, 360, 260, 238}, 466, 392, {567, 283, 466, 392}},
        {{567, 283, 466, 392}, 260, 238, {670, 360, 260, 238}},
        // In the bottom-right corner: pulled back inside.
        {{1340, 722, 260, 238}, 466, 392, {1134, 568, 466, 392}},
        {{-30, -10, 260, 238}, 260, 238, {0, 0, 260, 238}},
        // Larger than the screen: as large as the work area.
        {{100, 100, 200, 200}, 2000, 1200, {0, 0, 1600, 960}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ResizeKeepingCentre(c.Before, c.Width, c.Height, kArea), c.After);
    }
    EXPECT_EQ(CentreInArea(300, 100, {100, 0, 1700, 960}), (WindowGeometry {750, 430, 300, 100}));
}

TEST(ScreenFit, SideWindowsDockOnTheOtherSideWhenTheUsualOneHasNoRoom)
{
    const WindowGeometry centred {567, 335, 465, 329};
    const WindowGeometry atLeft {0, 335, 465, 329};
    const WindowGeometry atRight {1135, 335, 465, 329};
    const WindowGeometry lowRight {1135, 800, 465, 160};
    struct Case
    {
        WindowGeometry Anchor;
        DockSide Usual;
        WindowGeometry Docked;
    } cases[] = {
        {centred, DockSide::Left, {431, 335, 136, 250}},
        {atLeft, DockSide::Left, {465, 335, 136, 250}},
        {centred, DockSide::Right, {1032, 335, 350, 232}},
        {atRight, DockSide::Right, {785, 335, 350, 232}},
        // Below the work area's bottom: lifted inside.
        {lowRight, DockSide::Right, {785, 728, 350, 232}},
    };
    for (const Case& c : cases) {
        const bool left = c.Usual == DockSide::Left;
        EXPECT_EQ(DockBeside(c.Anchor, left ? 136 : 350, left ? 250 : 232, 0, c.Usual, kArea), c.Docked);
    }
    // At the left edge with the statistics window on the right already:
    // the projects window docks past it.
    EXPECT_EQ(DockBeside(atLeft, 136, 250, 0, DockSide::Left, kArea, WindowGeometry {465, 335, 350, 232}),
              (WindowGeometry {815, 335, 136, 250}));
    // Neither side has room: the usual side, pulled in only vertically.
    EXPECT_EQ(DockBeside({0, 800, 1500, 150}, 350, 232, 93, DockSide::Right, kArea),
              (WindowGeometry {1500, 728, 350, 232}));
}

TEST(ScreenFit, MarksStayInsideThePlotAndOffOtherBars)
{
    const PixelBox plot {10, 5, 300, 200};
    // A zero-height bar's mark beside a tall neighbour goes above it.
    const std::vector<PixelBox> bars {{100, 205, 6, 0}, {106, 50, 6, 155}};
    MarkPlace m = PlaceMark(103, 205, 40, 12, bars, plot, 0);
    EXPECT_TRUE(m.Visible);
    EXPECT_DOUBLE_EQ(m.X, 83);
    EXPECT_DOUBLE_EQ(m.Y, 37);
    // At the right edge: moved left to end inside; at the top: in the
    // margin above the plot, but not above the chart.
    m = PlaceMark(308, 8, 40, 12, {}, plot, 0);
    EXPECT_DOUBLE_EQ(m.X, 270);
    EXPECT_DOUBLE_EQ(m.Y, 0);
    EXPECT_TRUE(m.Visible);
    EXPECT_FALSE(PlaceMark(311, 100, 40, 12, {}, plot, 0).Visible);
    EXPECT_DOUBLE_EQ(PlaceMark(12, 100, 40, 12, {}, plot, 0).X, 10);
}

TEST(ScreenFit, NamesTakeOneLine)
{
    EXPECT_EQ(OneLine("Write\treport\r\nfor May\nand\rJune"), "Write report for May and June");
    bool edited = false;
    TimerDialogLogic dialog(0, edited);
    dialog.EditName("a\tb\nc");
    EXPECT_EQ(dialog.Name(), "a b c");
    ProjectDialogState state = NewProjectState(0);
    state.Name = "Home\r\nwork";
    state.PriceText = "0";
    ASSERT_TRUE(AcceptedValues(state).has_value());
    EXPECT_EQ(AcceptedValues(state)->Name, "Home work");
}

} // namespace
} // namespace tally
