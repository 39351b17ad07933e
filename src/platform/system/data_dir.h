#pragma once

#include "platform/system/user_dirs.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace tally {

// The per-user data folder's name under the user's data home.
inline constexpr const char* kDataFolderName = "tallyhour-zide";

// A file of this name beside the program (its content does not matter)
// keeps the data there: the portable layout.
inline constexpr const char* kPortableMarker = "portable";

// The full path of the running program; empty when it cannot be found.
std::string ProgramFilePath();

// Whether the user chose to keep the files beside the program: the folder
// already holds the data file, the settings file or the portable marker.
// Whether the folder can be written does not count; a build folder or an
// unpacked archive is writable without being meant to hold anyone's data.
bool IsPortableFolder(const std::filesystem::path& programFolder);

// Where the data file, the settings file, the run log and the marker files
// live, ending in a separator:
// - dataDirOverride (TALLYHOUR_DATA_DIR) when it is not empty, made absolute;
// - the program's folder when it is portable (above), even when it cannot
//   be written: the first failing write then reports it, rather than the
//   program quietly starting with no timers somewhere else;
// - otherwise the per-user data folder, which is created (for the user
//   alone) when missing. When even that cannot be created its path is
//   still the answer, so that the first failing write names it.
std::string ChooseInstallPath(const std::filesystem::path& programFolder,
                              const UserDirs& dirs,
                              std::string_view dataDirOverride = {});

} // namespace tally
