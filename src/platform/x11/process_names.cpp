#include "platform/x11/process_names.h"

#include <array>
#include <fstream>
#include <system_error>

#include <unistd.h>

namespace tally::x11 {

std::string ExecutableNameFromLink(std::string_view link)
{
    constexpr std::string_view deleted = " (deleted)";
    if (link.size() >= deleted.size() && link.substr(link.size() - deleted.size()) == deleted) {
        link.remove_suffix(deleted.size());
    }
    if (const auto slash = link.rfind('/'); slash != std::string_view::npos) {
        link.remove_prefix(slash + 1);
    }
    return std::string(link);
}

std::string ProcessExecutableName(int pid, const std::filesystem::path& procRoot)
{
    if (pid <= 0) {
        return {};
    }
    const auto dir = procRoot / std::to_string(pid);
    std::error_code error;
    const auto target = std::filesystem::read_symlink(dir / "exe", error);
    if (!error && !target.empty()) {
        if (auto name = ExecutableNameFromLink(target.string()); !name.empty()) {
            return name;
        }
    }
    std::ifstream comm(dir / "comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

std::string LocalHostName()
{
    std::array<char, 256> buffer {};
    if (gethostname(buffer.data(), buffer.size() - 1) != 0) {
        return {};
    }
    return std::string(buffer.data());
}

} // namespace tally::x11
