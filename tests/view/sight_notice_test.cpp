#include "model/datetime.h"
#include "view/main_list.h"
#include "view/timer_row.h"

#include <gtest/gtest.h>

namespace tally {
namespace {

const char* const kWindows = "This desktop does not let Tallyhour Zide see other programs' windows";
const char* const kKeys = "This desktop does not let Tallyhour Zide see keystrokes";
const char* const kIdle = "This desktop does not let Tallyhour Zide see when you are idle";

// Every type against each missing source: only the timers that need that
// source get a notice, and each names what is missing.
TEST(SightNotice, EachTimerTypeNamesOnlyTheSourceItNeeds)
{
    struct Case
    {
        TimerType Type;
        const char* NoWindows;
        const char* NoKeys;
        const char* NoIdle;
    };
    const Case cases[] {
        {ttManual, nullptr, nullptr, nullptr},
        {ttApplication, kWindows, nullptr, nullptr},
        {ttCaption, kWindows, nullptr, nullptr},
        {ttTyping, nullptr, kKeys, nullptr},
        {ttInternet, nullptr, nullptr, nullptr},
        {ttWorkTime, nullptr, nullptr, nullptr},
        {ttIdleTime, nullptr, nullptr, kIdle},
    };
    auto sentence = [](TimerType type, DesktopSight sight) -> std::string {
        const auto notice = TimerSightNotice(type, sight);
        return notice ? notice->Sentence : std::string("none");
    };
    for (const Case& c : cases) {
        const std::string none = "none";
        EXPECT_EQ(sentence(c.Type, {}), none) << int(c.Type);
        EXPECT_EQ(sentence(c.Type, {false, true, true}), c.NoWindows ? c.NoWindows : none) << int(c.Type);
        EXPECT_EQ(sentence(c.Type, {true, false, true}), c.NoKeys ? c.NoKeys : none) << int(c.Type);
        EXPECT_EQ(sentence(c.Type, {true, true, false}), c.NoIdle ? c.NoIdle : none) << int(c.Type);
    }
}

TEST(SightNotice, RowShowsItInPlaceOfTheBackgroundLineAndTheHintInFull)
{
    const TDateTime now = EncodeDateTime(2026, 5, 2, 10, 0, 0);
    TMyTimer timer;
    timer.Name = "Editor";
    timer.TimerType = ttCaption;
    timer.ActiveTime = kOneHour;
    timer.BackgroundTime = kOneMinute;
    const ListOptions totals {false, false};
    const DesktopSight blind {false, false, false};

    const TimerRowView row = MakeTimerRow(timer, totals, now, blind);
    EXPECT_EQ(row.ActiveText, "1:00:00");
    EXPECT_FALSE(row.BackgroundLine.has_value());
    EXPECT_EQ(row.Notice, "Cannot see windows");
    // The hint keeps the totals and adds the sentence.
    const TimerHintView hint = MakeTimerHint(timer, blind);
    EXPECT_EQ(hint.BackgroundText, "0:01:00");
    EXPECT_EQ(hint.Notice, kWindows);
    // A desktop that tells what is missing (GNOME's extension) has the hint say that instead.
    DesktopSight fixable = blind;
    fixable.WindowsFix = "enable the extension";
    EXPECT_EQ(MakeTimerHint(timer, fixable).Notice, "enable the extension");
    EXPECT_EQ(MakeTimerRow(timer, totals, now, fixable).Notice, "Cannot see windows");

    // Where the desktop sees windows the row is as it always was.
    const TimerRowView seen = MakeTimerRow(timer, totals, now);
    EXPECT_EQ(seen.BackgroundLine, "0:01:00");
    EXPECT_FALSE(seen.Notice.has_value());
    EXPECT_TRUE(MakeTimerHint(timer).Notice.empty());

    // Windows without their programs: application timers still count, and
    // their hint says how far.
    const DesktopSight noPrograms {true, false, true, false};
    EXPECT_TRUE(MakeTimerHint(timer, noPrograms).Notice.empty()) << "a caption timer needs no program";
    timer.TimerType = ttApplication;
    EXPECT_FALSE(MakeTimerRow(timer, totals, now, noPrograms).Notice.has_value());
    EXPECT_EQ(MakeTimerHint(timer, noPrograms).Notice, kUnmatchedProgramNotice);

    timer.TimerType = ttTyping;
    EXPECT_EQ(MakeTimerRow(timer, totals, now, blind).Notice, "Cannot see typing");
    timer.TimerType = ttManual;
    EXPECT_FALSE(MakeTimerRow(timer, totals, now, blind).Notice.has_value());
}

TEST(EmptyListGuidance, OnlyWhileNoTimerExistsAnywhere)
{
    TimeModel model;
    const auto guidance = EmptyListGuidance(model);
    ASSERT_TRUE(guidance.has_value());
    EXPECT_NE(guidance->find("Ctrl+N"), std::string::npos);
    // A timer of another project: the list is empty, yet a timer exists.
    model.Timers.Create().ProjectId = 7;
    EXPECT_FALSE(EmptyListGuidance(model).has_value());
}

} // namespace
} // namespace tally
