#pragma once

#include "platform/desktop.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tally {

// The executable names of the running processes from one Tool Help
// snapshot. The Tool Help functions are looked up in kernel32 at run time;
// where they are missing every name is empty.
class ProcessTable
{
public:
    // Takes the snapshot.
    ProcessTable();

    // The executable file name of a process, or empty when it is not in the
    // snapshot.
    std::string NameOf(DWORD processId) const;
    bool Available() const { return m_available; }

private:
    std::unordered_map<DWORD, std::string> m_names;
    bool m_available = false;
};

// The top-level windows of start's Z order (0: the desktop's), top first,
// with captions of at most 1024 characters. skip is never listed. With
// withProcessNames every captioned window gets its executable name, all
// from one snapshot.
std::vector<TopLevelWindow> WalkTopLevelWindows(HWND start, HWND skip, bool withProcessNames);

// The executable name of the process that owns window, or empty.
std::string GetWindowProcessName(HWND window);

// The caption of a window, at most 1024 characters.
std::string Caption(HWND window);

// The process id of a window, 0 when it is gone.
DWORD WindowProcessId(HWND window);

inline HWND ToHwnd(WindowHandle handle)
{
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(handle));
}

inline WindowHandle FromHwnd(HWND window)
{
    return static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(window));
}

} // namespace tally
