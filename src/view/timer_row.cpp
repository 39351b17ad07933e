#include "view/timer_row.h"

#include "model/duration.h"

namespace tally {

namespace {

constexpr std::uint32_t kMaroon = 0x000080;
constexpr std::uint32_t kOlive = 0x008080;
constexpr std::uint32_t kGreen = 0x008000;

bool HasBackgroundLine(const TMyTimer& timer)
{
    return timer.TimerType == ttApplication || timer.TimerType == ttCaption;
}

} // namespace

StateMark TimerStateMark(const TMyTimer& timer)
{
    if (!timer.Enabled) {
        return StateMark::None;
    }
    return timer.Suspended ? StateMark::Yellow : StateMark::Green;
}

TimerRowView MakeTimerRow(const TMyTimer& timer, const ListOptions& options, TDateTime now)
{
    TimerRowView row;
    row.Name = timer.Name;
    row.ActiveText = FormatDuration(options.ShowTodayTime ? timer.ActiveToday(now) : timer.ActiveTime);
    if (HasBackgroundLine(timer)) {
        row.BackgroundLine = FormatDuration(options.ShowTodayTime ? timer.BackgroundToday(now) : timer.BackgroundTime);
    }
    if (options.ShowColor) {
        row.ColorBar = timer.Color;
    }
    row.Mark = TimerStateMark(timer);
    return row;
}

TimerHintView MakeTimerHint(const TMyTimer& timer)
{
    TimerHintView hint;
    hint.Name = timer.Name;
    hint.ActiveText = FormatDuration(timer.ActiveTime);
    hint.BackgroundText = BackgroundText(timer, FormatDuration(timer.BackgroundTime));
    hint.TotalText = FormatDuration(timer.ActiveTime + timer.BackgroundTime);
    if (!timer.Enabled) {
        hint.StateText = "Timer disabled";
        hint.StateColor = kMaroon;
    } else if (timer.Suspended) {
        hint.StateText = "Timer is in suspend mode";
        hint.StateColor = kOlive;
    } else {
        hint.StateText = "Timer enabled";
        hint.StateColor = kGreen;
    }
    return hint;
}

} // namespace tally
