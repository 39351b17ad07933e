#pragma once

#include <string>

namespace tally {

// The full path of the running program file.
std::string ProgramFilePath();

// The "FileVersion" text of a file's version resource, in the first
// language and code page it lists; empty when any step fails.
std::string FileVersionOf(const std::string& path);

// The program's version from its own version resource.
std::string ProgramVersion();

} // namespace tally
