#pragma once

#include <filesystem>

namespace tally {

// The user's base folders for data and configuration.
struct UserDirs
{
    std::filesystem::path DataHome;   // ~/.local/share unless XDG_DATA_HOME names another
    std::filesystem::path ConfigHome; // ~/.config unless XDG_CONFIG_HOME names another

    // From XDG_DATA_HOME and XDG_CONFIG_HOME when they hold absolute paths
    // (relative ones are ignored, as the base-directory rules ask), else
    // from HOME, else from the password database.
    static UserDirs FromEnvironment();
};

} // namespace tally
