#include "platform/win32/startup.h"

#include "platform/system/data_folder.h"
#include "platform/win32/main_window.h"

#include <cstdio>
#include <system_error>

namespace tally {

namespace fs = std::filesystem;

fs::path WindowsDataHome(std::string_view localAppData, std::string_view appData)
{
    if (!localAppData.empty()) {
        return fs::path(localAppData);
    }
    return fs::path(appData);
}

std::string ChooseWindowsInstallPath(const fs::path& programFolder,
                                     std::string_view localAppData,
                                     std::string_view appData,
                                     std::string_view dataDirOverride)
{
    const fs::path home = WindowsDataHome(localAppData, appData);
    const fs::path perUser = home.empty() ? programFolder : home / kDataFolderName;
    const DataFolderChoice choice = ChooseDataFolder(programFolder, perUser, dataDirOverride);
    if (choice.PerUser) {
        // The user's profile is the user's alone already. An existing folder
        // is fine; any other failure is left to the first write to report.
        std::error_code error;
        fs::create_directories(choice.Folder, error);
    }
    return WithTrailingSeparator(choice.Folder);
}

SingleInstance::SingleInstance(const char* mutexName)
{
    if (HiddenMainWindow::FindRunningInstance() != nullptr) {
        return;
    }
    m_mutex = ::CreateMutexA(nullptr, FALSE, mutexName);
    // Without a mutex the window check alone decides.
    m_acquired = m_mutex == nullptr || ::GetLastError() != ERROR_ALREADY_EXISTS;
}

SingleInstance::~SingleInstance()
{
    if (m_mutex != nullptr) {
        ::CloseHandle(m_mutex);
    }
}

void UseParentConsole()
{
    const bool outMissing = ::GetStdHandle(STD_OUTPUT_HANDLE) == nullptr;
    const bool errMissing = ::GetStdHandle(STD_ERROR_HANDLE) == nullptr;
    if ((!outMissing && !errMissing) || !::AttachConsole(ATTACH_PARENT_PROCESS)) {
        return;
    }
    FILE* ignored = nullptr;
    if (outMissing) {
        static_cast<void>(::freopen_s(&ignored, "CONOUT$", "w", stdout));
    }
    if (errMissing) {
        static_cast<void>(::freopen_s(&ignored, "CONOUT$", "w", stderr));
    }
}

} // namespace tally
