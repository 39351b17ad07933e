#pragma once

#include <filesystem>
#include <string_view>

namespace tally {

// The per-user data folder's name under the user's data home.
inline constexpr const char* kDataFolderName = "tallyhour-zide";

// A file of this name beside the program (its content does not matter)
// keeps the data there: the portable layout.
inline constexpr const char* kPortableMarker = "portable";

// Whether the user chose to keep the files beside the program: the folder
// already holds the data file, the settings file or the portable marker.
// Whether the folder can be written does not count; a build folder or an
// unpacked archive is writable without being meant to hold anyone's data.
bool IsPortableFolder(const std::filesystem::path& programFolder);

// Which folder holds the data, by the same rule on every system:
// - dataDirOverride (TALLYHOUR_DATA_DIR) when it is not empty, made absolute;
// - the program's folder when it is portable (above), even when it cannot
//   be written: the first failing write then reports it, rather than the
//   program quietly starting with no timers somewhere else;
// - otherwise perUserFolder, which the caller creates when missing.
// Only file-system queries, no system calls of one system, so both entry
// points share it.
struct DataFolderChoice
{
    std::filesystem::path Folder;
    bool PerUser = false; // the caller creates it
};
DataFolderChoice ChooseDataFolder(const std::filesystem::path& programFolder,
                                  const std::filesystem::path& perUserFolder,
                                  std::string_view dataDirOverride);

// A folder as InstallPath holds it: ending in a separator.
std::string WithTrailingSeparator(const std::filesystem::path& folder);

} // namespace tally
