#pragma once

#include "model/settings_store.h"
#include "storage/ini_document.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace tally {

class FileSystem;

inline constexpr const char* kSettingsFileName = "tallyhourlite.ini";

// Values longer than this are cut when read.
inline constexpr std::size_t kMaxSettingsValueLength = 2047;

// installPath ends in a separator, as InstallPath always does.
std::string SettingsFilePath(const std::string& installPath);

// The settings file. Reads see changes that other programs made to the file
// in the meantime: the file is parsed again whenever its modification time
// or size differs from what was last read. Every write goes to the file at
// once, by writing a whole new copy beside it and renaming it over the old
// one, so a crash never leaves half a file. A missing file reads as empty
// and is created by the first write.
class IniSettings final : public SettingsStore
{
public:
    IniSettings(FileSystem& files, std::filesystem::path path);

    // Cut to kMaxSettingsValueLength bytes (never inside a UTF-8 character).
    std::optional<std::string> Read(std::string_view section, std::string_view key) const override;
    // Throws SettingsWriteError naming the file when it cannot be written,
    // including when it exists but is read-only; the file and what Read
    // answers are then unchanged.
    void WriteString(std::string_view section, std::string_view key, std::string_view value) override;

    const std::filesystem::path& Path() const { return m_path; }

private:
    struct Stamp
    {
        std::filesystem::file_time_type Modified;
        std::uintmax_t Size = 0;
        bool operator==(const Stamp&) const = default;
    };

    static std::optional<Stamp> StampOf(const std::filesystem::path& path);
    void Refresh() const;

    FileSystem& m_files;
    std::filesystem::path m_path;
    // What the file held when last read or written, and its stamp then
    // (nothing when it did not exist).
    mutable IniDocument m_document;
    mutable std::optional<Stamp> m_stamp;
    mutable bool m_loaded = false;
    // False while the file exists but cannot be read.
    mutable bool m_readable = true;
};

// Cuts text to at most maxBytes without splitting a UTF-8 character.
std::string CutText(std::string text, std::size_t maxBytes);

} // namespace tally
