#include "runlog/brisvale_log.h"

namespace tally {

TBrisvaleLog::TBrisvaleLog(const Clock& clock)
    : m_clock(clock)
{ }

void TBrisvaleLog::WriteLine(std::uint8_t level, std::string_view text)
{
    if (!m_active || level > m_logDetail) {
        return;
    }
    (void)text;
}

void TBrisvaleLog::SetExecFileName(std::string path, std::string versionText)
{
    m_execFileName = std::move(path);
    m_versionText = std::move(versionText);
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

} // namespace tally
