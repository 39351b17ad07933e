#include "model/datetime.h"
#include "stats/stat_dates.h"
#include "view/stat_window.h"

#include <gtest/gtest.h>

namespace tally {
namespace {

const TDateTime kToday = EncodeDate(2026, 6, 10);
const TDateTime kNow = kToday + EncodeTime(15, 30, 0);

TEST(StatDates, TrackBarsGiveTheChosenDayAndTheEnd)
{
    struct Case
    {
        int Position;
        int VisibleDays;
        std::int64_t DaysBack;
        int KeptPosition;
        int KeptScale;
    };
    const Case cases[] = {
        {367, 7, 0, 367, 7},
        {366, 7, 1, 366, 7},
        {0, 7, 367, 0, 7},
        {300, 99, 67, 300, 99},
        {-5, 0, 367, 0, 1}, // settings out of range are clamped, not refused
        {400, 120, 0, 367, 99},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Position);
        const StatDates dates = ComputeStatDates(c.Position, c.VisibleDays, kNow);
        EXPECT_EQ(DayOf(dates.StatDate), DayOf(kToday) - c.DaysBack);
        // The chosen day carries the current time of day.
        EXPECT_EQ(DecodeTime(dates.StatDate).Hour, 15);
        EXPECT_DOUBLE_EQ(dates.StatEnd - dates.StatDate, c.KeptScale);
        EXPECT_EQ(dates.Position, c.KeptPosition);
        EXPECT_EQ(dates.ScaleX, c.KeptScale);
    }
}

TEST(StatDates, ButtonsStepAndClamp)
{
    struct Case
    {
        int From;
        DateButton Button;
        int To;
    };
    const Case cases[] = {
        {350, DateButton::MonthForward, 367},
        {336, DateButton::MonthForward, 367},
        {335, DateButton::MonthForward, 366},
        {367, DateButton::DayForward, 367},
        {200, DateButton::DayBack, 199},
        {200, DateButton::DayForward, 201},
        {10, DateButton::MonthBack, 0},
        {0, DateButton::DayBack, 0},
        {100, DateButton::Today, 367},
        {367, DateButton::MonthBack, 336},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.From << " button " << static_cast<int>(c.Button));
        EXPECT_EQ(DateButtonPosition(c.From, c.Button), c.To);
    }
}

TEST(StatDates, ControlsFollowThePositionAndThePage)
{
    struct Case
    {
        StatPage Page;
        int Position;
        StatControls Want;
    };
    const Case cases[] = {
        {StatPage::Text, 367, {false, false, false, true, false, false}},
        {StatPage::Text, 0, {false, false, false, false, true, true}},
        {StatPage::Histogram, 366, {false, true, true, true, true, true}},
        {StatPage::Log, 200, {true, false, false, true, true, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Position);
        const StatControls got = UpdateStatControls(c.Page, c.Position);
        EXPECT_EQ(got.LogActions, c.Want.LogActions);
        EXPECT_EQ(got.VisibleDays, c.Want.VisibleDays);
        EXPECT_EQ(got.HistogramOnly, c.Want.HistogramOnly);
        EXPECT_EQ(got.Back, c.Want.Back);
        EXPECT_EQ(got.Forward, c.Want.Forward);
        EXPECT_EQ(got.GotoToday, c.Want.GotoToday);
    }
}

} // namespace
} // namespace tally
