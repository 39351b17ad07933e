#include "stats/stat_log.h"

namespace tally {

LogPage ClearLog()
{
    return {};
}

LogPage FillLog(const StatObject& object, TDateTime statDate, TDateTime now, RunLogSink& log)
{
    log.WriteLine(0, "FillLog");
    const TMyTimer* timer = StatTimer(object);
    if (!timer) {
        return ClearLog();
    }
    return {LogTitle(statDate, now), LogRows(*timer, statDate)};
}

bool AddStatLogItem(const StatObject& object, TDateTime statDate, TDateTime startTime, TDateTime stopTime)
{
    TMyTimer* timer = StatTimer(object);
    return timer && AddLogPeriod(*timer, statDate, startTime, stopTime);
}

void DeleteStatLogItems(const StatObject& object, std::span<const TWorkPeriod* const> periods)
{
    if (TMyTimer* timer = StatTimer(object)) {
        DeleteLogPeriods(*timer, periods);
    }
}

} // namespace tally
