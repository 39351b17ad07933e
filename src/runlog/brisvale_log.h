#pragma once

#include "platform/clock.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tally {

enum TOnMaxSizeAction : int {
    msaDeleteLog = 0,
    msaShiftLog = 1,
    msaStartNewLog = 2,
};

// The diagnostic run log: a text file with CR LF lines, detail levels and a
// size limit. Off until Active is set.
class TBrisvaleLog
{
public:
    // Asked before the size action; setting handled skips it.
    using TOnMaxSizeNotifyEvent = std::function<void(TBrisvaleLog& sender, bool& handled)>;

    explicit TBrisvaleLog(const Clock& clock);

    // Appends one entry when the log is active and level <= LogDetail.
    // Never reports a failure unless RaiseFileError is set.
    void WriteLine(std::uint8_t level, std::string_view text);

    const std::string& LogFileName() const { return m_logFileName; }
    void SetLogFileName(std::string path) { m_logFileName = std::move(path); }
    const std::string& ExecFileName() const { return m_execFileName; }
    // Also sets the version text (%ver%) when the file exists.
    void SetExecFileName(std::string path, std::string versionText);
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
    int MaxSize() const { return m_maxSizeKiB; }
    void SetMaxSize(int kib);
    int LogDetail() const { return m_logDetail; }
    void SetLogDetail(int level) { m_logDetail = level; }
    TOnMaxSizeAction OnMaxSizeAction() const { return m_onMaxSizeAction; }
    void SetOnMaxSizeAction(TOnMaxSizeAction action) { m_onMaxSizeAction = action; }
    int ShiftStringsCount() const { return m_shiftStringsCount; }
    void SetShiftStringsCount(int count);
    int FilePrefixDigitsCount() const { return m_filePrefixDigitsCount; }
    void SetFilePrefixDigitsCount(int digits);
    void SetOnMaxSize(TOnMaxSizeNotifyEvent handler) { m_onMaxSize = std::move(handler); }
    const std::string& VersionText() const { return m_versionText; }

private:
    const Clock& m_clock;
    std::string m_logFileName;
    std::string m_execFileName;
    std::string m_logCaption;
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
    std::string m_versionText;
    std::uint32_t m_startTick = 0;
};

} // namespace tally
