#include "platform/win32/version_info.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace tally {

std::string ProgramFilePath()
{
    std::vector<char> path(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            return std::string(path.data(), length);
        }
        path.resize(path.size() * 2);
    }
}

std::string FileVersionOf(const std::string& path)
{
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) {
        return {};
    }
    std::vector<char> block(size);
    if (!::GetFileVersionInfoA(path.c_str(), 0, size, block.data())) {
        return {};
    }
    struct Translation
    {
        WORD Language;
        WORD CodePage;
    };
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length)
        || length < sizeof(Translation)) {
        return {};
    }
    const auto* translation = static_cast<const Translation*>(value);
    char query[64];
    std::snprintf(query,
                  sizeof query,
                  "\\StringFileInfo\\%04x%04x\\FileVersion",
                  static_cast<unsigned>(translation->Language),
                  static_cast<unsigned>(translation->CodePage));
    char* text = nullptr;
    if (!::VerQueryValueA(block.data(), query, reinterpret_cast<void**>(&text), &length) || text == nullptr
        || length == 0) {
        return {};
    }
    // The length counts the terminating zero where there is one.
    std::string version(text, length);
    if (const auto end = version.find('\0'); end != std::string::npos) {
        version.resize(end);
    }
    return version;
}

std::string ProgramVersion()
{
    return FileVersionOf(ProgramFilePath());
}

} // namespace tally
