#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace tally {

// The per-user data home: LOCALAPPDATA, else APPDATA (values of the
// environment, passed in); empty when neither is set.
std::filesystem::path WindowsDataHome(std::string_view localAppData, std::string_view appData);

// InstallPath on Windows, ending in a separator: the override, the portable
// program folder, or tallyhour-zide under the data home, created when
// missing. Without any data home the program's folder is left, so that the
// data still have a place and the first failing write names it.
std::string ChooseWindowsInstallPath(const std::filesystem::path& programFolder,
                                     std::string_view localAppData,
                                     std::string_view appData,
                                     std::string_view dataDirOverride);

// One running instance per user session. A running instance shows by its
// hidden main window (which older versions have too); a named mutex closes
// the gap between two starts at the same moment, when neither window
// exists yet.
class SingleInstance
{
public:
    explicit SingleInstance(const char* mutexName = "Local\\TallyhourZide.SingleInstance");
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    bool Acquired() const { return m_acquired; }

private:
    HANDLE m_mutex = nullptr;
    bool m_acquired = false;
};

// A program of the GUI subsystem has no console: standard output and error
// that are not redirected go to the console of the program that started it,
// when there is one, so --help and --version show there.
void UseParentConsole();

} // namespace tally
