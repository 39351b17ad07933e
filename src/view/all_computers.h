#pragma once

#include "stats/computer_account.h"
#include "stats/histogram.h"
#include "stats/stat_log.h"
#include "stats/stat_object.h"
#include "stats/text_stat.h"
#include "storage/shared_folder.h"

#include <string>
#include <vector>

// The statistics window's "All computers": which figures it shows, which log
// rows are read only and what the text page says about the computers.
namespace tally {

inline constexpr const char* kAllComputersItem = "All computers";
inline constexpr const char* kThisComputerMark = " (this computer)";

// The tick is offered only while a folder is shared, and counts only then.
bool AllComputersOffered(const SharingSettings& sharing);
bool AllComputersShown(const SharingSettings& sharing);

// The text page over every computer, and a line per computer with time in
// the sums, then one saying what ran on two computers at once.
struct AllComputersText
{
    TextStat Page;
    std::vector<std::string> Lines;
};

// A timer object merges the selected timers' names (each name once), a
// project the projects list's selected project by its name.
AllComputersText MergedTextStat(const StatObject& object,
                                const StatSelection& selection,
                                const ComputerAccount& account,
                                TDateTime statDate,
                                TDateTime now);

// "<computer>: <time> (<n>%)"; the percentages are of the shares' own sum.
std::vector<std::string> ComputerLines(const MergedFigures& figures, const ComputerAccount& account);

// A time log row with the computer it ran on.
struct ComputerLogRow
{
    LogRow Row;
    std::string Computer;
    bool ReadOnly = true;
};

struct ComputerLogPage
{
    std::string Title = kNoTimerLogTitle;
    std::vector<ComputerLogRow> Rows;
};

// The closed active periods of every computer's timers of the object's name
// that began on the day, by start; only this computer's are writable.
ComputerLogPage MergedLog(const StatObject& object, const ComputerAccount& account, TDateTime statDate, TDateTime now);

// Deleting is offered for a selection of this computer's rows only.
bool DeleteAllowed(const std::vector<bool>& selectedReadOnly);

// Gives the series FillChart made the merged days of their timer's or
// project's name.
void MergeChart(HistogramChart& chart, const StatObject& object, const ComputerAccount& account, TDateTime now);

} // namespace tally
