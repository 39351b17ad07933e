// The statistics window as a part the program loads when the window is
// first asked for.
#include "shell/statistics/stat_controller.h"
#include "shell/statistics/statistics_part.h"

#include <QtGlobal>

namespace tally {

std::unique_ptr<StatisticsPart> MakeStatistics(StatEnv env)
{
    return std::make_unique<StatController>(std::move(env));
}

} // namespace tally

extern "C" {

// Checked before the part is used: it must come from the program's build.
Q_DECL_EXPORT const char* tally_part_build()
{
    return TALLY_BUILD_ID;
}

Q_DECL_EXPORT tally::StatisticsPart* tally_statistics_create(const tally::StatEnv* env)
{
    return tally::MakeStatistics(*env).release();
}
}
