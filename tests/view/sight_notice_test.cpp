#include "model/datetime.h"
#include "model/project_ops.h"
#include "platform/fake/fake_clock.h"
#include "runlog/brisvale_log.h"
#include "support/temp_dir.h"
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

    // Where the desktop sees windows the row is as it always was.
    const TimerRowView seen = MakeTimerRow(timer, totals, now);
    EXPECT_EQ(seen.BackgroundLine, "0:01:00");
    EXPECT_FALSE(seen.Notice.has_value());
    EXPECT_TRUE(MakeTimerHint(timer).Notice.empty());
    // A notice appearing is a change of the row (the list repaints it).
    EXPECT_NE(row, MakeTimerRow(timer, totals, now));

    timer.TimerType = ttTyping;
    EXPECT_EQ(MakeTimerRow(timer, totals, now, blind).Notice, "Cannot see typing");
    timer.TimerType = ttManual;
    EXPECT_FALSE(MakeTimerRow(timer, totals, now, blind).Notice.has_value());
}

class ListNoticeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        clock.Set(EncodeDateTime(2026, 5, 2, 8, 0, 0));
        log.SetLogFileName(dir.File("run.log"));
        log.SetActive(true);
        CreatePrjDefObjs(model, log);
    }

    test::TempDir dir;
    FakeClock clock;
    TBrisvaleLog log {clock};
    TimeModel model;
};

TEST_F(ListNoticeTest, GuidanceOnlyWhileNoTimerExistsAnywhere)
{
    const auto guidance = EmptyListGuidance(model);
    ASSERT_TRUE(guidance.has_value());
    EXPECT_NE(guidance->find("Ctrl+N"), std::string::npos);
    EXPECT_NE(guidance->find('+'), std::string::npos);

    // A timer of another project: this list is empty, yet a timer exists.
    model.Timers.Create().ProjectId = 7;
    EXPECT_TRUE(Draw(model, log).empty());
    EXPECT_FALSE(EmptyListGuidance(model).has_value());
}

TEST_F(ListNoticeTest, RunLogNamesEachListedTimerWithANotice)
{
    TMyTimer& caption = model.Timers.Create();
    caption.Name = "Caption";
    caption.TimerType = ttCaption;
    TMyTimer& manual = model.Timers.Create();
    manual.Name = "Manual";
    const std::vector<TMyTimer*> rows {&caption, &manual};

    LogSightNotices(rows, {}, log);
    LogSightNotices(rows, {false, true, true}, log);
    const std::string text = test::ReadFile(dir.File("run.log"));
    EXPECT_EQ(text.find("Notice, Manual"), std::string::npos);
    const auto first = text.find(std::string("Notice, Caption: ") + kWindows);
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(text.find("Notice, Caption", first + 1), std::string::npos) << "logged once, for the blind desktop";
}

} // namespace
} // namespace tally
