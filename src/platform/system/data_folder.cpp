#include "platform/system/data_folder.h"

#include <string>
#include <system_error>

namespace tally {

namespace fs = std::filesystem;

bool IsPortableFolder(const fs::path& programFolder)
{
    if (programFolder.empty()) {
        return false;
    }
    for (const char* name : {"timers.dat", "tallyhourlite.ini", kPortableMarker}) {
        // Any kind of entry counts: a damaged or unreadable data file must
        // be reported where it lies, not hidden by an empty list elsewhere.
        std::error_code error;
        if (fs::symlink_status(programFolder / name, error).type() != fs::file_type::not_found && !error) {
            return true;
        }
    }
    return false;
}

DataFolderChoice
ChooseDataFolder(const fs::path& programFolder, const fs::path& perUserFolder, std::string_view dataDirOverride)
{
    if (!dataDirOverride.empty()) {
        std::error_code error;
        fs::path chosen = fs::absolute(fs::path(dataDirOverride), error);
        if (error) {
            chosen = fs::path(dataDirOverride);
        }
        return {chosen, false};
    }
    if (IsPortableFolder(programFolder)) {
        return {programFolder, false};
    }
    return {perUserFolder, true};
}

std::string WithTrailingSeparator(const fs::path& folder)
{
    return (folder / "").string();
}

} // namespace tally
