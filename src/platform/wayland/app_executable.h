#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace tally {

// The program file name a desktop entry's Exec line starts, or empty: the
// first word (quotes removed) after an "env" and its NAME=value settings.
std::string DesktopEntryExecutable(const std::string& entryText);

// The folders holding desktop entries: $XDG_DATA_HOME (or ~/.local/share)
// first, then each of $XDG_DATA_DIRS (or /usr/local/share:/usr/share), each
// with "applications" appended.
std::vector<std::filesystem::path> ApplicationDirs();

// Executable file names of the running processes (procRoot/PID/exe, else comm).
std::set<std::string> RunningExecutables(const std::filesystem::path& procRoot = "/proc");

// The executable of a window that comes with an app id but no process: the
// Exec of the desktop entry named after the app id (as it stands, then in
// lower case) in the first folder that has one; else a running executable
// named as the app id, its lower case, or the last dotted part of a
// reverse-domain id in lower case. Empty when nothing matches.
std::string ExecutableForAppId(const std::string& appId,
                               const std::vector<std::filesystem::path>& applicationDirs,
                               const std::set<std::string>& running);

} // namespace tally
