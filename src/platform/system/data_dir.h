#pragma once

#include "platform/system/user_dirs.h"

#include <filesystem>
#include <string>

namespace tally {

// The per-user data folder's name under the user's data home.
inline constexpr const char* kDataFolderName = "tallyhour-zide";

// The full path of the running program; empty when it cannot be found.
std::string ProgramFilePath();

// Whether a file can be created in the folder: tried for real, since
// permission bits say nothing for root, ACLs or read-only mounts.
bool FolderWritable(const std::filesystem::path& folder);

// Where the data file, the settings file, the run log and the marker files
// live, ending in a separator: the program's folder when the program may
// write there (a portable copy), otherwise the per-user data folder, which
// is created (for the user alone) when missing. When even that cannot be
// created its path is still the answer, so that the first failing write
// names it.
std::string ChooseInstallPath(const std::filesystem::path& programFolder, const UserDirs& dirs);

} // namespace tally
