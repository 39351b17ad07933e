// The statistics window's "All computers" view: the tick, its log line and the read-only rows.
#include "shell/statistics/stat_controller.h"

#include "runlog/brisvale_log.h"
#include "shell/statistics/shared_computers.h"
#include "storage/shared_folder.h"
#include "view/all_computers.h"

namespace tally {

void StatController::SharingChanged()
{
    if (!m_form || ShuttingDown()) {
        return;
    }
    m_computers->SettingsChanged();
    ShowAllComputersItem();
    RefreshStat(true);
    RefreshStat(false);
}

void StatController::ShowAllComputersItem()
{
    const SharingSettings sharing = m_computers->Sharing();
    m_form->SetAllComputers(AllComputersOffered(sharing), sharing.AllComputers);
}

void StatController::AllComputersClicked(bool ticked)
{
    Log().WriteLine(0, std::string("AllComputers ") + (ticked ? "on" : "off"));
    Remember("AllComputers", [this, ticked] { WriteAllComputers(Settings(), ticked); });
    RefreshStat(true);
    RefreshStat(false);
}

void StatController::LogComputers(const std::vector<std::string>& lines)
{
    std::string text = "AllComputers:";
    for (const std::string& line : lines) {
        text += " " + line + ";";
    }
    // Once per change: the page is refilled every second while a timer runs.
    if (text != m_loggedComputers) {
        m_loggedComputers = text;
        Log().WriteLine(0, text);
    }
}

void StatController::UpdateDeleteItem()
{
    // Another computer's periods are read only here: its file is never
    // written by this program.
    if (m_form) {
        m_form->Command(StatCommand::DeleteLogItems).setEnabled(DeleteAllowed(m_form->LogPage().SelectedReadOnly()));
    }
}

} // namespace tally
