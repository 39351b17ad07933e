#pragma once

#include "model/project.h"
#include "model/timer_list.h"
#include "stats/stat_object.h"
#include "view/stat_controls.h"

#include <span>

namespace tally {

// The statistics window's home: 350 x 232, flush against the main window's
// right edge, 93 pixels below its top.
inline constexpr int kStatWidth = 350;
inline constexpr int kStatHeight = 232;
inline constexpr int kStatHomeOffsetY = 93;

struct StatRect
{
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    bool operator==(const StatRect&) const = default;
};

StatRect StatHomeRect(int mainLeft, int mainTop, int mainWidth);

// Stretched over the top half of the screen, with the main window moved to
// the middle so that it stays in sight below.
struct StatMaximised
{
    int MainTop = 0;
    int MaxHeight = 0;
    StatRect Stat;
};

StatMaximised MaximiseStat(int screenWidth, int screenHeight);

// The first selected timer of the main list, or nothing.
StatObject SelectedTimerObject(std::span<TMyTimer* const> selected);

// The object as long as the lists still hold it, otherwise nothing: a timer
// or project deleted by a path that did not reset the object must not be
// read.
StatObject LiveStatObject(const StatObject& object, const TimerList& timers, const ProjectList& projects);

} // namespace tally
