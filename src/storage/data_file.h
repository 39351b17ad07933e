#pragma once

#include "model/time_model.h"
#include "model/version.h"
#include "storage/data_format.h"
#include "storage/legacy_format.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace tally {

class Clock;
class FileSystem;
class TBrisvaleLog;

inline constexpr std::string_view kDataFileName = "timers.dat";
inline constexpr std::string_view kBackupFileName = "~timersBackup.dat";

// Where the data file and its backup live.
struct DataFilePaths
{
    std::string DataFile;
    std::string BackupFile;

    // Both files in dir (the data directory).
    static DataFilePaths InDirectory(const std::filesystem::path& dir);
};

struct LoadResult
{
    enum class Status {
        // No file: the lists stay as they are.
        NoFile,
        Loaded,
        // The file ended early or held a value no valid file holds; what
        // was read completely is in the lists.
        Invalid,
    };

    Status State = Status::NoFile;
    DataFormat Format = DataFormat::Current;
    // The markers in force when the older layout was read.
    LegacyMarkers Markers;
    // The version text of a current-format file.
    std::string Version;
    // What was wrong with an invalid file.
    std::string Error;
    // Where an invalid file was copied before anything could overwrite it
    // (empty when the copy failed; CopyError then says why).
    std::string InvalidCopyPath;
    std::string CopyError;
};

// The autosave timer's settings; the shell's timer follows them.
struct AutoSaveTimer
{
    bool Enabled = false;
    std::int64_t IntervalMs = 0;
};

// The data file of one model: loading it whole at start-up, saving it whole
// after edits, periodically and at exit, and the import of older files.
class DataFile
{
public:
    DataFile(TimeModel& model,
             TBrisvaleLog& log,
             const Clock& clock,
             FileSystem& files,
             DataFilePaths paths,
             std::string programVersion = std::string(kProgramVersion));

    const DataFilePaths& Paths() const { return m_paths; }

    // Reads the file at path into the model's timers and projects. A file
    // without the header goes to the older-layout import. A file that
    // cannot be read whole is logged as "Invalid data file" and copied aside
    // first; an unreadable (not openable) file throws DataFileError, the
    // model untouched. Loading the data file first removes the temporary
    // files a save killed part-way left behind.
    LoadResult Load(const std::string& path);

    // Writes the complete file to path; throws DataFileError on failure.
    void Save(const std::string& path);

    // Saves to the data file; when that fails, writes the backup file and
    // throws SaveError with the data file's failure and the backup's path.
    // When the backup fails too, its failure is thrown instead (with no
    // backup path).
    void SafeSave();

    // A copy of the data written after every successful save, with the
    // same atomic write, to this computer's own file in a shared folder
    // (empty: none). A failed copy never touches the data file and never
    // fails the save: onFailed hears of it once, and again only after a copy
    // has succeeded in between.
    void SetSharedCopy(std::string path)
    {
        m_sharedCopy = std::move(path);
        m_sharedCopyFailing = false;
    }
    const std::string& SharedCopy() const { return m_sharedCopy; }
    void SetOnSharedCopyFailed(std::function<void(const std::string&)> onFailed)
    {
        m_onSharedCopyFailed = std::move(onFailed);
    }

    // Destroys every timer after telling the timer list view (SetOnClear) to
    // drop its rows. Projects are not touched.
    void Clear();
    // Clear for good, at the end of the program: from now on every save is
    // refused (and logged), so an empty list can never replace the file.
    void Release();
    bool Released() const { return m_released; }
    void SetOnClear(std::function<void()> onClear) { m_onClear = std::move(onClear); }

    // Imports an older file; markers are looked for beside it. Throws
    // DataFileError when the file ends early, keeping what was read.
    void LoadOld(const std::string& path);

    // Arms the autosave from the AutoSaveInterval setting (minutes; 0 or
    // less turns it off).
    const AutoSaveTimer& SetAutoSave(int autoSaveIntervalMinutes);
    const AutoSaveTimer& AutoSave() const { return m_autoSave; }
    // The autosave timer's handler.
    void TimAutoSaveTimer();

private:
    void LoadOldFrom(TMemFileStream& stream, const std::string& path, LoadResult& result);
    void CopyAside(const std::string& path, const TMemFileStream& stream, LoadResult& result);
    void WriteSharedCopy(const TMemFileStream& image);

    TimeModel& m_model;
    TBrisvaleLog& m_log;
    const Clock& m_clock;
    FileSystem& m_files;
    DataFilePaths m_paths;
    std::string m_programVersion;
    std::function<void()> m_onClear;
    AutoSaveTimer m_autoSave;
    bool m_released = false;
    std::string m_sharedCopy;
    std::function<void(const std::string&)> m_onSharedCopyFailed;
    bool m_sharedCopyFailing = false;
};

// The name an invalid file is copied to: path + ".invalid-YYYYMMDD-HHMMSS".
std::string InvalidCopyName(const std::string& path, TDateTime now);

} // namespace tally
