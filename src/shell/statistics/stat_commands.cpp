#include "runlog/brisvale_log.h"
#include "shell/common/time_log_window.h"
#include "shell/main_window/main_window.h"
#include "shell/main_window/timer_list_view.h"
#include "shell/statistics/stat_controller.h"
#include "stats/period_export.h"
#include "storage/file_io.h"
#include "view/stat_window.h"

#include <QDir>
#include <QFile>

// The statistics window's menu commands: the time log's items and the
// export.
namespace tally {

void StatController::actAddLogItemExecute()
{
    Log().WriteLine(0, "actAddLogItemExecute");
    m_env.PlayClick();
    if (!StatTimer(LiveObject())) {
        return;
    }
    TFormSetTime dialog(m_form);
    if (DialogOpening) {
        DialogOpening(dialog);
    }
    const int result = dialog.exec();
    if (ShuttingDown()) {
        // The program ended while the dialog was open; the lists are gone.
        return;
    }
    if (result == QDialog::Accepted
        && AddStatLogItem(LiveObject(), m_dates.StatDate, dialog.StartTime(), dialog.StopTime())) {
        RefreshStat(false);
    }
}

void StatController::actDelLogItemExecute()
{
    Log().WriteLine(0, "actDelLogItemExecute");
    m_env.PlayClick();
    if (!StatTimer(LiveObject()) || !m_form) {
        return;
    }
    if (Ask(QString::fromLatin1(kDeleteLogItemsQuestion)) != Answer::Yes || ShuttingDown() || !m_form) {
        return;
    }
    DeleteStatLogItems(LiveObject(), m_form->LogPage().SelectedPeriods());
    RefreshStat(false);
}

void StatController::pExportClick()
{
    Log().WriteLine(0, "pExportClick");
    const StatObject object = LiveObject();
    if (!m_form || std::holds_alternative<std::monostate>(object)) {
        return;
    }
    const QString path = AskExportPath(QDir::home().filePath(QStringLiteral("work-periods.csv")));
    if (path.isEmpty() || ShuttingDown() || !m_form) {
        return;
    }
    const std::vector<TMyTimer*> selected = m_env.Window.List().SelectedTimers();
    const std::string csv = ExportStatPeriods(LiveObject(),
                                              selected,
                                              m_env.Model,
                                              m_dates.StatDate,
                                              m_dates.StatEnd,
                                              m_form->ShownPage() == StatPage::Histogram);
    try {
        // Through a temporary file: a failed write leaves no half file.
        WriteFileAtomically(m_env.Files,
                            QFile::encodeName(path).toStdString(),
                            {reinterpret_cast<const std::uint8_t*>(csv.data()), csv.size()});
    } catch (const std::exception& e) {
        Log().WriteLine(0, "pExportClick failed");
        ExportFailed(QStringLiteral("The work periods could not be written: %1").arg(QString::fromStdString(e.what())));
    }
}

void StatController::CommandChosen(StatCommand command)
{
    switch (command) {
        case StatCommand::AddLogItem:
            actAddLogItemExecute();
            break;
        case StatCommand::DeleteLogItems:
            actDelLogItemExecute();
            break;
        case StatCommand::SetPeriod:
            pSetPeriodClick();
            break;
        case StatCommand::Print:
            pPrintClick();
            break;
        case StatCommand::Export:
            pExportClick();
            break;
        case StatCommand::Close:
            actShowHideStatExecute();
            break;
    }
}

} // namespace tally
