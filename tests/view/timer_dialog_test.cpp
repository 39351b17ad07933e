#include "model/datetime.h"
#include "platform/fake/fake_clock.h"
#include "runlog/brisvale_log.h"
#include "support/temp_dir.h"
#include "view/timer_dialog_logic.h"

#include <gtest/gtest.h>

namespace tally {
namespace {

std::uint32_t NoRandom(std::uint32_t)
{
    ADD_FAILURE() << "random colour drawn";
    return 0;
}

TEST(TimerDialog, ProposesNameAndColourFromTheTimerCount)
{
    bool nameEdited = false;
    TimerDialogLogic dialog(3, nameEdited);
    EXPECT_EQ(dialog.Name(), "New Timer4");
    EXPECT_EQ(NewTimerColor(3, NoRandom), 0x00FFFFu);
    EXPECT_EQ(NewTimerColor(15, NoRandom), 0xFFFFFFu);
    EXPECT_EQ(NewTimerColor(16, [](std::uint32_t max) { return max; }), 0xFFFFFEu);
    EXPECT_EQ(NewTimerColor(400, [](std::uint32_t) { return 0xFFFFFFFFu; }), 0xFFFFFEu);
    EXPECT_FALSE(nameEdited);
}

TEST(TimerDialog, SpecialTypesNameAnUntouchedTimer)
{
    bool nameEdited = false;
    TimerDialogLogic dialog(0, nameEdited);
    dialog.SelectType(TypeChoice::Special);
    EXPECT_EQ(dialog.Name(), "Typing time");
    dialog.SelectSpecial(2);
    EXPECT_EQ(dialog.Name(), "Computer work time");
    EXPECT_EQ(dialog.TimerType(), ttWorkTime);
    EXPECT_TRUE(dialog.SpecialListVisible());
    EXPECT_FALSE(dialog.IdentifiersVisible());
    EXPECT_TRUE(dialog.BackgroundTimesVisible());

    dialog.EditName("Mine");
    dialog.SelectSpecial(3);
    EXPECT_EQ(dialog.Name(), "Mine");
    EXPECT_EQ(dialog.TimerType(), ttIdleTime);
}

TEST(TimerDialog, ApplicationFilesAppendOnlyExecutablesButAlwaysName)
{
    bool nameEdited = false;
    TimerDialogLogic dialog(0, nameEdited);
    dialog.SelectType(TypeChoice::Application);
    dialog.AddApplicationFile("C:\\Apps\\Editor.EXE", true);
    EXPECT_EQ(dialog.Identifiers(), (std::vector<std::string> {"C:\\Apps\\Editor.EXE"}));
    EXPECT_EQ(dialog.Name(), "Editor.EXE");
    dialog.AddApplicationFile("/home/u/notes.txt", false);
    EXPECT_EQ(dialog.Identifiers().size(), 1u);
    EXPECT_EQ(dialog.Name(), "notes.txt");
    EXPECT_FALSE(nameEdited);
}

TEST(TimerDialog, EachListTypeKeepsItsOwnIdentifiers)
{
    bool nameEdited = false;
    TimerDialogLogic dialog(0, nameEdited);
    dialog.SelectType(TypeChoice::Application);
    dialog.AddApplicationFile("/usr/bin/gimp", true);
    dialog.AddApplicationFile("/usr/bin/inkscape", true);
    dialog.SelectType(TypeChoice::Caption);
    EXPECT_TRUE(dialog.Identifiers().empty());
    dialog.AddCaption("Inbox", scWithHidden);
    EXPECT_EQ(dialog.Name(), "Inbox");
    EXPECT_EQ(dialog.Scope(), 2);
    dialog.SelectType(TypeChoice::Application);
    EXPECT_EQ(dialog.Identifiers().size(), 2u);
    dialog.SelectType(TypeChoice::Caption);
    EXPECT_EQ(dialog.Identifiers(), (std::vector<std::string> {"Inbox"}));
    // Manual keeps whatever the list holds, and so does the stored timer.
    dialog.SelectType(TypeChoice::Manual);
    EXPECT_EQ(dialog.Identifiers(), (std::vector<std::string> {"Inbox"}));
    EXPECT_FALSE(dialog.IdentifiersVisible());
    EXPECT_FALSE(dialog.BackgroundTimesVisible());
    dialog.EditIdentifier(0, "Outbox");
    dialog.EditIdentifier(9, "ignored");
    EXPECT_EQ(dialog.Identifiers()[0], "Outbox");
    dialog.RemoveIdentifier(5);
    dialog.RemoveIdentifier(0);
    EXPECT_TRUE(dialog.Identifiers().empty());
}

TEST(TimerDialog, NamesAreCutAtSixtyFourBytesOnACharacterBoundary)
{
    bool nameEdited = false;
    TimerDialogLogic dialog(0, nameEdited);
    std::string name(63, 'a');
    name += "\xC3\xA4\xC3\xA4"; // two two-byte characters crossing the limit
    dialog.EditName(name);
    EXPECT_EQ(dialog.Name(), std::string(63, 'a'));
}

class TimerDialogResults : public ::testing::Test
{
protected:
    void SetUp() override
    {
        clock.Set(EncodeDateTime(2026, 2, 1, 12, 0, 0));
        log.SetLogFileName(dir.File("run.log"));
        log.SetActive(true);
    }
    test::TempDir dir;
    FakeClock clock;
    TBrisvaleLog log {clock};
    TimeModel model;
};

TEST_F(TimerDialogResults, ConfirmedNewTimerTakesEveryChoice)
{
    model.CurrPrjId = ShowAllId;
    bool nameEdited = false;
    TimerDialogLogic dialog(model.Timers.Count(), nameEdited);
    dialog.SetColor(0x00FF00);
    dialog.SelectType(TypeChoice::Caption);
    dialog.AddCaption("Report", scWithOwned);
    TMyTimer& t = dialog.CreateTimer(model, clock.Now(), log);
    EXPECT_EQ(model.Timers.Count(), 1u);
    EXPECT_EQ(t.Name, "Report");
    EXPECT_EQ(t.CreationDate, clock.Now());
    EXPECT_EQ(t.WindowScope, 1);
    EXPECT_EQ(t.Color, 0x00FF00u);
    EXPECT_EQ(t.ProjectId, ShowAllId);
    EXPECT_EQ(t.TimerType, ttCaption);
    EXPECT_TRUE(t.Enabled);
    EXPECT_NE(test::ReadFile(dir.File("run.log"))
                  .find("12:00:00 Report\r\n12:00:00 1\r\n12:00:00 -1\r\n12:00:00 2\r\n"
                        "12:00:00 Report\r\n"),
              std::string::npos);
}

TEST_F(TimerDialogResults, EditChangesOnlyTheDialogFieldsAndMarksTheNameEdited)
{
    TMyTimer& t = model.Timers.Create();
    t.Name = "Own name";
    t.TimerType = ttInternet;
    t.ProjectId = 4;
    t.ActiveTime = 1.0;
    t.CreationDate = 5.0;
    t.ActivePeriods.Add(1.0, 2.0);
    bool nameEdited = false;
    TimerDialogLogic dialog(model.Timers.Count(), nameEdited);
    dialog.LoadTimer(t);
    EXPECT_TRUE(nameEdited);
    EXPECT_EQ(dialog.Type(), TypeChoice::Special);
    EXPECT_EQ(dialog.SpecialIndex(), 1);
    dialog.SelectType(TypeChoice::Application);
    dialog.AddApplicationFile("/opt/x/app", true);
    EXPECT_EQ(dialog.Name(), "Own name"); // no automatic naming once edited
    dialog.ApplyTo(t);
    EXPECT_EQ(t.TimerType, ttApplication);
    EXPECT_EQ(t.Identifiers, (std::vector<std::string> {"/opt/x/app"}));
    EXPECT_EQ(t.ProjectId, 4);
    EXPECT_EQ(t.ActiveTime, 1.0);
    EXPECT_EQ(t.CreationDate, 5.0);
    EXPECT_EQ(t.ActivePeriods.Count(), 1u);

    // The flag outlives the dialog: the next new timer is not renamed.
    TimerDialogLogic next(model.Timers.Count(), nameEdited);
    next.SelectType(TypeChoice::Special);
    EXPECT_EQ(next.Name(), "New Timer2");
}

} // namespace
} // namespace tally
