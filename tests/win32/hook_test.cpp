// The hidden main window, the keyboard-hook DLL and the single-instance test.
#include "platform/win32/main_window.h"
#include "platform/win32/win32_desktop.h"
#include "win32_fixture.h"

#include <gtest/gtest.h>

#include <optional>

namespace tally {
namespace {

TEST(MainWindow, KeystrokeNoticesNeedBothMarkers)
{
    HiddenMainWindow window;
    int keystrokes = 0;
    window.SetKeystrokeHandler([&] { ++keystrokes; });
    struct Case
    {
        WPARAM WParam;
        LPARAM LParam;
        int Counted;
    };
    const Case cases[] = {{2345, 3456, 1}, {2345, 0, 0}, {0, 3456, 0}, {3456, 2345, 0}};
    for (const auto& c : cases) {
        keystrokes = 0;
        ::SendMessageA(window.Handle(), WM_USER, c.WParam, c.LParam);
        EXPECT_EQ(keystrokes, c.Counted) << c.WParam << "/" << c.LParam;
    }
}

TEST(MainWindow, PowerNoticesBecomePowerEvents)
{
    HiddenMainWindow window;
    std::optional<PowerEvent> seen;
    Win32SessionWatcher watcher(window);
    watcher.SetPowerHandler([&](PowerEvent event) { seen = event; });
    struct Case
    {
        WPARAM WParam;
        std::optional<PowerEvent> Event;
    };
    const Case cases[] = {
        {PBT_APMSUSPEND, PowerEvent::Suspend},
        {PBT_APMRESUMESUSPEND, PowerEvent::Resume},
        {PBT_APMRESUMEAUTOMATIC, std::nullopt},
        {PBT_APMPOWERSTATUSCHANGE, std::nullopt},
    };
    for (const auto& c : cases) {
        seen.reset();
        EXPECT_EQ(::SendMessageA(window.Handle(), WM_POWERBROADCAST, c.WParam, 0), TRUE);
        EXPECT_EQ(seen, c.Event) << c.WParam;
    }
    EXPECT_FALSE(watcher.IsLocked());
}

TEST(MainWindow, SecondStartFindsTheHiddenWindow)
{
    EXPECT_EQ(HiddenMainWindow::FindRunningInstance(), nullptr);
    {
        HiddenMainWindow window;
        EXPECT_FALSE(::IsWindowVisible(window.Handle()));
        EXPECT_EQ(HiddenMainWindow::FindRunningInstance(), window.Handle());
    }
    EXPECT_EQ(HiddenMainWindow::FindRunningInstance(), nullptr);
}

TEST(KeyboardHook, LibraryLoadedByNameReportsKeyPresses)
{
    HiddenMainWindow window;
    Win32Desktop desktop(window);
    int keystrokes = 0;
    ASSERT_TRUE(desktop.SetKeyboardHook([&] { ++keystrokes; }));

    ASSERT_EQ(test::PressKey('A'), 2U);
    test::PumpUntil([&] { return keystrokes > 0; });
    // One notice per press; the release is not one.
    EXPECT_EQ(keystrokes, 1);

    EXPECT_TRUE(desktop.RemoveKeyboardHook());
    keystrokes = 0;
    ASSERT_EQ(test::PressKey('B'), 2U);
    test::PumpUntil([] { return false; }, std::chrono::milliseconds(300));
    EXPECT_EQ(keystrokes, 0);
}

TEST(KeyboardHook, MissingLibraryFailsTheHook)
{
    HiddenMainWindow window;
    Win32Desktop desktop(window, "no-such-kbdwatch.dll");
    EXPECT_FALSE(desktop.SetKeyboardHook([] {}));
    // Nothing was set, so nothing is left to remove.
    EXPECT_TRUE(desktop.RemoveKeyboardHook());
}

} // namespace
} // namespace tally
