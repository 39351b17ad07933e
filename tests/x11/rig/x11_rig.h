#pragma once

#include "child_process.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct xcb_connection_t;

namespace tally::test {

// One window program started by the rig (see test_window.cpp for its options).
class TestWindow
{
public:
    TestWindow(std::unique_ptr<ChildProcess> process, std::vector<std::uint32_t> ids, std::uint32_t child);

    std::uint32_t Id() const { return m_ids.front(); }
    const std::vector<std::uint32_t>& Ids() const { return m_ids; }
    std::uint32_t Child() const { return m_child; }
    ChildProcess& Process() { return *m_process; }

    // Sends "map", "unmap", "title T" or "quit" and waits until it was done.
    void Command(const std::string& line);

private:
    std::unique_ptr<ChildProcess> m_process;
    std::vector<std::uint32_t> m_ids;
    std::uint32_t m_child;
};

struct RigOptions
{
    bool WindowManager = true;
    bool Tray = false;                   // a notification-area host (trayer) at the top right, after the window manager
    std::vector<std::string> ServerArgs; // extra Xvfb arguments, e.g. {"-extension", "X-Resource"}
};

struct WindowStart
{
    bool PidNamespace = false; // run it inside a fresh user and PID namespace
    bool WaitShown = true;     // wait until it is mapped (and managed, with a window manager)
    std::string Program;       // a copy of the test window program under another name; default the built one
};

// A window found anywhere in the tree, top-level or embedded in another.
struct WindowInfo
{
    std::uint32_t Id = 0;
    int X = 0; // of its top-left corner on the root window
    int Y = 0;
    int Width = 0;
    int Height = 0;
    bool Viewable = false;
};

// A private X server (Xvfb on a free display number) with, when asked, an
// openbox window manager; both are stopped by their process ids.
class XRig
{
public:
    // Throws std::runtime_error with the reason when a part does not start.
    explicit XRig(RigOptions options = {});
    ~XRig();
    XRig(const XRig&) = delete;
    XRig& operator=(const XRig&) = delete;

    const std::string& Display() const { return m_display; }
    std::uint32_t Root() const;
    std::vector<std::string> Environment() const { return {"DISPLAY=" + m_display}; }

    std::unique_ptr<TestWindow> StartWindow(const std::vector<std::string>& args, WindowStart start = {});

    // xdotool on this display; its exit code.
    int Xdotool(const std::vector<std::string>& args);

    // Polls the condition every few milliseconds until it holds or time is up.
    static bool WaitUntil(const std::function<bool()>& condition,
                          std::chrono::milliseconds timeout = std::chrono::seconds(10));

    bool IsManaged(std::uint32_t window);  // listed by the window manager
    bool IsViewable(std::uint32_t window); // mapped on a mapped parent
    std::uint32_t ActiveWindow();          // the window manager's active window, or 0

    // Every window whose title (_NET_WM_NAME, else WM_NAME) is the text.
    std::vector<WindowInfo> FindWindows(const std::string& title);

    // The whole screen as a picture file (ImageMagick's import); its exit code.
    int Screenshot(const std::string& file);

    // Ends the X server (and the window manager with it), or starts a new one
    // on the same display number. Between the two the number stays taken
    // (a lock file of ours), so that a server another test starts meanwhile
    // does not take it.
    void StopServer();
    void RestartServer();

    // Whether this machine lets an unprivileged user create PID namespaces.
    static bool CanUnsharePid();
    static std::string TestWindowProgram();

private:
    void StartServer(bool pickDisplay);
    void StartWindowManager();
    void StartTray();
    void Connect();
    void Disconnect();
    void ReleaseDisplayLock();

    RigOptions m_options;
    // The X lock file that keeps the number of a stopped server; empty when none.
    std::string m_heldLock;
    std::string m_display;
    std::unique_ptr<ChildProcess> m_server;
    std::unique_ptr<ChildProcess> m_windowManager;
    std::unique_ptr<ChildProcess> m_tray;
    xcb_connection_t* m_c = nullptr;
};

} // namespace tally::test
