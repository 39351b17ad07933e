#pragma once

#include "model/run_log_sink.h"
#include "platform/clock.h"

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tally {

enum TOnMaxSizeAction : int {
    msaDeleteLog = 0,
    msaShiftLog = 1,
    msaStartNewLog = 2,
};

// Thrown by WriteLine only when RaiseFileError is set and the log file
// cannot be created or appended to.
class RunLogFileError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The diagnostic run log: a text file with CR LF lines, detail levels and a
// size limit. Off until Active is set. Each entry opens, appends and closes
// the file, so nothing is held open between calls.
class TBrisvaleLog final : public RunLogSink
{
public:
    // Asked before the size action; setting handled skips it.
    using TOnMaxSizeNotifyEvent = std::function<void(TBrisvaleLog& sender, bool& handled)>;
    // Gives the version text of an existing program file; empty when it has none.
    using VersionReader = std::function<std::string(const std::string& execFileName)>;

    explicit TBrisvaleLog(const Clock& clock);

    // Appends one entry when the log is active and level <= LogDetail.
    // Never reports a failure unless RaiseFileError is set.
    void WriteLine(std::uint8_t level, std::string_view text) override;

    const std::string& LogFileName() const { return m_logFileName; }
    void SetLogFileName(std::string path) { m_logFileName = std::move(path); }
    const std::string& ExecFileName() const { return m_execFileName; }
    // Reads the version text (%ver%) through the version reader when the
    // file exists; otherwise the version text stays as it was.
    void SetExecFileName(std::string path);
    // Set before ExecFileName; the default answers kProgramVersion, since the
    // program only ever names its own executable.
    void SetVersionReader(VersionReader reader);
    const std::string& LogCaption() const { return m_logCaption; }
    void SetLogCaption(std::string caption) { m_logCaption = std::move(caption); }

    bool Active() const { return m_active; }
    void SetActive(bool active) { m_active = active; }
    bool InsertDate() const { return m_insertDate; }
    void SetInsertDate(bool on) { m_insertDate = on; }
    bool InsertTime() const { return m_insertTime; }
    void SetInsertTime(bool on) { m_insertTime = on; }
    bool RaiseFileError() const { return m_raiseFileError; }
    void SetRaiseFileError(bool on) { m_raiseFileError = on; }
    // KiB; values of 0 or less are ignored.
    int MaxSize() const { return m_maxSizeKiB; }
    void SetMaxSize(int kib);
    int LogDetail() const { return m_logDetail; }
    void SetLogDetail(int level) { m_logDetail = level; }
    TOnMaxSizeAction OnMaxSizeAction() const { return m_onMaxSizeAction; }
    void SetOnMaxSizeAction(TOnMaxSizeAction action) { m_onMaxSizeAction = action; }
    // Values of 0 or less are ignored.
    int ShiftStringsCount() const { return m_shiftStringsCount; }
    void SetShiftStringsCount(int count);
    // Only 1 to 5 are accepted.
    int FilePrefixDigitsCount() const { return m_filePrefixDigitsCount; }
    void SetFilePrefixDigitsCount(int digits);
    void SetOnMaxSize(TOnMaxSizeNotifyEvent handler) { m_onMaxSize = std::move(handler); }

    const std::string& VersionText() const { return m_versionText; }
    std::uint32_t StartTick() const { return m_startTick; }

private:
    void CheckSize();
    void RunSizeAction();
    std::string FormatEntry(std::string_view text);
    void Append(const std::string& entry);

    const Clock& m_clock;
    std::string m_logFileName;
    std::string m_execFileName;
    std::string m_logCaption = "Tallyhour Zide run log";
    bool m_active = false;
    bool m_insertDate = false;
    bool m_insertTime = true;
    bool m_raiseFileError = false;
    int m_maxSizeKiB = 1;
    int m_logDetail = 0;
    TOnMaxSizeAction m_onMaxSizeAction = msaShiftLog;
    int m_shiftStringsCount = 100;
    int m_filePrefixDigitsCount = 4;
    TOnMaxSizeNotifyEvent m_onMaxSize;
    VersionReader m_versionReader;
    std::string m_versionText;
    std::uint32_t m_startTick = 0;
    // Set while OnMaxSize runs, so a handler that logs does not recurse.
    bool m_inSizeCheck = false;
};

// The text of the entry written at level 0 at every start: six lines without
// a time prefix, the date filled in when it is written.
std::string StartupHeader(std::string_view programVersion, int logDetail);

} // namespace tally
