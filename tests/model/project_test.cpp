#include "model/datetime.h"
#include "model/project_ops.h"
#include "model/settings_store.h"
#include "platform/fake/fake_clock.h"
#include "runlog/brisvale_log.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace tally {
namespace {

class ProjectTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        clock.Set(EncodeDateTime(2026, 3, 14, 9, 30, 0));
        log.SetLogFileName(dir.File("run.log"));
        log.SetLogCaption("caption");
        log.SetActive(true);
        log.SetLogDetail(0);
        CreatePrjDefObjs(model, log);
    }

    TTimeProject& NewProject(const std::string& name)
    {
        ProjectValues values;
        values.Name = name;
        return AddProject(model, values, clock.Now(), settings, log);
    }

    TMyTimer& NewTimer(std::int32_t projectId)
    {
        TMyTimer& timer = model.Timers.Create();
        timer.ProjectId = projectId;
        return timer;
    }

    std::string LogText() const { return test::ReadFile(dir.File("run.log")); }

    test::TempDir dir;
    FakeClock clock;
    TBrisvaleLog log {clock};
    MemorySettings settings;
    TimeModel model;
};

TEST_F(ProjectTest, PseudoProjectsAreMadeOnce)
{
    ASSERT_TRUE(model.ShowAllPrj && model.NonProjectPrj);
    EXPECT_EQ(model.ShowAllPrj->Id, ShowAllId);
    EXPECT_EQ(model.ShowAllPrj->Name, "Show all timers");
    EXPECT_EQ(model.ShowAllPrj->Color, 0xC0C0C0u);
    EXPECT_EQ(model.NonProjectPrj->Id, NonProjectId);
    EXPECT_EQ(model.NonProjectPrj->Name, "Non project timers");
    EXPECT_EQ(model.NonProjectPrj->Color, 0xFFFFFFu);
    EXPECT_TRUE(model.Projects.Empty());
    EXPECT_EQ(model.CurrPrjId, NonProjectId);
    EXPECT_EQ(LogText(), "caption\r\n\r\n09:30:00 CreatePrjDefObjs\r\n");
}

TEST_F(ProjectTest, IdsGrowPastTheCounterAndEveryExistingId)
{
    EXPECT_EQ(NewProject("first").Id, 1);
    EXPECT_EQ(settings.ReadInteger("main", "PrjIdCounter", -5), 1);

    model.Projects.Clear();
    settings.WriteInteger("main", "PrjIdCounter", 5);
    model.Projects.Create().Id = 9;
    model.Projects.Create().Id = 2;
    EXPECT_EQ(NewProject("above nine").Id, 10);
    EXPECT_EQ(settings.ReadInteger("main", "PrjIdCounter", 0), 10);

    model.Projects.Clear();
    settings.WriteInteger("main", "PrjIdCounter", 12);
    model.Projects.Create().Id = 3;
    model.Projects.Create().Id = 4;
    EXPECT_EQ(NewProject("above counter").Id, 13);

    // An edited counter below zero never hands out a pseudo-project's id.
    model.Projects.Clear();
    settings.WriteString("main", "PrjIdCounter", "-7");
    EXPECT_EQ(NewProject("positive").Id, 1);
    EXPECT_NE(LogText().find("GetPrjIdCounter: Integer->\r\n"), std::string::npos);
}

TEST_F(ProjectTest, NewProjectTakesDialogValuesAndCreationTime)
{
    ProjectValues values;
    values.Name = "Site";
    values.Description = "two\nlines";
    values.Color = 0x00112233;
    values.StartDate = EncodeDate(2026, 4, 1);
    values.TotalPrice = Money {123400};
    TTimeProject& p = AddProject(model, values, clock.Now(), settings, log);
    EXPECT_EQ(p.Name, "Site");
    EXPECT_EQ(p.Description, "two\nlines");
    EXPECT_EQ(p.Color, 0x00112233u);
    EXPECT_EQ(p.CreationDate, clock.Now());
    EXPECT_EQ(p.StartDate, EncodeDate(2026, 4, 1));
    EXPECT_EQ(p.EndDate, 0.0);
    EXPECT_EQ(p.TotalPrice, Money {123400});
    EXPECT_EQ(p.ReservedAmount, Money {});
    EXPECT_EQ(&model.Projects[model.Projects.Count() - 1], &p);
}

TEST_F(ProjectTest, FailedCounterWriteCreatesNoProject)
{
    settings.SetReadOnly(true);
    EXPECT_THROW(NewProject("lost"), SettingsWriteError);
    EXPECT_TRUE(model.Projects.Empty());
}

