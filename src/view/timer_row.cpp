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

std::optional<SightNotice> TimerSightNotice(TimerType type, const DesktopSight& sight)
{
    switch (type) {
        case ttApplication:
        case ttCaption:
            if (!sight.Windows) {
                return SightNotice {"Cannot see windows",
                                    sight.WindowsFix.empty()
                                        ? "This desktop does not let Tallyhour Zide see other programs' windows"
                                        : sight.WindowsFix};
            }
            break;
        case ttTyping:
            if (!sight.Keystrokes) {
                return SightNotice {"Cannot see typing", "This desktop does not let Tallyhour Zide see keystrokes"};
            }
            break;
        case ttIdleTime:
            if (!sight.IdleTime) {
                return SightNotice {"Cannot see idle time",
                                    "This desktop does not let Tallyhour Zide see when you are idle"};
            }
            break;
        default:
            break;
    }
    return std::nullopt;
}

StateMark TimerStateMark(const TMyTimer& timer)
{
    if (!timer.Enabled) {
        return StateMark::None;
    }
    return timer.Suspended ? StateMark::Yellow : StateMark::Green;
}

TimerRowView MakeTimerRow(const TMyTimer& timer, const ListOptions& options, TDateTime now, const DesktopSight& sight)
{
    TimerRowView row;
    row.Name = timer.Name;
    row.ActiveText = FormatDuration(options.ShowTodayTime ? timer.ActiveToday(now) : timer.ActiveTime);
    if (auto notice = TimerSightNotice(timer.TimerType, sight)) {
        row.Notice = std::move(notice->RowText);
    } else if (HasBackgroundLine(timer)) {
        row.BackgroundLine = FormatDuration(options.ShowTodayTime ? timer.BackgroundToday(now) : timer.BackgroundTime);
    }
    if (options.ShowColor) {
        row.ColorBar = timer.Color;
    }
    row.Mark = TimerStateMark(timer);
    return row;
}

TimerHintView MakeTimerHint(const TMyTimer& timer, const DesktopSight& sight)
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
    if (auto notice = TimerSightNotice(timer.TimerType, sight)) {
        hint.Notice = std::move(notice->Sentence);
    } else if (timer.TimerType == ttApplication && !sight.Processes) {
        hint.Notice = kUnmatchedProgramNotice;
    }
    return hint;
}

} // namespace tally
