#pragma once

#include <filesystem>
#include <string>

namespace tally::test {

// A fresh folder under the system's temporary directory, removed with its
// contents when the object goes.
class TempDir
{
public:
    // Under base, by default the system's temporary directory.
    explicit TempDir(const std::filesystem::path& base = std::filesystem::temp_directory_path());
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::string File(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);

} // namespace tally::test
