#include "platform/win32/census.h"

#include <tlhelp32.h>

namespace tally {

namespace {

using CreateSnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
using ProcessWalkFn = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32*);

// Caption buffer: 1024 characters and the terminating zero.
constexpr int kCaptionChars = 1025;

template <typename Fn>
Fn Kernel32Function(const char* name)
{
    const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(kernel, name)));
}

} // namespace

std::string Caption(HWND window)
{
    char text[kCaptionChars] = {};
    const int length = ::GetWindowTextA(window, text, kCaptionChars);
    return length > 0 ? std::string(text, static_cast<std::size_t>(length)) : std::string();
}

ProcessTable::ProcessTable()
{
    // The ANSI entry points, as the names are kept in the ANSI code page.
    const auto createSnapshot = Kernel32Function<CreateSnapshotFn>("CreateToolhelp32Snapshot");
    const auto first = Kernel32Function<ProcessWalkFn>("Process32First");
    const auto next = Kernel32Function<ProcessWalkFn>("Process32Next");
    if (createSnapshot == nullptr || first == nullptr || next == nullptr) {
        return;
    }
    const HANDLE snapshot = createSnapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return;
    }
    m_available = true;
    PROCESSENTRY32 entry {};
    entry.dwSize = sizeof entry;
    for (BOOL more = first(snapshot, &entry); more; more = next(snapshot, &entry)) {
        // The first entry of a process id wins, as a walk from the start finds it.
        m_names.emplace(entry.th32ProcessID, entry.szExeFile);
        entry.dwSize = sizeof entry;
    }
    ::CloseHandle(snapshot);
}

std::string ProcessTable::NameOf(DWORD processId) const
{
    const auto found = m_names.find(processId);
    return found == m_names.end() ? std::string() : found->second;
}

DWORD WindowProcessId(HWND window)
{
    DWORD processId = 0;
    return ::GetWindowThreadProcessId(window, &processId) != 0 ? processId : 0;
}

std::string GetWindowProcessName(HWND window)
{
    const DWORD processId = WindowProcessId(window);
    if (processId == 0) {
        return {};
    }
    return ProcessTable().NameOf(processId);
}

std::vector<TopLevelWindow> WalkTopLevelWindows(HWND start, HWND skip, bool withProcessNames)
{
    std::vector<TopLevelWindow> windows;
    HWND window = start != nullptr ? ::GetWindow(start, GW_HWNDFIRST) : ::GetTopWindow(nullptr);
    // One snapshot for the whole walk instead of one per window.
    std::optional<ProcessTable> processes;
    if (withProcessNames) {
        processes.emplace();
    }
    for (; window != nullptr; window = ::GetWindow(window, GW_HWNDNEXT)) {
        if (window == skip) {
            continue;
        }
        TopLevelWindow info;
        info.Handle = FromHwnd(window);
        info.Caption = Caption(window);
        info.Visible = ::IsWindowVisible(window) != FALSE;
        info.Owned = ::GetWindow(window, GW_OWNER) != nullptr;
        if (processes && !info.Caption.empty()) {
            info.ProcessName = processes->NameOf(WindowProcessId(window));
        }
        windows.push_back(std::move(info));
    }
    return windows;
}

} // namespace tally
