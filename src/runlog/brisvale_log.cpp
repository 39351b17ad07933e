#include "runlog/brisvale_log.h"

#include "model/datetime.h"
#include "model/version.h"
#include "runlog/log_files.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>

namespace tally {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// Replaces every occurrence; `make` runs only when the token is present.
template <typename Make>
void ReplaceToken(std::string& text, std::string_view token, Make&& make)
{
    std::size_t at = text.find(token);
    if (at == std::string::npos) {
        return;
    }
    const std::string value = make();
    while (at != std::string::npos) {
        text.replace(at, token.size(), value);
        at = text.find(token, at + value.size());
    }
}

std::string ErrnoReason(int error)
{
    return error != 0 ? std::generic_category().message(error) : std::string("unknown error");
}

} // namespace

TBrisvaleLog::TBrisvaleLog(const Clock& clock)
    : m_clock(clock)
    , m_versionReader([](const std::string&) { return std::string(kProgramVersion); })
{ }

void TBrisvaleLog::WriteLine(std::uint8_t level, std::string_view text)
{
    // The tracking tick calls this many times per second with levels that
    // are usually filtered: nothing may happen before this test.
    if (!m_active || level > m_logDetail) {
        return;
    }
    CheckSize();
    Append(FormatEntry(text));
}

void TBrisvaleLog::CheckSize()
{
    if (m_inSizeCheck) {
        return;
    }
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(m_logFileName, ec);
    if (ec || size <= static_cast<std::uintmax_t>(m_maxSizeKiB) * 1024U) {
        return;
    }
    bool handled = false;
    if (m_onMaxSize) {
        struct Reset
        {
            bool& flag;
            ~Reset() { flag = false; }
        };
        m_inSizeCheck = true;
        const Reset reset {m_inSizeCheck};
        m_onMaxSize(*this, handled);
    }
    if (!handled) {
        RunSizeAction();
    }
}

void TBrisvaleLog::RunSizeAction()
{
    // A failed size action leaves the log as it is; the entry is still
    // appended and the next entry tries again.
    switch (m_onMaxSizeAction) {
        case msaDeleteLog: {
            std::error_code ignored;
            fs::remove(m_logFileName, ignored);
            break;
        }
        case msaShiftLog:
            ShiftLogFile(m_logFileName, m_shiftStringsCount);
            break;
        case msaStartNewLog:
            if (auto next = NextLogFileName(m_logFileName, m_filePrefixDigitsCount)) {
                m_logFileName = std::move(*next);
            }
            break;
    }
}

std::string TBrisvaleLog::FormatEntry(std::string_view text)
{
    const ClockReading reading = m_clock.Read();
    // The tick count of a 32-bit millisecond counter: it wraps every 49.7 days.
    const auto tick = static_cast<std::uint32_t>(reading.TickMs);
    std::optional<std::string> date;
    std::optional<std::string> time;
    auto dateText = [&]() -> const std::string& {
        if (!date) {
            date = FormatShortDate(reading.Now);
        }
        return *date;
    };
    auto timeText = [&]() -> const std::string& {
        if (!time) {
            time = FormatLongTime(reading.Now);
        }
        return *time;
    };

    std::string entry(text);
    if (entry.find('%') != std::string::npos) {
        ReplaceToken(entry, "%date%", dateText);
        ReplaceToken(entry, "%time%", timeText);
        ReplaceToken(entry, "%ver%", [&] { return m_versionText; });
        ReplaceToken(entry, "%start%", [&] {
            m_startTick = tick;
            return std::string();
        });
        ReplaceToken(entry, "%stop%", [&] { return std::to_string(static_cast<std::uint32_t>(tick - m_startTick)); });
        ReplaceToken(entry, "%tick%", [&] { return std::to_string(tick); });
    }
    if (m_insertDate) {
        entry.insert(0, dateText() + " ");
    }
    constexpr std::string_view kNoTime = "%notime%";
    if (!m_insertTime || entry.find(kNoTime) != std::string::npos) {
        ReplaceToken(entry, kNoTime, [] { return std::string(); });
    } else {
        entry.insert(0, timeText() + " ");
    }
    return entry;
}

void TBrisvaleLog::Append(const std::string& entry)
{
    auto fail = [this](const char* what, int error) {
        if (m_raiseFileError) {
            throw RunLogFileError("run log " + m_logFileName + ": " + what + ": " + ErrnoReason(error));
        }
    };

    std::error_code ec;
    const bool existed = fs::exists(m_logFileName, ec);
    errno = 0;
    std::ofstream out(m_logFileName, std::ios::binary | std::ios::app);
    if (!out) {
        return fail(existed ? "cannot open for appending" : "cannot create", errno);
    }
    if (!existed) {
        out << m_logCaption << kLineEnd << kLineEnd;
    }
    out << entry << kLineEnd;
    out.flush();
    const int writeError = errno;
    out.close();
    if (out.fail()) {
        return fail("cannot write", writeError != 0 ? writeError : errno);
    }
}

void TBrisvaleLog::SetExecFileName(std::string path)
{
    m_execFileName = std::move(path);
    std::error_code ec;
    if (!m_execFileName.empty() && fs::exists(m_execFileName, ec)) {
        m_versionText = m_versionReader ? m_versionReader(m_execFileName) : std::string();
    }
}

void TBrisvaleLog::SetVersionReader(VersionReader reader)
{
    m_versionReader = std::move(reader);
}

void TBrisvaleLog::SetMaxSize(int kib)
{
    if (kib > 0) {
        m_maxSizeKiB = kib;
    }
}

void TBrisvaleLog::SetShiftStringsCount(int count)
{
    if (count > 0) {
        m_shiftStringsCount = count;
    }
}

void TBrisvaleLog::SetFilePrefixDigitsCount(int digits)
{
    if (digits >= 1 && digits <= 5) {
        m_filePrefixDigitsCount = digits;
    }
}

std::string StartupHeader(std::string_view programVersion, int logDetail)
{
    const std::string dashes(27, '-');
    std::string header = "\r\n%notime%" + dashes + "\r\nNew session %date% \r\nProgram version [";
    header += programVersion;
    header += "]\r\nLog detail = " + std::to_string(logDetail) + "\r\n" + dashes;
    return header;
}

} // namespace tally
