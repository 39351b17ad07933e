#include "platform/system/user_dirs.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace tally {

namespace {

std::filesystem::path HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        return home;
    }
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(static_cast<std::size_t>(size > 0 ? size : 16384));
    passwd entry {};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr
        && found->pw_dir != nullptr) {
        return found->pw_dir;
    }
    return "/";
}

std::filesystem::path FromVariable(const char* name, const std::filesystem::path& fallback)
{
    const char* value = std::getenv(name);
    if (value != nullptr && value[0] == '/') {
        return value;
    }
    return fallback;
}

} // namespace

UserDirs UserDirs::FromEnvironment()
{
    const auto home = HomeFolder();
    return {FromVariable("XDG_DATA_HOME", home / ".local" / "share"),
            FromVariable("XDG_CONFIG_HOME", home / ".config")};
}

} // namespace tally
