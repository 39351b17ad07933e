#include "view/stat_window.h"

namespace tally {

StatRect StatHomeRect(int mainLeft, int mainTop, int mainWidth)
{
    return {mainLeft + mainWidth, mainTop + kStatHomeOffsetY, kStatWidth, kStatHeight};
}

StatMaximised MaximiseStat(int screenWidth, int screenHeight)
{
    const int half = screenHeight / 2;
    return {half, half, {0, 0, screenWidth, half}};
}

StatObject SelectedTimerObject(std::span<TMyTimer* const> selected)
{
    if (selected.empty() || !selected.front()) {
        return std::monostate {};
    }
    return selected.front();
}

StatObject LiveStatObject(const StatObject& object, const TimerList& timers, const ProjectList& projects)
{
    if (TMyTimer* timer = StatTimer(object)) {
        return timers.IndexOf(timer) >= 0 ? object : StatObject {};
    }
    if (TTimeProject* project = StatProject(object)) {
        return projects.IndexOf(project) >= 0 ? object : StatObject {};
    }
    return object;
}

} // namespace tally
