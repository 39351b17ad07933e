#pragma once

#include "model/settings_store.h"
#include "model/time_model.h"
#include "platform/computer_identity.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tally {

class DataFile;
class FileSystem;

// The settings of a folder shared with other computers, in a section of
// their own.
inline constexpr const char* kSharingSection = "Sharing";

struct SharingSettings
{
    // Empty: not shared.
    std::string Folder;
    // The name this computer's file carries; the system's name when empty.
    std::string ComputerName;
    // The statistics window's "All computers" tick.
    bool AllComputers = false;
};

SharingSettings ReadSharingSettings(const SettingsStore& settings);
// An empty folder stops sharing. Throws SettingsWriteError.
void WriteSharedFolder(SettingsStore& settings, std::string_view folder);
void WriteAllComputers(SettingsStore& settings, bool allComputers);

// "<computer name>-<short machine id>.dat", with every character a file name
// may not hold on some system replaced by '_'.
std::string SharedFileName(const ComputerIdentity& computer);

// This computer's identity as the settings name it (a set computer name
// replaces the system's).
ComputerIdentity SharingIdentity(const SharingSettings& sharing, const ComputerIdentity& system);

// Where this computer's copy goes; empty when no folder is shared.
std::string SharedCopyPath(const SharingSettings& sharing, const ComputerIdentity& system);

// Points the data file's shared copy at this computer's file in the shared
// folder the settings name (or at none), and where a failed copy is told.
// Returns the copy's path, empty when not shared.
std::string ConfigureSharedCopy(DataFile& data,
                                const SettingsStore& settings,
                                const ComputerIdentity& system,
                                std::function<void(const std::string&)> onFailed);

// The computer a shared file belongs to, as its name tells it: the file name
// without ".dat" and without the "-<id>" ending.
std::string ComputerOfFile(std::string_view fileName);

// Whether a name in the shared folder is to be read as another computer's
// file: a "*.dat" that is neither a sync tool's own file (conflict copies,
// temporary and lock files, its folder marker) nor a local data or backup
// file of this program.
bool IsComputerFileName(std::string_view fileName);

// Another computer's data, read only.
struct ComputerData
{
    std::string Computer;
    std::string Path;
    std::unique_ptr<TimeModel> Model;
};

// Reads one shared file through the data file reader; changes nothing on
// disk. Throws DataFileError for a file that is not a complete data file.
ComputerData ReadComputerFile(FileSystem& files, const std::string& path);

// The other computers' files of a shared folder, read again when one
// changes. Never writes, moves or deletes anything there.
class SharedFolderReader
{
public:
    // ownFileName: this computer's file, which is never read as another's.
    SharedFolderReader(FileSystem& files, std::string folder, std::string ownFileName);

    const std::string& Folder() const { return m_folder; }

    // Reads the files that are new or changed since the last call and drops
    // those that went away. Returns whether the set of computers or any of
    // their data changed. Notices() then holds what to tell the user about
    // this round: each damaged file once (until it changes), an unreachable
    // folder once (until it is back); what was read before stays.
    bool Refresh();

    // In file-name order.
    const std::vector<const ComputerData*>& Computers() const { return m_ordered; }
    const std::vector<std::string>& Notices() const { return m_notices; }

private:
    struct Stamp
    {
        std::filesystem::file_time_type Modified;
        std::uintmax_t Size = 0;
        bool operator==(const Stamp&) const = default;
    };
    struct Entry
    {
        Stamp Seen;
        // Null while the file at this stamp could not be read.
        std::unique_ptr<ComputerData> Data;
    };

    FileSystem& m_files;
    std::string m_folder;
    std::string m_ownFileName;
    std::map<std::string, Entry> m_entries;
    std::vector<const ComputerData*> m_ordered;
    std::vector<std::string> m_notices;
    bool m_unreachable = false;
};

} // namespace tally
