#pragma once

#include "model/timer.h"
#include "platform/desktop.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tally {

enum class StateMark : std::uint8_t {
    None,   // switched off
    Green,  // running
    Yellow, // switched on, target absent
};

// What one row of the timer list shows, line by line.
struct TimerRowView
{
    std::string Name;
    std::string ActiveText;
    // Only application and caption timers have a background line.
    std::optional<std::string> BackgroundLine;
    // In place of the background line: the desktop hides what the timer
    // watches (see TimerSightNotice).
    std::optional<std::string> Notice;
    std::optional<std::uint32_t> ColorBar;
    StateMark Mark = StateMark::None;

    bool operator==(const TimerRowView&) const = default;
};

struct ListOptions
{
    bool ShowTodayTime = true;
    bool ShowColor = false;
};

// What a timer cannot see on this desktop: a short text for its row and a
// sentence for its hint. Application and caption timers need the windows,
// typing timers the keystrokes, idle timers the idle time; the others need
// nothing of the desktop.
struct SightNotice
{
    std::string RowText;
    std::string Sentence;

    bool operator==(const SightNotice&) const = default;
};

std::optional<SightNotice> TimerSightNotice(TimerType type, const DesktopSight& sight);

// The hint of an application timer on a desktop that does not tell which
// program a window belongs to: the timer still counts, as far as the
// windows' application ids lead to its programs.
inline constexpr const char* kUnmatchedProgramNotice
    = "This desktop does not tell which program a window belongs to; a program that cannot be found from its "
      "windows' application ids is not counted";

// sight: what the desktop lets the program see; a timer that needs more
// shows a notice in place of its background line.
TimerRowView
MakeTimerRow(const TMyTimer& timer, const ListOptions& options, TDateTime now, const DesktopSight& sight = {});

StateMark TimerStateMark(const TMyTimer& timer);

// Colours are 0x00BBGGRR.
inline constexpr std::uint32_t kRowTextColor = 0xFFFFFF;
inline constexpr std::uint32_t kRowSelectedTextColor = 0xF0CAA6;

// The floating hint for one timer: always the totals.
struct TimerHintView
{
    std::string Name;
    std::string ActiveText;
    std::string BackgroundText;
    std::string TotalText;
    std::string StateText;
    std::uint32_t StateColor = 0;
    std::string Notice; // empty unless the desktop hides what the timer watches
};

TimerHintView MakeTimerHint(const TMyTimer& timer, const DesktopSight& sight = {});

} // namespace tally
