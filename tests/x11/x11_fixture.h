#pragma once

#include "platform/x11/x11_desktop.h"
#include "rig/x11_rig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include <poll.h>

namespace tally::test {

// A private X server with openbox and a desktop connected to it, fresh for
// every test.
class X11Test : public ::testing::Test
{
protected:
    void SetUp() override { StartRig({}); }

    void StartRig(const RigOptions& options)
    {
        rig = std::make_unique<XRig>(options);
        desktop = std::make_unique<X11Desktop>(nullptr, rig->Display());
    }

    std::unique_ptr<TestWindow> Window(const std::vector<std::string>& args, WindowStart start = {})
    {
        return rig->StartWindow(args, start);
    }

    std::vector<TopLevelWindow> Census(bool withNames = false) { return desktop->EnumTopLevelWindows(0, withNames); }

    // Runs the desktop's event dispatch until the condition holds, waiting on
    // its descriptors in between.
    bool DispatchUntil(const std::function<bool()>& condition,
                       std::chrono::milliseconds timeout = std::chrono::seconds(10))
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!condition()) {
            const auto left
                = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                return false;
            }
            if (WaitReadable(left)) {
                desktop->DispatchEvents();
            }
        }
        return true;
    }

    bool WaitReadable(std::chrono::milliseconds timeout)
    {
        std::vector<pollfd> fds;
        for (const int fd : desktop->EventDescriptors()) {
            fds.push_back({fd, POLLIN, 0});
        }
        return poll(fds.data(), fds.size(), static_cast<int>(timeout.count())) > 0;
    }

    std::unique_ptr<XRig> rig;
    std::unique_ptr<X11Desktop> desktop;
};

// The same without a window manager.
class X11NoWmTest : public X11Test
{
protected:
    void SetUp() override { StartRig({.WindowManager = false, .ServerArgs = {}}); }
};

inline const TopLevelWindow* Find(const std::vector<TopLevelWindow>& windows, WindowHandle handle)
{
    const auto it = std::find_if(windows.begin(), windows.end(), [&](const auto& w) { return w.Handle == handle; });
    return it == windows.end() ? nullptr : &*it;
}

// The census order of the given windows, leaving out every other window.
inline std::vector<WindowHandle> OrderOf(const std::vector<TopLevelWindow>& windows,
                                         const std::vector<WindowHandle>& ours)
{
    std::vector<WindowHandle> order;
    for (const auto& w : windows) {
        if (std::find(ours.begin(), ours.end(), w.Handle) != ours.end()) {
            order.push_back(w.Handle);
        }
    }
    return order;
}

inline std::string Hex(WindowHandle handle)
{
    char text[32];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(handle));
    return text;
}

} // namespace tally::test
