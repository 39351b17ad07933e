#include "rig/child_process.h"
#include "x11_fixture.h"

#include <set>
#include <stdexcept>

namespace tally::test {
namespace {

TEST_F(X11Test, ListsManagedWindowsTopFirstAndFollowsRaising)
{
    ASSERT_TRUE(desktop->HasWindowManager());
    const auto a = Window({"--title", "Alpha"});
    const auto b = Window({"--title", "Bravo"});
    const auto c = Window({"--title", "Charlie"});
    const std::vector<WindowHandle> ours {a->Id(), b->Id(), c->Id()};

    // The window manager may settle its stacking a moment after the last map.
    const std::vector<WindowHandle> mapped {c->Id(), b->Id(), a->Id()};
    EXPECT_TRUE(XRig::WaitUntil([&] { return OrderOf(Census(), ours) == mapped; }));

    ASSERT_EQ(rig->Xdotool({"windowactivate", "--sync", Hex(a->Id())}), 0);
    const std::vector<WindowHandle> raised {a->Id(), c->Id(), b->Id()};
    EXPECT_TRUE(XRig::WaitUntil([&] { return OrderOf(Census(), ours) == raised; }));

    const auto windows = Census();
    ASSERT_NE(Find(windows, b->Id()), nullptr);
    EXPECT_EQ(Find(windows, b->Id())->Caption, "Bravo");
    EXPECT_TRUE(Find(windows, b->Id())->Visible);
    EXPECT_FALSE(Find(windows, b->Id())->Owned);
    std::set<WindowHandle> unique;
    for (const auto& w : windows) {
        EXPECT_TRUE(unique.insert(w.Handle).second) << "listed twice: " << Hex(w.Handle);
        EXPECT_GT(w.Handle, 4U);
    }
}

TEST_F(X11Test, OwnerHiddenAndCaptionRules)
{
    const auto main = Window({"--title", "Main"});
    const auto dialog = Window({"--title", "Dialog", "--transient-for", Hex(main->Id())});
    const auto rootOwned = Window({"--title", "Root transient", "--transient-for", Hex(rig->Root())});
    const auto withdrawn = Window({"--title", "Withdrawn", "--withdrawn"});
    const auto bare = Window({"--withdrawn"});
    const auto orphan = Window({"--title", "Orphan", "--transient-for", Hex(withdrawn->Id())});
    const auto captionless = Window({});
    const auto popup = Window({"--title", "Popup", "--override-redirect"});

    const auto windows = Census();
    ASSERT_NE(Find(windows, dialog->Id()), nullptr);
    EXPECT_TRUE(Find(windows, dialog->Id())->Owned);
    EXPECT_TRUE(Find(windows, dialog->Id())->Visible);
    ASSERT_NE(Find(windows, rootOwned->Id()), nullptr);
    EXPECT_FALSE(Find(windows, rootOwned->Id())->Owned) << "transient for the root has no owner";
    ASSERT_NE(Find(windows, orphan->Id()), nullptr);
    EXPECT_FALSE(Find(windows, orphan->Id())->Owned) << "an unmanaged owner does not count";

    const auto* hidden = Find(windows, withdrawn->Id());
    ASSERT_NE(hidden, nullptr);
    EXPECT_FALSE(hidden->Visible);
    EXPECT_EQ(hidden->Caption, "Withdrawn");
    EXPECT_EQ(Find(windows, bare->Id()), nullptr) << "unmapped windows without a caption are left out";
    EXPECT_EQ(Find(windows, popup->Id()), nullptr) << "popups are not top-level windows";

    const auto* plain = Find(windows, captionless->Id());
    ASSERT_NE(plain, nullptr);
    EXPECT_TRUE(plain->Visible);
    EXPECT_EQ(plain->Caption, "");

    // Hidden windows follow all visible ones.
    bool seenHidden = false;
    for (const auto& w : windows) {
        EXPECT_FALSE(seenHidden && w.Visible) << Hex(w.Handle) << " is visible but follows a hidden window";
        seenHidden = seenHidden || !w.Visible;
    }
    // The window manager's own marker window carries a name but is no window of the user.
    for (const auto& w : windows) {
        EXPECT_NE(w.Caption, "Openbox");
    }
}

TEST_F(X11Test, MinimisedStaysVisibleAndWithdrawnBecomesHidden)
{
    const auto w = Window({"--title", "Shy"});
    ASSERT_EQ(rig->Xdotool({"windowminimize", "--sync", Hex(w->Id())}), 0);
    const auto minimised = Census();
    ASSERT_NE(Find(minimised, w->Id()), nullptr);
    EXPECT_TRUE(Find(minimised, w->Id())->Visible);

    w->Command("unmap");
    ASSERT_TRUE(XRig::WaitUntil([&] { return !rig->IsManaged(w->Id()); }));
    ASSERT_TRUE(XRig::WaitUntil([&] {
        const auto windows = Census();
        const auto* found = Find(windows, w->Id());
        return found != nullptr && !found->Visible;
    }));

    w->Command("map");
    ASSERT_TRUE(XRig::WaitUntil([&] { return rig->IsManaged(w->Id()); }));
    const auto shown = Census();
    ASSERT_NE(Find(shown, w->Id()), nullptr);
    EXPECT_TRUE(Find(shown, w->Id())->Visible);
}

TEST_F(X11Test, CaptionsAreReadFreshInUtf8)
{
    const auto modern = Window({"--title", "Grüße ✓ 日本"});
    const auto legacy = Window({"--legacy-title", "Café crème"});
    auto windows = Census();
    ASSERT_NE(Find(windows, modern->Id()), nullptr);
    EXPECT_EQ(Find(windows, modern->Id())->Caption, "Grüße ✓ 日本");
    ASSERT_NE(Find(windows, legacy->Id()), nullptr);
    EXPECT_EQ(Find(windows, legacy->Id())->Caption, "Café crème") << "WM_NAME is Latin-1";

    modern->Command("title Renamed");
    windows = Census();
    EXPECT_EQ(Find(windows, modern->Id())->Caption, "Renamed");
}

TEST_F(X11Test, CompoundTextCaptionsAreDecoded)
{
    // An Xt program names its window in COMPOUND_TEXT (charset switches for
    // Cyrillic and UTF-8) when the text is not Latin-1.
    const std::string title = "Бета окно ✓ é";
    ChildProcess::Options options;
    options.Environment = rig->Environment();
    options.Environment.push_back("LC_ALL=C.UTF-8");
    options.Quiet = true;
    ChildProcess xmessage({"xmessage", "-title", title, "beta"}, options);
    std::string caption;
    ASSERT_TRUE(XRig::WaitUntil([&] {
        for (const auto& w : Census(true)) {
            if (w.ProcessName == "xmessage" && !w.Caption.empty()) {
                caption = w.Caption;
            }
        }
        return !caption.empty();
    }));
    EXPECT_EQ(caption, title);
}

TEST_F(X11Test, StartWindowPicksTheScreen)
{
    const auto a = Window({"--title", "Alpha"});
    const auto fromRoot = Census();
    const auto fromWindow = desktop->EnumTopLevelWindows(a->Id(), false);
    EXPECT_EQ(OrderOf(fromWindow, {a->Id()}), std::vector<WindowHandle> {a->Id()});
    EXPECT_EQ(fromWindow.size(), fromRoot.size());
    EXPECT_THROW(desktop->EnumTopLevelWindows(0x7ffff1, false), std::runtime_error);
    EXPECT_NO_THROW(desktop->GetForegroundWindow()) << "a failed lookup leaves the connection usable";
}

TEST_F(X11NoWmTest, ListsRootChildrenTopFirstWithHiddenOnesInPlace)
{
    EXPECT_FALSE(desktop->HasWindowManager());
    const auto a = Window({"--title", "Alpha"});
    const auto hidden = Window({"--title", "Hidden", "--withdrawn"});
    const auto b = Window({"--title", "Bravo"});
    const auto c = Window({"--title", "Charlie"});
    const auto dialog = Window({"--title", "Dialog", "--transient-for", Hex(a->Id())});
    const auto orphan = Window({"--title", "Orphan", "--transient-for", Hex(hidden->Id())});
    const std::vector<WindowHandle> ours {a->Id(), hidden->Id(), b->Id(), c->Id()};

    auto windows = Census();
    EXPECT_EQ(OrderOf(windows, ours), (std::vector<WindowHandle> {c->Id(), b->Id(), hidden->Id(), a->Id()}));
    ASSERT_NE(Find(windows, hidden->Id()), nullptr);
    EXPECT_FALSE(Find(windows, hidden->Id())->Visible);
    EXPECT_TRUE(Find(windows, a->Id())->Visible);
    EXPECT_TRUE(Find(windows, dialog->Id())->Owned);
    EXPECT_FALSE(Find(windows, orphan->Id())->Owned) << "an unmapped owner does not count";

    ASSERT_EQ(rig->Xdotool({"windowraise", Hex(a->Id())}), 0);
    windows = Census();
    EXPECT_EQ(OrderOf(windows, ours), (std::vector<WindowHandle> {a->Id(), c->Id(), b->Id(), hidden->Id()}));
}

TEST_F(X11NoWmTest, ForegroundFallsBackToTheFocusedTopLevel)
{
    EXPECT_EQ(desktop->GetForegroundWindow(), 0U) << "nothing has the focus yet";
    const auto a = Window({"--title", "Alpha", "--child"});
    const auto b = Window({"--title", "Bravo"});
    ASSERT_NE(a->Child(), 0U);
    ASSERT_EQ(rig->Xdotool({"windowfocus", "--sync", Hex(a->Child())}), 0);
    EXPECT_EQ(desktop->GetForegroundWindow(), a->Id()) << "walked up from the focused child";
    ASSERT_EQ(rig->Xdotool({"windowfocus", "--sync", Hex(b->Id())}), 0);
    EXPECT_EQ(desktop->GetForegroundWindow(), b->Id());
}

} // namespace
} // namespace tally::test