TEST_F(ProjectTest, UpdateKeepsIdentityFieldsAndSavesAtOnce)
{
    TTimeProject& p = NewProject("old");
    p.ReservedAmount = Money {77};
    const TDateTime created = p.CreationDate;
    int saves = 0;
    ProjectValues values;
    values.Name = "new";
    values.TotalPrice = Money {5};
    UpdateProject(p, values, [&] { ++saves; });
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(p.Name, "new");
    EXPECT_EQ(p.Id, 1);
    EXPECT_EQ(p.CreationDate, created);
    EXPECT_EQ(p.ReservedAmount, Money {77});
    EXPECT_EQ(p.TotalPrice, Money {5});
}

TEST_F(ProjectTest, ViewFilterFollowsTheCurrentProject)
{
    TTimeProject& p = NewProject("p");
    TMyTimer& inProject = NewTimer(p.Id);
    TMyTimer& free = NewTimer(NonProjectId);
    TMyTimer& showAllOnly = NewTimer(ShowAllId);
    TMyTimer& orphan = NewTimer(42);

    EXPECT_TRUE(InView(free, NonProjectId));
    EXPECT_FALSE(InView(inProject, NonProjectId));
    EXPECT_TRUE(InView(inProject, p.Id));
    for (TMyTimer* t : {&showAllOnly, &orphan}) {
        EXPECT_FALSE(InView(*t, NonProjectId));
        EXPECT_FALSE(InView(*t, p.Id));
        EXPECT_TRUE(InView(*t, ShowAllId));
    }
    EXPECT_TRUE(InView(inProject, ShowAllId));
}

TEST_F(ProjectTest, MoveTimersSetsAnyIdAndLogs)
{
    TMyTimer& a = NewTimer(0);
    TMyTimer& b = NewTimer(3);
    TMyTimer* selection[] = {&a, &b};
    MoveTimers(selection, ShowAllId, log);
    EXPECT_EQ(a.ProjectId, ShowAllId);
    EXPECT_EQ(b.ProjectId, ShowAllId);
    EXPECT_NE(LogText().find("MoveTimers->\r\n"), std::string::npos);
}

TEST_F(ProjectTest, DeleteMovesOrDestroysEveryTimerOfTheProject)
{
    TTimeProject& keep = NewProject("keep");
    TTimeProject& gone = NewProject("gone");
    NewTimer(gone.Id).Name = "g1";
    NewTimer(keep.Id).Name = "k1";
    NewTimer(gone.Id).Name = "g2";
    const std::int32_t goneId = gone.Id;
    model.CurrPrjId = keep.Id; // timers not in view are affected all the same

    DeleteProject(model, gone, false);
    EXPECT_EQ(model.Projects.Count(), 1u);
    EXPECT_EQ(model.Projects.FindById(goneId), nullptr);
    ASSERT_EQ(model.Timers.Count(), 3u);
    EXPECT_EQ(model.Timers[0].ProjectId, NonProjectId);
    EXPECT_EQ(model.Timers[1].ProjectId, keep.Id);
    EXPECT_EQ(model.Timers[2].ProjectId, NonProjectId);

    TTimeProject& doomed = NewProject("doomed");
    NewTimer(doomed.Id).Name = "d1";
    NewTimer(doomed.Id).Name = "d2";
    DeleteProject(model, doomed, true);
    ASSERT_EQ(model.Timers.Count(), 3u);
    EXPECT_EQ(model.Timers[0].Name, "g1");
    EXPECT_EQ(model.Timers[1].Name, "k1");
    EXPECT_EQ(model.Timers[2].Name, "g2");

    // A project without timers only goes itself.
    TTimeProject& empty = NewProject("empty");
    EXPECT_FALSE(ProjectHasTimers(model.Timers, empty));
    DeleteProject(model, empty, true);
    EXPECT_EQ(model.Timers.Count(), 3u);
    EXPECT_EQ(model.Projects.Count(), 1u);
}

TEST_F(ProjectTest, StartAndStopReachEveryTimerOfTheProject)
{
    TTimeProject& p = NewProject("p");
    TMyTimer& a = NewTimer(p.Id);
    TMyTimer& other = NewTimer(NonProjectId);
    TMyTimer& b = NewTimer(p.Id);
    EXPECT_TRUE(ProjectHasTimers(model.Timers, p));

    StartProject(model.Timers, p, true);
    EXPECT_TRUE(a.Enabled);
    EXPECT_TRUE(b.Enabled);
    EXPECT_FALSE(other.Enabled);
    StartProject(model.Timers, p, false);
    EXPECT_FALSE(a.Enabled);
    EXPECT_FALSE(b.Enabled);
}

TEST_F(ProjectTest, FreeProjectsEmptiesTheListAndLogs)
{
    NewProject("a");
    NewProject("b");
    FreeProjects(model.Projects, log);
    EXPECT_TRUE(model.Projects.Empty());
    EXPECT_NE(LogText().find("FreeProjects->\r\n"), std::string::npos);
}

} // namespace
} // namespace tally
