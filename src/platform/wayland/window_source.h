#pragma once

#include "platform/desktop.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tally {

// One window as a compositor's window source tells it.
struct SeenWindow
{
    WindowHandle Handle = 0; // unique while the window lives; never 0
    std::string Title;
    std::string AppId;  // Wayland app id, or an X program's class
    int ProcessId = 0;  // 0: the source does not tell
    bool Owned = false; // a dialog of another window
    bool Focused = false;
};

// Where the Wayland desktop learns the windows: a compositor's IPC, a
// Wayland protocol, or a list pushed by a script that runs inside the
// compositor. A source keeps the current list; it calls the changed
// callback whenever the list or the focus changed, from its own Dispatch or
// from whatever delivers its pushes, never from inside Windows.
class WindowSource
{
public:
    using ChangedCallback = std::function<void()>;

    virtual ~WindowSource() = default;

    // For the run log and the census tool: "sway IPC", ...
    virtual std::string Name() const = 0;
    // Whether the windows come with their process ids.
    virtual bool KnowsProcesses() const = 0;
    // The windows now, the focused one flagged. May ask the compositor when
    // an event said the list is stale; throws std::runtime_error when it
    // cannot be asked.
    virtual const std::vector<SeenWindow>& Windows() = 0;
    // A descriptor to watch for the source's events, or -1 when its events
    // come another way (the Wayland connection, a bus).
    virtual int EventDescriptor() const { return -1; }
    // Reads what the descriptor has; throws std::runtime_error when the
    // compositor went away.
    virtual void Dispatch() { }
    // What the user must do before any list comes (a desktop extension
    // not yet running); empty when nothing is missing.
    virtual std::string Missing() const { return {}; }

    void SetChangedCallback(ChangedCallback onChanged) { m_onChanged = std::move(onChanged); }

protected:
    void Changed() const
    {
        if (m_onChanged) {
            m_onChanged();
        }
    }

private:
    ChangedCallback m_onChanged;
};

// A window list that someone else hands over whole (a desktop script over
// the bus): each push replaces the list and counts as a change.
class PushedWindowSource final : public WindowSource
{
public:
    PushedWindowSource(std::string name, bool knowsProcesses)
        : m_name(std::move(name))
        , m_knowsProcesses(knowsProcesses)
    { }

    std::string Name() const override { return m_name; }
    bool KnowsProcesses() const override { return m_knowsProcesses; }
    const std::vector<SeenWindow>& Windows() override { return m_windows; }

    void Push(std::vector<SeenWindow> windows)
    {
        m_windows = std::move(windows);
        Changed();
    }

private:
    std::string m_name;
    bool m_knowsProcesses;
    std::vector<SeenWindow> m_windows;
};

} // namespace tally
