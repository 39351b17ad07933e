#pragma once

#include "model/time_model.h"
#include "shell/common/side_window.h"

#include <QString>

#include <functional>
#include <memory>

namespace tally {

class FileSystem;
class MainWindow;
class ProjectsController;
class TrackingEngine;

// What the statistics window works with; all of it outlives the window's
// controller.
struct StatEnv
{
    SideWindowParts Parts;
    TimeModel& Model;
    MainWindow& Window;
    TrackingEngine& Engine;
    ProjectsController& Projects;
    std::function<TDateTime()> Now;
    std::function<void()> PlayClick;
    // Where "Export work periods..." writes.
    FileSystem& Files;
};

// What the program asks of the statistics window's part. The part, with the
// chart and printing libraries it needs, is loaded only when the window is
// first asked for, so that a program that lives in the tray never maps them.
class StatisticsPart
{
public:
    virtual ~StatisticsPart() = default;

    // "Show statistic", its log line written: opens the window, or closes it.
    virtual void ToggleWindow() = 0;
    // "Show statistic" from the program itself (the window was left open).
    virtual void actShowHideStatExecute() = 0;
    // Stopped timers change the figures shown.
    virtual void TimersStopped() = 0;
    // The shared folder or its setting changed.
    virtual void SharingChanged() = 0;
    // Where the part tells the user of a damaged shared file or an
    // unreachable folder.
    virtual void SetSharingNotice(std::function<void(const QString& text)> notice) = 0;
};

using StatisticsFactory = std::function<std::unique_ptr<StatisticsPart>(StatEnv env)>;

// The part itself, for programs and tests that are built with it.
std::unique_ptr<StatisticsPart> MakeStatistics(StatEnv env);

// The loadable part and its maker.
inline constexpr char kStatisticsModule[] = "tallyhour-zide-statistics.so";
inline constexpr char kStatisticsCreateSymbol[] = "tally_statistics_create";
using StatisticsCreateFunction = StatisticsPart* (*)(const StatEnv* env);

} // namespace tally
