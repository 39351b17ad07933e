#include "storage/shared_folder.h"

#include "platform/clock.h"
#include "runlog/brisvale_log.h"
#include "storage/data_file.h"
#include "storage/data_format.h"
#include "storage/file_io.h"
#include "storage/storage_error.h"

#include <algorithm>

namespace tally {

namespace fs = std::filesystem;

namespace {

constexpr const char* kFolderKey = "Folder";
constexpr const char* kComputerNameKey = "ComputerName";
constexpr const char* kAllComputersKey = "AllComputers";
constexpr std::string_view kExtension = ".dat";
// Enough of the machine id to tell two computers of the same name apart.
constexpr std::size_t kShortIdLength = 8;

// Reading a shared file logs nothing: the run log is this computer's.
class NoClock final : public Clock
{
public:
    ClockReading Read() const override { return {}; }
};

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

bool FileNameSafe(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_'
           || c == '.' || static_cast<unsigned char>(c) >= 0x80;
}

} // namespace

SharingSettings ReadSharingSettings(const SettingsStore& settings)
{
    SharingSettings sharing;
    sharing.Folder = settings.ReadString(kSharingSection, kFolderKey, "");
    sharing.ComputerName = settings.ReadString(kSharingSection, kComputerNameKey, "");
    sharing.AllComputers = settings.ReadBool(kSharingSection, kAllComputersKey, false);
    return sharing;
}

void WriteSharedFolder(SettingsStore& settings, std::string_view folder)
{
    settings.WriteString(kSharingSection, kFolderKey, folder);
}

void WriteAllComputers(SettingsStore& settings, bool allComputers)
{
    settings.WriteBool(kSharingSection, kAllComputersKey, allComputers);
}

std::string SharedFileName(const ComputerIdentity& computer)
{
    std::string name = computer.Name.empty() ? std::string("computer") : computer.Name;
    std::replace_if(
        name.begin(), name.end(), [](char c) { return !FileNameSafe(c); }, '_');
    // A leading dot would hide the file, and sync tools skip hidden names.
    if (name.front() == '.') {
        name.front() = '_';
    }
    std::string id;
    for (const char c : computer.MachineId) {
        if (id.size() < kShortIdLength && FileNameSafe(c) && c != '.') {
            id += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        }
    }
    if (id.empty()) {
        id.push_back('0');
    }
    return name + "-" + id + std::string(kExtension);
}

ComputerIdentity SharingIdentity(const SharingSettings& sharing, const ComputerIdentity& system)
{
    ComputerIdentity identity = system;
    if (!sharing.ComputerName.empty()) {
        identity.Name = sharing.ComputerName;
    }
    return identity;
}

std::string SharedCopyPath(const SharingSettings& sharing, const ComputerIdentity& system)
{
    if (sharing.Folder.empty()) {
        return {};
    }
    return (fs::path(sharing.Folder) / SharedFileName(SharingIdentity(sharing, system))).string();
}

std::string ConfigureSharedCopy(DataFile& data,
                                const SettingsStore& settings,
                                const ComputerIdentity& system,
                                std::function<void(const std::string&)> onFailed)
{
    std::string path = SharedCopyPath(ReadSharingSettings(settings), system);
    data.SetSharedCopy(path);
    data.SetOnSharedCopyFailed(std::move(onFailed));
    return path;
}

std::string ComputerOfFile(std::string_view fileName)
{
    std::string_view stem
        = EndsWith(fileName, kExtension) ? fileName.substr(0, fileName.size() - kExtension.size()) : fileName;
    const std::size_t dash = stem.rfind('-');
    if (dash != std::string_view::npos && dash > 0) {
        stem = stem.substr(0, dash);
    }
    return std::string(stem);
}

bool IsComputerFileName(std::string_view fileName)
{
    if (!EndsWith(fileName, kExtension) || fileName.size() == kExtension.size()) {
        return false;
    }
    if (fileName.find(".sync-conflict-") != std::string_view::npos || StartsWith(fileName, "~syncthing~")
        || StartsWith(fileName, ".syncthing.") || StartsWith(fileName, ".~lock") || StartsWith(fileName, ".st")) {
        return false;
    }
    return fileName != kDataFileName && fileName != kBackupFileName;
}

ComputerData ReadComputerFile(FileSystem& files, const std::string& path)
{
    ComputerData data;
    data.Path = path;
    data.Computer = ComputerOfFile(fs::path(path).filename().string());
    data.Model = std::make_unique<TimeModel>();
    TMemFileStream stream = ReadWholeFile(files, path);
    if (!ReadDataHeader(stream)) {
        throw DataFileError("not a data file of this program's current format");
    }
    NoClock clock;
    TBrisvaleLog quiet(clock);
    std::string version;
    ReadDataBody(stream, data.Model->Timers, data.Model->Projects, quiet, version);
    return data;
}

SharedFolderReader::SharedFolderReader(FileSystem& files, std::string folder, std::string ownFileName)
    : m_files(files)
    , m_folder(std::move(folder))
    , m_ownFileName(std::move(ownFileName))
{ }

bool SharedFolderReader::Refresh()
{
    m_notices.clear();
    std::error_code ec;
    std::map<std::string, Stamp> present;
    fs::directory_iterator it(m_folder, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code entryError;
        if (name == m_ownFileName || !IsComputerFileName(name) || !it->is_regular_file(entryError)) {
            continue;
        }
        Stamp stamp {it->last_write_time(entryError), it->file_size(entryError)};
        if (!entryError) {
            present.emplace(name, stamp);
        }
    }
    if (ec) {
        // What was read stays; the folder may be a network share that is
        // back in a moment.
        if (!m_unreachable) {
            m_notices.push_back("The shared folder " + m_folder + " cannot be read: " + ec.message());
        }
        m_unreachable = true;
        return false;
    }
    m_unreachable = false;
    bool changed = false;
    for (auto entry = m_entries.begin(); entry != m_entries.end();) {
        if (!present.contains(entry->first)) {
            changed = changed || entry->second.Data != nullptr;
            entry = m_entries.erase(entry);
        } else {
            ++entry;
        }
    }
    for (const auto& [name, stamp] : present) {
        auto found = m_entries.find(name);
        if (found != m_entries.end() && found->second.Seen == stamp) {
            continue;
        }
        Entry& entry = m_entries[name];
        entry.Seen = stamp;
        const std::string path = (fs::path(m_folder) / name).string();
        try {
            entry.Data = std::make_unique<ComputerData>(ReadComputerFile(m_files, path));
        } catch (const DataFileError& e) {
            // A half-synced file is complete at its next change; until then
            // the computer's last complete reading is dropped rather than
            // shown beside a damaged one.
            entry.Data.reset();
            m_notices.push_back("Skipped " + path + ": " + e.what());
        }
        changed = true;
    }
    m_ordered.clear();
    for (const auto& [name, entry] : m_entries) {
        if (entry.Data) {
            m_ordered.push_back(entry.Data.get());
        }
    }
    return changed;
}

} // namespace tally
