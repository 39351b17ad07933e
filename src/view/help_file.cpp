#include "view/help_file.h"

#include <filesystem>
#include <system_error>

namespace tally {

std::string HelpFile(const std::string& programFolder)
{
    const std::filesystem::path folder(programFolder);
    const std::filesystem::path chm = folder / "help.chm";
    std::error_code error;
    if (std::filesystem::is_regular_file(chm, error)) {
        return chm.string();
    }
    return (folder / "help" / "index.html").string();
}

} // namespace tally
