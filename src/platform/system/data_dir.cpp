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

std::string ChooseInstallPath(const fs::path& programFolder, const UserDirs& dirs, std::string_view dataDirOverride)
{
    const DataFolderChoice choice = ChooseDataFolder(programFolder, dirs.DataHome / kDataFolderName, dataDirOverride);
    if (!choice.PerUser) {
        return WithTrailingSeparator(choice.Folder);
    }
    const fs::path& data = choice.Folder;
    std::error_code error;
    fs::create_directories(dirs.DataHome, error);
    // An existing folder is fine; any other failure is left to the first
    // write to report.
    static_cast<void>(::mkdir(data.c_str(), 0700));
    return WithTrailingSeparator(data);
}

} // namespace tally
