#include "storage/data_file.h"

#include "model/datetime.h"
#include "runlog/brisvale_log.h"
#include "storage/file_io.h"
#include "storage/storage_error.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>

namespace tally {

namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kMsPerMinute = 60000;
// Copies with the same second get a counter; beyond this something is wrong.
constexpr int kMaxCopyAttempts = 100;

} // namespace

DataFilePaths DataFilePaths::InDirectory(const std::filesystem::path& dir)
{
    return {(dir / kDataFileName).string(), (dir / kBackupFileName).string()};
}

DataFile::DataFile(TimeModel& model,
                   TBrisvaleLog& log,
                   const Clock& clock,
                   FileSystem& files,
                   DataFilePaths paths,
                   std::string programVersion)
    : m_model(model)
    , m_log(log)
    , m_clock(clock)
    , m_files(files)
    , m_paths(std::move(paths))
    , m_programVersion(std::move(programVersion))
{ }

LoadResult DataFile::Load(const std::string& path)
{
    m_log.WriteLine(0, "Load->");
    LoadResult result;
    if (path == m_paths.DataFile) {
        RemoveStaleTemporary(m_files, m_paths.DataFile);
        RemoveStaleTemporary(m_files, m_paths.BackupFile);
    }
    std::error_code ec;
    if (!fs::exists(path, ec)) {
        if (ec) {
            // A folder we may not search hides whether the file exists.
            throw DataFileError("cannot read " + path + ": " + ec.message());
        }
        return result;
    }
    TMemFileStream stream = ReadWholeFile(m_files, path);
    Clear();
    stream.Rewind();
    result.State = LoadResult::Status::Loaded;
    try {
        if (!ReadDataHeader(stream)) {
            result.Format = DataFormat::Legacy;
            stream.Rewind();
            LoadOldFrom(stream, path, result);
        } else {
            ReadDataBody(stream, m_model.Timers, m_model.Projects, m_log, result.Version);
        }
    } catch (const DataFileError& e) {
        m_log.WriteLine(0, "Invalid data file");
        result.State = LoadResult::Status::Invalid;
        result.Error = path + ": " + e.what();
        CopyAside(path, stream, result);
    }
    return result;
}

void DataFile::LoadOld(const std::string& path)
{
    std::error_code ec;
    if (!fs::exists(path, ec)) {
        m_log.WriteLine(0, "LoadOld->");
        return;
    }
    TMemFileStream stream = ReadWholeFile(m_files, path);
    LoadResult ignored;
    LoadOldFrom(stream, path, ignored);
}

void DataFile::LoadOldFrom(TMemFileStream& stream, const std::string& path, LoadResult& result)
{
    m_log.WriteLine(0, "LoadOld->");
    Clear();
    result.Markers = FindLegacyMarkers(fs::path(path).parent_path());
    ReadLegacyData(stream, result.Markers, m_model.Timers, m_model.Projects);
}

void DataFile::CopyAside(const std::string& path, const TMemFileStream& stream, LoadResult& result)
{
    // The bytes just read are the file's content; writing them avoids
    // reading the file a second time.
    const std::string base = InvalidCopyName(path, m_clock.Now());
    try {
        for (int attempt = 1; attempt <= kMaxCopyAttempts; ++attempt) {
            const std::string name = attempt == 1 ? base : base + "-" + std::to_string(attempt);
            if (WriteNewFile(m_files, name, stream.Bytes())) {
                result.InvalidCopyPath = name;
                return;
            }
        }
        result.CopyError = "cannot copy " + path + ": every name " + base + "-N is taken";
    } catch (const DataFileError& e) {
        result.CopyError = e.what();
    }
}

void DataFile::Save(const std::string& path)
{
    m_log.WriteLine(0, "Save->");
    if (m_released) {
        m_log.WriteLine(0, "Save refused: the lists were released");
        return;
    }
    const TMemFileStream image = WriteDataImage(m_model.Timers, m_model.Projects, m_programVersion);
    WriteFileAtomically(m_files, path, image.Bytes());
}

void DataFile::SafeSave()
{
    m_log.WriteLine(0, "SafeSave->");
    if (m_released) {
        m_log.WriteLine(0, "Save refused: the lists were released");
        return;
    }
    // One image for the data file and the shared copy.
    const TMemFileStream image = WriteDataImage(m_model.Timers, m_model.Projects, m_programVersion);
    try {
        m_log.WriteLine(0, "Save->");
        WriteFileAtomically(m_files, m_paths.DataFile, image.Bytes());
    } catch (const DataFileError& e) {
        try {
            Save(m_paths.BackupFile);
        } catch (const DataFileError& backupError) {
            throw SaveError(backupError.what(), std::string());
        }
        throw SaveError(std::string(e.what()) + "; the data is in " + m_paths.BackupFile, m_paths.BackupFile);
    }
    WriteSharedCopy(image);
}

void DataFile::WriteSharedCopy(const TMemFileStream& image)
{
    if (m_sharedCopy.empty()) {
        return;
    }
    try {
        WriteFileAtomically(m_files, m_sharedCopy, image.Bytes());
        m_sharedCopyFailing = false;
    } catch (const DataFileError& e) {
        m_log.WriteLine(0, std::string("Shared copy failed: ") + e.what());
        if (!m_sharedCopyFailing && m_onSharedCopyFailed) {
            m_onSharedCopyFailed(e.what());
        }
        m_sharedCopyFailing = true;
    }
}

void DataFile::Clear()
{
    m_log.WriteLine(0, "Clear->");
    // The view's rows point at the timers, so they go first.
    if (m_onClear) {
        m_onClear();
    }
    m_model.Timers.Clear();
}

void DataFile::Release()
{
    m_released = true;
    Clear();
}

const AutoSaveTimer& DataFile::SetAutoSave(int autoSaveIntervalMinutes)
{
    m_log.WriteLine(0, "SetAutoSave->");
    m_autoSave = {};
    if (autoSaveIntervalMinutes > 0) {
        // Window timers take an int of milliseconds; a longer interval than
        // that is kept at the longest one.
        const std::int64_t ms = std::int64_t {autoSaveIntervalMinutes} * kMsPerMinute;
        m_autoSave.IntervalMs = std::min<std::int64_t>(ms, std::numeric_limits<std::int32_t>::max());
        m_autoSave.Enabled = true;
    }
    return m_autoSave;
}

void DataFile::TimAutoSaveTimer()
{
    m_log.WriteLine(3, "TimAutoSaveTimer->");
    SafeSave();
}

std::string InvalidCopyName(const std::string& path, TDateTime now)
{
    // Whole seconds, carried into the date when the rounding reaches midnight.
    const std::int64_t seconds = std::llround(now * kSecondsPerDay);
    const std::int64_t day = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
    const std::int64_t secondOfDay = seconds - day * 86400;
    const CivilDate date = DecodeDate(static_cast<double>(day));
    char text[32];
    std::snprintf(text,
                  sizeof text,
                  ".invalid-%04d%02d%02d-%02d%02d%02d",
                  date.Year,
                  date.Month,
                  date.Day,
                  static_cast<int>(secondOfDay / 3600),
                  static_cast<int>(secondOfDay / 60 % 60),
                  static_cast<int>(secondOfDay % 60));
    return path + text;
}

} // namespace tally
