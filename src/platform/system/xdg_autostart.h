#pragma once

#include "platform/autostart.h"
#include "platform/system/user_dirs.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace tally {

// Autostart through a desktop entry in the user's autostart folder,
// <config home>/autostart/<program file name>.desktop, whose Exec line
// starts the program by its full path.
class XdgAutoStart final : public AutoStart
{
public:
    XdgAutoStart(std::filesystem::path programPath, const UserDirs& dirs);

    bool SetAutoStart(bool on) override;
    bool IsAutoStart() const override;

    const std::filesystem::path& EntryPath() const { return m_entryPath; }
    // The entry's whole text.
    std::string EntryText() const;

private:
    std::filesystem::path m_programPath;
    std::filesystem::path m_entryPath;
};

// The value of an Exec key that runs the program at path with no arguments:
// quoted as one argument, then escaped as a desktop-entry string.
std::string DesktopExecValue(std::string_view path);

} // namespace tally
