#pragma once

#include "model/datetime.h"
#include "model/time_model.h"

#include <string>

namespace tally::bench {

// A heavy user's lists: 50 application timers over five projects, with
// 100 000 periods each (5 million in all), active and background in turn,
// one every two minutes.
inline constexpr int kHeavyTimers = 50;
inline constexpr int kHeavyPeriodsPerTimer = 100'000;

inline void FillHeavyUserModel(TimeModel& model)
{
    for (int t = 0; t < kHeavyTimers; ++t) {
        TMyTimer& timer = model.Timers.Create();
        timer.Name = "Timer " + std::to_string(t);
        timer.Identifiers = {"program" + std::to_string(t) + ".exe"};
        timer.TimerType = ttApplication;
        timer.ProjectId = t % 5 + 1;
        double start = 44000.0 + t;
        for (int i = 0; i < kHeavyPeriodsPerTimer; ++i) {
            PeriodList& list = i % 2 == 0 ? timer.ActivePeriods : timer.BackgroundPeriods;
            list.Add(start, start + 37 * kOneSecond);
            start += 2 * kOneMinute;
        }
    }
    for (int p = 0; p < 5; ++p) {
        TTimeProject& project = model.Projects.Create();
        project.Id = p + 1;
        project.Name = "Project " + std::to_string(p);
    }
}

} // namespace tally::bench
