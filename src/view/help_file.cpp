#include "view/help_file.h"

#include <filesystem>
#include <system_error>

namespace tally {

namespace fs = std::filesystem;

std::string HelpFile(const std::string& programFolder)
{
    const fs::path folder(programFolder);
    std::error_code error;
    const fs::path chm = folder / "help.chm";
    if (fs::is_regular_file(chm, error)) {
        return chm.string();
    }
    const fs::path beside = folder / "help" / "index.html";
    if (fs::is_regular_file(beside, error)) {
        return beside.string();
    }
    const fs::path shared = (folder / ".." / "share" / "tallyhour-zide" / "help" / "index.html").lexically_normal();
    if (fs::is_regular_file(shared, error)) {
        return shared.string();
    }
    return beside.string();
}

} // namespace tally
