#pragma once

#include "model/run_log_sink.h"
#include "stats/stat_object.h"

#include <cstddef>
#include <optional>
#include <string>

namespace tally {

// The four figures of the text page, in days.
struct StatSums
{
    TDateTime DayActive = 0.0;
    TDateTime DayBackground = 0.0;
    TDateTime TotalActive = 0.0;
    TDateTime TotalBackground = 0.0;
};

// Adds one timer's figures for the chosen day (its running periods count
// when the day is today) and its totals.
void AddTimerSums(StatSums& sums, const TMyTimer& timer, TDateTime day, TDateTime now);

inline constexpr const char* kNoValue = "...";

// The value labels of the text page; every one reads "..." until filled.
struct TextStat
{
    std::string OnDate = kNoValue;   // after "Statistic on"
    std::string TodayAct = kNoValue; // chosen day
    std::string TodayBack = kNoValue;
    std::string TodaySumm = kNoValue;
    std::string TotalAct = kNoValue; // all time
    std::string TotalBack = kNoValue;
    std::string TotalSumm = kNoValue;
    // "Created:"; empty when the label keeps what it shows (a timer object
    // while no row is selected).
    std::optional<std::string> Creation = std::string(kNoValue);
};

// The empty page: every value "...".
TextStat ClearTextStat();

// The text page for the object on the chosen day. A timer object sums the
// selected timers, a project the listed timers that belong to it.
TextStat FillTextStat(
    const StatObject& object, const StatSelection& selection, TDateTime statDate, TDateTime now, RunLogSink& log);

// The caption bar's text; selectedTimers is the timer list's selected-row count.
std::string FillCaptInfo(const StatObject& object, std::size_t selectedTimers, RunLogSink& log);

} // namespace tally
