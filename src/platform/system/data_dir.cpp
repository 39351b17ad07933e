#include "platform/system/data_dir.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

bool FolderWritable(const fs::path& folder)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto probe
            = folder / (".tallyhour-write-test-" + std::to_string(getpid()) + "-" + std::to_string(attempt));
        const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            ::unlink(probe.c_str());
            return true;
        }
        if (errno != EEXIST) {
            return false;
        }
    }
    return false;
}

std::string ChooseInstallPath(const fs::path& programFolder, const UserDirs& dirs)
{
    if (!programFolder.empty() && FolderWritable(programFolder)) {
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
