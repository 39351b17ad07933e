#pragma once

#include "platform/system/data_folder.h"
#include "platform/system/user_dirs.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace tally {

// The full path of the running program; empty when it cannot be found.
std::string ProgramFilePath();

// Where the data file, the settings file, the run log and the marker files
// live, ending in a separator: the folder ChooseDataFolder picks, with the
// per-user data folder under the XDG data home, which is created (for the
// user alone) when missing. When even that cannot be created its path is
// still the answer, so that the first failing write names it.
std::string ChooseInstallPath(const std::filesystem::path& programFolder,
                              const UserDirs& dirs,
                              std::string_view dataDirOverride = {});

} // namespace tally
