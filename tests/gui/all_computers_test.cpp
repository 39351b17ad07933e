#include "model/datetime.h"
#include "runlog/brisvale_log.h"
#include "shell/app/sharing_commands.h"
#include "shell/main_window/main_window.h"
#include "shell/main_window/timer_list_view.h"
#include "shell/statistics/stat_controller.h"
#include "storage/data_file.h"

#include "gui_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tally {
namespace {

namespace fs = std::filesystem;

class AllComputersGuiTest : public test::AppTest
{
protected:
    // A laptop's file in the shared folder: "Write" 10-13 today.
    void WriteLaptop(const fs::path& share)
    {
        TimeModel model;
        TMyTimer& write = model.Timers.Create();
        write.Name = "Write";
        write.AddPeriod(EncodeDateTime(2026, 7, 1, 10, 0, 0), EncodeDateTime(2026, 7, 1, 13, 0, 0));
        write.ActiveTime = 3.0 / 24;
        TBrisvaleLog log(clock);
        DataFile data(model, log, clock, SystemFiles(), DataFilePaths::InDirectory(share.string()));
        data.Save(data.Paths().DataFile);
        fs::rename(share / std::string(kDataFileName), share / "laptop-0a1b.dat");
    }
};

// Shared through the menu, "All computers" ticked: the text page adds the
// laptop's hours and names both, the laptop's log row may not be deleted;
// stopping the share brings back this computer's figures alone.
TEST_F(AllComputersGuiTest, TheMenuSharesAndTheWindowShowsBothComputers)
{
    auto memory = std::make_unique<MemorySettings>();
    MemorySettings& settings = *memory;
    WriteQuietSettings(settings);
    settings.WriteString("Sharing", "ComputerName", "desk");
    StartApp(std::move(memory));
    app->Window().MainWindowShown = true;
    app->Window().show();
    const fs::path share = dir.Path() / "share";
    fs::create_directories(share);
    WriteLaptop(share);
    TMyTimer& write = app->Model().Timers.Create();
    write.Name = "Write";
    write.AddPeriod(EncodeDateTime(2026, 7, 1, 9, 0, 0), EncodeDateTime(2026, 7, 1, 11, 0, 0));
    write.ActiveTime = 2.0 / 24;
    app->Window().Draw();

    EXPECT_FALSE(app->Window().StopSharingItem().isEnabled());
    app->Sharing().AskFolder = [&](const QString&) { return QString::fromStdString(share.string()); };
    app->Window().ShareItem().trigger();
    EXPECT_EQ(settings.Read("Sharing", "Folder"), share.string());
    EXPECT_TRUE(app->Window().StopSharingItem().isEnabled());

    auto& stat = static_cast<StatController&>(*app->Statistics());
    stat.actShowHideStatExecute();
    TFormStat& form = *stat.Form();
    ASSERT_TRUE(form.AllComputersItem().isVisible());
    form.AllComputersItem().trigger();
    EXPECT_EQ(settings.Read("Sharing", "AllComputers"), "1");
    app->Window().List().item(0)->setSelected(true);
    emit app->Window().listClicked(&write);
    EXPECT_EQ(form.TextPage().lbtodayact->text(), QStringLiteral("4:00:00"));
    EXPECT_EQ(form.TextPage().lbComputers->text(),
              QStringLiteral("desk (this computer): 2:00:00 (40%)\nlaptop: 3:00:00 (60%)\n"
                             "Ran on two computers at once: 1:00:00, counted once"));

    form.Tabs().setCurrentIndex(2); // the log
    QTreeWidget& log = *form.LogPage().lvLog;
    ASSERT_EQ(log.topLevelItemCount(), 2);
    EXPECT_EQ(log.topLevelItem(1)->text(3), QStringLiteral("laptop"));
    log.topLevelItem(1)->setSelected(true);
    EXPECT_FALSE(form.Command(StatCommand::DeleteLogItems).isEnabled());
    log.clearSelection();
    log.topLevelItem(0)->setSelected(true);
    EXPECT_TRUE(form.Command(StatCommand::DeleteLogItems).isEnabled());

    app->Window().StopSharingItem().trigger();
    EXPECT_EQ(settings.Read("Sharing", "Folder"), "");
    EXPECT_FALSE(form.AllComputersItem().isVisible());
    EXPECT_EQ(log.topLevelItemCount(), 1);
    form.Tabs().setCurrentIndex(0);
    EXPECT_EQ(form.TextPage().lbtodayact->text(), QStringLiteral("2:00:00"));
    EXPECT_FALSE(form.TextPage().lbComputers->isVisible());
    EXPECT_TRUE(messages.empty()) << messages.front();
}

} // namespace
} // namespace tally
