#include "platform/system/data_dir.h"

#include <sys/stat.h>

#include <system_error>

namespace tally {

namespace fs = std::filesystem;

std::string ProgramFilePath()
{
    std::error_code error;
    auto path = fs::read_symlink("/proc/self/exe", error);
    if (error) {
        return {};
    }
    std::string text = path.string();
    // A program replaced while it runs shows with this suffix.
    constexpr std::string_view kDeleted = " (deleted)";
    if (text.size() > kDeleted.size() && text.ends_with(kDeleted)) {
        text.resize(text.size() - kDeleted.size());
    }
    return text;
}

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

std::string ChooseInstallPath(const fs::path& programFolder, const UserDirs& dirs, std::string_view dataDirOverride)
{
    if (!dataDirOverride.empty()) {
        std::error_code error;
        fs::path chosen = fs::absolute(fs::path(dataDirOverride), error);
        if (error) {
            chosen = fs::path(dataDirOverride);
        }
        return (chosen / "").string();
    }
    if (IsPortableFolder(programFolder)) {
        return (programFolder / "").string();
    }
    const fs::path data = dirs.DataHome / kDataFolderName;
    std::error_code error;
    fs::create_directories(dirs.DataHome, error);
    // An existing folder is fine; any other failure is left to the first
    // write to report.
    static_cast<void>(::mkdir(data.c_str(), 0700));
    return (data / "").string();
}

} // namespace tally
