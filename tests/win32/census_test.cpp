// The census of real Win32 windows of this test program.
#include "platform/win32/census.h"
#include "platform/win32/win32_desktop.h"
#include "tracking/window_census.h"
#include "win32_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

namespace tally {
namespace {

using test::TestWindow;

class CensusTest : public ::testing::Test
{
protected:
    HiddenMainWindow mainWindow;
    Win32Desktop desktop {mainWindow};
    TestWindow visible {"Tally census visible", true};
    TestWindow hidden {"Tally census hidden", false};
    TestWindow owned {"Tally census owned", true, visible.Handle()};
    TestWindow ownedHidden {"Tally census owned hidden", false, visible.Handle()};
    TestWindow captionless {"", true};

    // Our own windows that a census of the scope lists.
    std::set<std::string> OursInScope(std::uint8_t scope)
    {
        std::set<std::string> names;
        for (const auto& entry : GetWindowList(desktop, 0, 0, scope, false)) {
            if (entry.Name.starts_with("Tally census") || entry.Name == "Tallyhour Zide") {
                names.insert(entry.Name);
            }
        }
        return names;
    }
};

TEST_F(CensusTest, ScopesListTheirWindows)
{
    struct Case
    {
        std::uint8_t Scope;
        std::set<std::string> Listed;
    };
    const Case cases[] = {
        {0, {"Tally census visible"}},
        {1, {"Tally census visible", "Tally census owned"}},
        {2, {"Tally census visible", "Tally census hidden"}},
    };
    for (const auto& c : cases) {
        // The hidden main window only receives messages and is never listed.
        EXPECT_EQ(OursInScope(c.Scope), c.Listed) << "scope " << int(c.Scope);
    }
}

TEST_F(CensusTest, WalkReportsStateOwnerAndCaption)
{
    const auto windows = desktop.EnumTopLevelWindows(0, false);
    auto find = [&](HWND window) {
        return std::find_if(
            windows.begin(), windows.end(), [&](const TopLevelWindow& w) { return w.Handle == FromHwnd(window); });
    };
    const auto v = find(visible.Handle());
    const auto h = find(ownedHidden.Handle());
    const auto c = find(captionless.Handle());
    ASSERT_NE(v, windows.end());
    ASSERT_NE(h, windows.end());
    ASSERT_NE(c, windows.end());
    EXPECT_TRUE(v->Visible);
    EXPECT_FALSE(v->Owned);
    EXPECT_FALSE(h->Visible);
    EXPECT_TRUE(h->Owned);
    EXPECT_EQ(h->Caption, "Tally census owned hidden");
    EXPECT_EQ(c->Caption, "");
    EXPECT_EQ(find(mainWindow.Handle()), windows.end());
}

TEST_F(CensusTest, ProcessNamesComeFromTheSnapshot)
{
    const auto entries = GetWindowList(desktop, 0, 0, 0, true);
    const auto ours = std::find_if(
        entries.begin(), entries.end(), [&](const CensusEntry& e) { return e.Handle == FromHwnd(visible.Handle()); });
    ASSERT_NE(ours, entries.end());
    EXPECT_EQ(ours->Name, "tests_win32.exe");
    EXPECT_EQ(desktop.GetWindowProcessName(FromHwnd(owned.Handle())), "tests_win32.exe");

    // A window that is gone has no process, and so no name.
    const WindowHandle gone = FromHwnd(hidden.Handle());
    hidden.Destroy();
    EXPECT_EQ(desktop.GetWindowProcessName(gone), "");
}

TEST_F(CensusTest, CaptionsAreCutAt1024Characters)
{
    const std::string longCaption = std::string(1500, 'x');
    TestWindow wide {longCaption, true};
    EXPECT_EQ(Caption(wide.Handle()), std::string(1024, 'x'));
}

} // namespace
} // namespace tally
