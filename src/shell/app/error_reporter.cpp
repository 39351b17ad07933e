#include "shell/app/error_reporter.h"

#include "storage/data_file.h"

namespace tally {

void ErrorReporter::ApplicationEvents1Exception(const std::string& message)
{
    m_log.WriteLine(0, "ApplicationEvents1Exception->");
    m_log.WriteLine(0, "Error: " + message);
    if (message.find("Socket Error # 10060") != std::string::npos) {
        return;
    }
    Tell(QStringLiteral("Tallyhour Zide"), QString::fromStdString(message));
}

void ErrorReporter::Tell(const QString& title, const QString& text)
{
    if (ShowMessage) {
        ShowMessage(title, text);
    }
}

void ErrorReporter::SaveReported(DataFile& data)
{
    Guarded([&data] { data.SafeSave(); });
}

} // namespace tally
