#include "platform/x11/x11_census.h"

#include <gtest/gtest.h>

namespace tally::x11 {
namespace {

constexpr WindowHandle kRoot = 0x100;
constexpr WindowHandle kCheck = 0x200;

WindowFacts Facts(std::string caption, bool mapped = true, WindowHandle owner = 0)
{
    WindowFacts facts;
    facts.Caption = std::move(caption);
    facts.Mapped = mapped;
    facts.TransientFor = owner;
    return facts;
}

std::vector<WindowHandle> Handles(const std::vector<TopLevelWindow>& windows)
{
    std::vector<WindowHandle> result;
    for (const auto& w : windows) {
        result.push_back(w.Handle);
    }
    return result;
}

const TopLevelWindow& Get(const std::vector<TopLevelWindow>& windows, WindowHandle handle)
{
    for (const auto& w : windows) {
        if (w.Handle == handle) {
            return w;
        }
    }
    throw std::out_of_range("not listed");
}

CensusInput ManagedDesktop()
{
    CensusInput input;
    input.Root = kRoot;
    input.HasWindowManager = true;
    input.WmCheckWindow = kCheck;
    // Managed clients 0x1001..0x1004, bottom first; frames 0x2001.. are the root's
    // mapped children; 0x3001 is an unmapped window nobody manages.
    input.ManagedBottomFirst = {0x1001, 0x1002, 0x1003, 0x1004, 0x1002};
    input.RootChildrenBottomFirst = {kCheck, 0x3001, 0x2001, 0x3002, 0x2002, 0x3003, 0x3004, 0x3005};
    input.Facts[0x1001] = Facts("Editor");
    input.Facts[0x1002] = Facts("Find", true, 0x1001);
    input.Facts[0x1003] = Facts("", true);
    input.Facts[0x1004] = Facts("Note", true, kRoot);
    input.Facts[kCheck] = Facts("Openbox", false);
    input.Facts[0x3001] = Facts("Tray helper", false);
    input.Facts[0x2001] = Facts("", true);
    input.Facts[0x3002] = Facts("", false);
    input.Facts[0x3003] = Facts("Hidden dialog", false, 0x1001);
    input.Facts[0x3004] = Facts("Menu", false);
    input.Facts[0x3004].OverrideRedirect = true;
    input.Facts[0x3005] = Facts("Pointer grab", false);
    input.Facts[0x3005].InputOnly = true;
    return input;
}

TEST(X11CensusRules, ManagedWindowsFirstThenHiddenOnes)
{
    const auto windows = AssembleCensus(ManagedDesktop());
    EXPECT_EQ(Handles(windows), (std::vector<WindowHandle> {0x1002, 0x1004, 0x1003, 0x1001, 0x3003, 0x3001}))
        << "managed top first (each once), then unmapped captioned ones; no frames, marker, popups";
    EXPECT_TRUE(Get(windows, 0x1003).Visible);
    EXPECT_FALSE(Get(windows, 0x3001).Visible);
    EXPECT_TRUE(Get(windows, 0x1002).Owned);
    EXPECT_FALSE(Get(windows, 0x1004).Owned) << "transient for the root";
    EXPECT_TRUE(Get(windows, 0x3003).Owned) << "hidden and owned: the scopes leave it out";
}

TEST(X11CensusRules, OwnersMustBeVisibleWindows)
{
    auto input = ManagedDesktop();
    input.Facts[0x1001].TransientFor = 0x1001;
    input.Facts[0x1004].TransientFor = 0x3001;
    input.Facts[0x1003].TransientFor = 0x9999;
    const auto windows = AssembleCensus(input);
    EXPECT_FALSE(Get(windows, 0x1001).Owned) << "its own owner";
    EXPECT_FALSE(Get(windows, 0x1004).Owned) << "owner not managed";
    EXPECT_FALSE(Get(windows, 0x1003).Owned) << "owner does not exist";
}

TEST(X11CensusRules, WindowsThatWentAwayAreLeftOut)
{
    auto input = ManagedDesktop();
    input.Facts.erase(0x1004);
    input.Facts.erase(0x3001);
    const auto windows = AssembleCensus(input);
    EXPECT_EQ(Handles(windows), (std::vector<WindowHandle> {0x1002, 0x1003, 0x1001, 0x3003}));
}

TEST(X11CensusRules, WithoutWindowManagerRootChildrenInZOrder)
{
    CensusInput input;
    input.Root = kRoot;
    input.ManagedBottomFirst = {0x1001}; // left behind by a window manager that is gone
    input.RootChildrenBottomFirst = {0x1001, 0x1002, 0x1003, 0x1004, 0x1005, 0x1006};
    input.Facts[0x1001] = Facts("Bottom");
    input.Facts[0x1002] = Facts("Hidden", false);
    input.Facts[0x1003] = Facts("", false);
    input.Facts[0x1004] = Facts("Dialog", true, 0x1001);
    input.Facts[0x1005] = Facts("Orphan", true, 0x1002);
    input.Facts[0x1006] = Facts("", true);
    const auto windows = AssembleCensus(input);
    EXPECT_EQ(Handles(windows), (std::vector<WindowHandle> {0x1006, 0x1005, 0x1004, 0x1002, 0x1001}));
    EXPECT_FALSE(Get(windows, 0x1002).Visible);
    EXPECT_TRUE(Get(windows, 0x1004).Owned);
    EXPECT_FALSE(Get(windows, 0x1005).Owned) << "an unmapped owner does not count";
}

} // namespace
} // namespace tally::x11
