#include "model/datetime.h"
#include "model/settings_store.h"
#include "platform/fake/fake_clock.h"
#include "runlog/brisvale_log.h"
#include "view/all_computers.h"
#include "view/menu_options.h"

#include <gtest/gtest.h>

namespace tally {
namespace {

const TDateTime kDay = EncodeDate(2026, 3, 2);
const TDateTime kNow = EncodeDate(2026, 3, 2) + EncodeTime(18, 0, 0);

TMyTimer& Worked(TimeModel& model, const std::string& name, std::vector<std::pair<double, double>> hours)
{
    TMyTimer& timer = model.Timers.Create();
    timer.Name = name;
    for (const auto& [from, to] : hours) {
        timer.ActivePeriods.Add(kDay + from / 24.0, kDay + to / 24.0);
        timer.ActiveTime += (to - from) / 24.0;
    }
    return timer;
}

// This computer 9-11, the laptop 10-13 of the same timer: the page counts
// 9-13 once, names both with their shares, says that an hour ran on both;
// the log lists the laptop's period read only, and the chart the sum.
TEST(AllComputersTest, OneTimerOnTwoComputersIsOneAccount)
{
    TimeModel own;
    TimeModel laptop;
    TMyTimer& write = Worked(own, "Write", {{9, 11}});
    Worked(laptop, "Write", {{10, 13}});
    Worked(laptop, "Read", {{9, 10}});
    const ComputerAccount account({"desk", &own}, {{"laptop", &laptop}});

    TMyTimer* selected[] = {&write};
    const StatSelection selection {selected, selected, nullptr};
    const AllComputersText text = MergedTextStat(StatObject(&write), selection, account, kDay, kNow);
    EXPECT_EQ(text.Page.TodayAct, "4:00:00");
    EXPECT_EQ(text.Page.TotalSumm, "4:00:00");
    EXPECT_EQ(text.Lines,
              (std::vector<std::string> {"desk (this computer): 2:00:00 (40%)",
                                         "laptop: 3:00:00 (60%)",
                                         "Ran on two computers at once: 1:00:00, counted once"}));

    const ComputerLogPage log = MergedLog(StatObject(&write), account, kDay, kNow);
    ASSERT_EQ(log.Rows.size(), 2u);
    EXPECT_EQ(log.Rows[0].Computer, "desk (this computer)");
    EXPECT_FALSE(log.Rows[0].ReadOnly);
    EXPECT_EQ(log.Rows[0].Row.Period, &write.ActivePeriods[0]);
    EXPECT_EQ(log.Rows[1].Computer, "laptop");
    EXPECT_TRUE(log.Rows[1].ReadOnly);
    EXPECT_EQ(log.Rows[1].Row.StartText, "10:00:00");
    EXPECT_TRUE(DeleteAllowed({false}));
    EXPECT_FALSE(DeleteAllowed({false, true}));
    EXPECT_TRUE(MergedLog(StatObject(&write), account, kDay + 1, kNow).Rows.empty());

    HistogramChart chart;
    chart.FirstDay = kDay - 3;
    chart.Series.push_back({"Write", 0, 0, {}});
    MergeChart(chart, StatObject(&write), account, kNow);
    ASSERT_EQ(chart.Series[0].Points.size(), 1u);
    EXPECT_EQ(chart.Series[0].Points[0].Day, kDay);
    EXPECT_DOUBLE_EQ(chart.Series[0].Points[0].Value, 4.0);
}

TEST(AllComputersTest, SharingItemsFollowTheSetting)
{
    MemorySettings settings;
    FakeClock clock;
    TBrisvaleLog log {clock};
    EXPECT_FALSE(SharingMenuState(ReadSharingSettings(settings)).StopEnabled);
    EXPECT_FALSE(ShareFolderChosen(settings, "", log)) << "a cancelled dialog";
    EXPECT_TRUE(ShareFolderChosen(settings, "/sync/time", log));
    EXPECT_FALSE(ShareFolderChosen(settings, "/sync/time", log)) << "the same folder again";
    EXPECT_TRUE(SharingMenuState(ReadSharingSettings(settings)).StopEnabled);

    // The tick is kept while not sharing, but counts only with a folder.
    WriteAllComputers(settings, true);
    EXPECT_TRUE(AllComputersShown(ReadSharingSettings(settings)));
    EXPECT_TRUE(StopSharingClicked(settings, log));
    EXPECT_FALSE(StopSharingClicked(settings, log));
    EXPECT_FALSE(AllComputersOffered(ReadSharingSettings(settings)));
    EXPECT_FALSE(AllComputersShown(ReadSharingSettings(settings)));
    EXPECT_FALSE(SharingMenuState(ReadSharingSettings(settings)).StopEnabled);
}

} // namespace
} // namespace tally
