#include "platform/x11/window_cache.h"
#include "x11_fixture.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <thread>

namespace tally::test {
namespace {

// A cache on a connection of its own, drained the way the desktop drains it.
struct CacheUnderTest
{
    explicit CacheUnderTest(const std::string& display)
        : Conn(display)
        , Cache(Conn, [this] {
            while (xcb_generic_event_t* event = xcb_poll_for_queued_event(Conn.Get())) {
                Cache.HandleEvent(*event);
                std::free(event);
            }
        })
    { }

    std::vector<TopLevelWindow> Census() { return x11::AssembleCensus(Cache.Refresh()); }

    x11::X11Connection Conn;
    x11::WindowCache Cache;
};

// Another client of the display, changing a property the way programs do.
void SetTransientFor(const std::string& display, WindowHandle window, WindowHandle owner)
{
    xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
    const auto value = static_cast<xcb_window_t>(owner);
    xcb_change_property(c,
                        XCB_PROP_MODE_REPLACE,
                        static_cast<xcb_window_t>(window),
                        XCB_ATOM_WM_TRANSIENT_FOR,
                        XCB_ATOM_WINDOW,
                        32,
                        1,
                        &value);
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    xcb_disconnect(c);
}

int CountCaptioned(const std::vector<TopLevelWindow>& windows, const std::string& prefix)
{
    return static_cast<int>(
        std::count_if(windows.begin(), windows.end(), [&](const auto& w) { return w.Caption.starts_with(prefix); }));
}

TEST_F(X11Test, WindowCacheFollowsLaterChangesAndForgetsWindowsThatGo)
{
    CacheUnderTest under(rig->Display());
    const auto main = Window({"--title", "Main"});
    const auto dialog = Window({"--title", "Dialog"});
    auto windows = under.Census();
    ASSERT_NE(Find(windows, dialog->Id()), nullptr);
    EXPECT_FALSE(Find(windows, dialog->Id())->Owned);
    const std::size_t known = under.Cache.KnownWindows();
    ASSERT_GT(known, 2U);

    // Changes made after the cache first read the window are seen at once.
    SetTransientFor(rig->Display(), dialog->Id(), main->Id());
    dialog->Command("title Dialog renamed");
    ASSERT_EQ(rig->Xdotool({"windowminimize", "--sync", Hex(main->Id())}), 0);
    main->Command("unmap");
    ASSERT_TRUE(XRig::WaitUntil([&] { return !rig->IsManaged(main->Id()); }));
    windows = under.Census();
    ASSERT_NE(Find(windows, dialog->Id()), nullptr);
    EXPECT_EQ(Find(windows, dialog->Id())->Caption, "Dialog renamed");
    ASSERT_NE(Find(windows, main->Id()), nullptr);
    EXPECT_FALSE(Find(windows, main->Id())->Visible) << "withdrawn after it was seen";
    EXPECT_FALSE(Find(windows, dialog->Id())->Owned) << "its owner is no longer shown";
    main->Command("map");
    ASSERT_TRUE(XRig::WaitUntil([&] { return rig->IsManaged(main->Id()); }));
    windows = under.Census();
    EXPECT_TRUE(Find(windows, main->Id())->Visible);
    EXPECT_TRUE(Find(windows, dialog->Id())->Owned);

    // A crowd of windows comes and goes; the cache shrinks back with it.
    auto crowd = Window({"--title", "Crowd", "--count", "20"});
    ASSERT_TRUE(XRig::WaitUntil([&] { return CountCaptioned(under.Census(), "Crowd ") == 20; }));
    EXPECT_GE(under.Cache.KnownWindows(), known + 20);
    crowd.reset();
    ASSERT_TRUE(XRig::WaitUntil([&] { return CountCaptioned(under.Census(), "Crowd ") == 0; }));
    // It knows no more windows than a cache that starts now (the window
    // manager may keep empty frames for a while; those still exist).
    EXPECT_TRUE(XRig::WaitUntil([&] {
        CacheUnderTest fresh(rig->Display());
        fresh.Census();
        under.Census();
        return under.Cache.KnownWindows() == fresh.Cache.KnownWindows();
    }));
}

TEST_F(X11Test, TheTreeFetchedWithTheIdleTimeServesOneCensusOnly)
{
    const auto w = Window({"--title", "Before"});
    desktop->IdleSeconds();
    auto windows = Census();
    ASSERT_NE(Find(windows, w->Id()), nullptr);
    // Used once: the next census asks the server again and sees the change.
    w->Command("title After");
    windows = Census();
    ASSERT_NE(Find(windows, w->Id()), nullptr);
    EXPECT_EQ(Find(windows, w->Id())->Caption, "After");
    // Not used when it has grown old.
    desktop->IdleSeconds();
    w->Command("title Later");
    std::this_thread::sleep_for(x11::WindowCache::kPrefetchLife * 2);
    windows = Census();
    EXPECT_EQ(Find(windows, w->Id())->Caption, "Later");
}

TEST_F(X11NoWmTest, WindowCacheFollowsMappingWithoutAWindowManager)
{
    CacheUnderTest under(rig->Display());
    const auto w = Window({"--title", "Plain"});
    auto windows = under.Census();
    ASSERT_NE(Find(windows, w->Id()), nullptr);
    EXPECT_TRUE(Find(windows, w->Id())->Visible);
    w->Command("unmap");
    windows = under.Census();
    ASSERT_NE(Find(windows, w->Id()), nullptr);
    EXPECT_FALSE(Find(windows, w->Id())->Visible);
    w->Command("title Plain hidden");
    windows = under.Census();
    ASSERT_NE(Find(windows, w->Id()), nullptr);
    EXPECT_EQ(Find(windows, w->Id())->Caption, "Plain hidden");
}

} // namespace
} // namespace tally::test
