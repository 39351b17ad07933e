#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tally::x11 {

// The file name part of an executable link as /proc shows it, without the
// " (deleted)" mark of a replaced or removed file.
std::string ExecutableNameFromLink(std::string_view link);

// The executable file name of a running process: the target of procRoot/PID/exe,
// or the kernel's short name (procRoot/PID/comm) where that link cannot be
// read (another user's process, a kernel thread). Empty when the process is gone.
std::string ProcessExecutableName(int pid, const std::filesystem::path& procRoot = "/proc");

// This machine's host name, as clients write it into WM_CLIENT_MACHINE.
std::string LocalHostName();

} // namespace tally::x11
