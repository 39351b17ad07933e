#include "model/datetime.h"
#include "model/duration.h"
#include "model/settings_store.h"
#include "platform/autostart.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_desktop.h"
#include "platform/system/idle_threads.h"
#include "platform/system/no_system_proxy.h"
#include "platform/system/posix_file_system.h"
#include "shell/app/application.h"
#include "shell/common/time_log_window.h"
#include "shell/main_window/main_window.h"
#include "shell/main_window/timer_list_view.h"
#include "shell/projects/projects_controller.h"
#include "shell/statistics/stat_controller.h"
#include "shell/statistics/stat_window.h"
#include "support/temp_dir.h"
#include "tracking/tracking_engine.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>

#include <filesystem>

#include "gui_fixture.h"
#include "view/stat_window.h"

#include <gtest/gtest.h>

namespace tally {
namespace {

constexpr TDateTime kHour = 1.0 / 24;

// The application's settings, with every write also kept in a store the
// test owns, so that what the program writes as it ends can be read.
class MirroredSettings final : public MemorySettings
{
public:
    explicit MirroredSettings(MemorySettings& mirror)
        : m_mirror(mirror)
    { }
    void WriteString(std::string_view section, std::string_view key, std::string_view value) override
    {
        MemorySettings::WriteString(section, key, value);
        m_mirror.WriteString(section, key, value);
    }

private:
    MemorySettings& m_mirror;
};

class StatTest : public test::AppTest
{
protected:
    void SetUp() override
    {
        auto memory = std::make_unique<MirroredSettings>(written);
        settings = memory.get();
        WriteQuietSettings(*settings);
        StartApp(std::move(memory));
        app->Window().MainWindowShown = true;
        app->Window().show();
    }

    TMyTimer& AddTimer(const std::string& name, TimerType type = ttManual)
    {
        TMyTimer& t = app->Model().Timers.Create();
        t.Name = name;
        t.TimerType = type;
        t.CreationDate = EncodeDateTime(2026, 1, 2, 0, 0, 0);
        return t;
    }

    // A closed active period today from..to hours, counted in the total.
    static void Worked(TMyTimer& t, double from, double to)
    {
        const TDateTime day = EncodeDateTime(2026, 7, 1, 0, 0, 0);
        t.AddPeriod(day + from * kHour, day + to * kHour);
        t.ActiveTime += (to - from) * kHour;
    }

    // Selects the list's rows and clicks, as the user picks timers.
    void Select(std::initializer_list<int> rows)
    {
        TimerListView& list = app->Window().List();
        list.clearSelection();
        for (int row : rows) {
            list.item(row)->setSelected(true);
        }
        emit app->Window().listClicked(list.SelectedTimers().empty() ? nullptr : list.SelectedTimers().front());
    }

    StatController& Stat() { return static_cast<StatController&>(*app->Statistics()); }
    TFormStat& Form() { return *Stat().Form(); }
    QString Text(QLabel* label) { return label->text(); }
    static QString Q(const std::string& s) { return QString::fromStdString(s); }

    MemorySettings written;
    MemorySettings* settings = nullptr;
};

TEST_F(StatTest, OpensDockedWithTheStoredPageAndDayAndClosesAgain)
{
    settings->WriteString("Statistic", "StatPage", "2");
    settings->WriteString("Statistic", "Position", "300");
    settings->WriteString("Statistic", "ScaleX", "500");
    TMyTimer& t = AddTimer("Write");
    app->Window().Draw();
    Select({0});

    emit app->Window().showHideStatRequested();
    ASSERT_TRUE(Stat().Exists());
    MainWindow& main = app->Window();
    EXPECT_EQ(Form().geometry(), QRect(main.x() + main.width(), main.y() + 93, 350, 232));
    EXPECT_TRUE(Form().isVisible());
    EXPECT_EQ(settings->Read("main", "StatVisible"), "1");

    // The log page of the day 67 days back, for the selected timer.
    EXPECT_EQ(Form().ShownPage(), StatPage::Log);
    EXPECT_EQ(Form().DateBar().value(), 300);
    EXPECT_EQ(Form().VisibleDaysBar().value(), 99);
    const TDateTime day = EncodeDateTime(2026, 7, 1, 0, 0, 0) - 67;
    EXPECT_EQ(Text(Form().LogPage().lbLog), Q("Timer activity log for " + FormatShortDate(day)));
    EXPECT_EQ(Form().Caption().text(), Q("  Statistic on timer: " + t.Name));
    EXPECT_TRUE(Form().Command(StatCommand::AddLogItem).isVisible());
    EXPECT_FALSE(Form().VisibleDaysShown());

    // It follows the main window, and hides and shows with it.
    main.move(main.pos() + QPoint(40, 30));
    EXPECT_EQ(Form().pos(), QPoint(main.x() + main.width(), main.y() + 93));
    main.MinimiseToTray();
    EXPECT_FALSE(Form().isVisible());
    main.MainWindowShown = true;
    main.show();
    EXPECT_TRUE(Form().isVisible());

    // "Close statistic" keeps StatVisible false and writes no positions.
    Form().DateBar().setValue(200);
    Form().Command(StatCommand::Close).trigger();
    EXPECT_FALSE(Stat().Exists());
    EXPECT_EQ(settings->Read("main", "StatVisible"), "0");
    EXPECT_EQ(settings->Read("Statistic", "Position"), "300");
}

TEST_F(StatTest, PageSwitchingSetsTheControlsAndStoresThePage)
{
    settings->WriteString("Statistic", "StatPage", "7"); // no such tab: the text page
    Stat().actShowHideStatExecute();
    ASSERT_TRUE(Stat().Exists());
    EXPECT_EQ(Form().ShownPage(), StatPage::Text);
    EXPECT_EQ(Form().Caption().text(), QStringLiteral("  Work time statistic"));
    EXPECT_EQ(Text(Form().TextPage().lbtotalAct), QStringLiteral("..."));
    // At today the forward buttons and "Goto today" are off.
    EXPECT_FALSE(Form().StepButton(DateButton::DayForward).isEnabled());
    EXPECT_FALSE(Form().TodayItem().isEnabled());
    EXPECT_TRUE(Form().StepButton(DateButton::MonthBack).isEnabled());

    Form().Tabs().setCurrentIndex(1);
    EXPECT_EQ(Form().ShownPage(), StatPage::Histogram);
    EXPECT_EQ(settings->Read("Statistic", "StatPage"), "1");
    EXPECT_TRUE(Form().VisibleDaysShown());
    EXPECT_FALSE(Form().Command(StatCommand::AddLogItem).isVisible());
    EXPECT_TRUE(Form().Command(StatCommand::Print).isEnabled());
    EXPECT_TRUE(Form().Command(StatCommand::SetPeriod).isVisible());

    Form().Tabs().setCurrentIndex(2);
    EXPECT_EQ(settings->Read("Statistic", "StatPage"), "2");
    EXPECT_TRUE(Form().Command(StatCommand::AddLogItem).isVisible());
    EXPECT_FALSE(Form().Command(StatCommand::Print).isEnabled());
    EXPECT_EQ(Text(Form().LogPage().lbLog), QStringLiteral("Timer activity log for ... (no timers selected)"));

    // Month back from today, then forward twice: clamped at today again.
    Form().StepButton(DateButton::MonthBack).click();
    EXPECT_EQ(Form().DateBar().value(), 367 - 31);
    Form().StepButton(DateButton::DayForward).click();
    Form().StepButton(DateButton::MonthForward).click();
    EXPECT_EQ(Form().DateBar().value(), 367);

    // The unit and the view ticks are written as they change.
    Form().UnitItem(ChartUnit::Seconds).trigger();
    EXPECT_EQ(Stat().TimeUnit(), ChartUnit::Seconds);
    EXPECT_EQ(settings->Read("Statistic", "TimeFormat"), "0");
    Form().Tick(ViewTick::Legend).trigger();
    EXPECT_EQ(settings->Read("Statistic", "ShowLegend"), "0");

    // The program ends with the window open: the positions are kept, and
    // the window opens at the next start.
    Form().StepButton(DateButton::DayBack).click();
    app.reset();
    EXPECT_EQ(written.Read("Statistic", "Position"), "366");
    EXPECT_EQ(written.Read("Statistic", "ScaleX"), "7");
    EXPECT_EQ(written.Read("main", "StatVisible"), "1");
}

TEST_F(StatTest, TextPageSumsTheSelectionAndFollowsStopsEditsAndDeletes)
{
    TMyTimer& manual = AddTimer("Manual");
    TMyTimer& app2 = AddTimer("Editor", ttApplication);
    Worked(manual, 9, 10.5);
    Worked(app2, 11, 12);
    app2.BackgroundTime = 0.5 * kHour;
    app->Window().Draw();
    Select({0});
    Stat().actShowHideStatExecute();
    TextStatPage& page = Form().TextPage();
    EXPECT_EQ(Text(page.lbOnDate), QStringLiteral("today"));
    EXPECT_EQ(Text(page.lbtodayact), QStringLiteral("1:30:00"));
    EXPECT_EQ(Text(page.lbtodayBack), QStringLiteral("..."));
    EXPECT_EQ(Text(page.lbCreation), Q(FormatShortDate(manual.CreationDate)));

    // Two selected, the first a manual timer: the background shows now.
    Select({0, 1});
    EXPECT_EQ(Form().Caption().text(), QStringLiteral("  Statistic on selected timers (2 timers selected)"));
    EXPECT_EQ(Text(page.lbtotalAct), QStringLiteral("2:30:00"));
    EXPECT_EQ(Text(page.lbtotalSumm), QStringLiteral("3:00:00"));
    EXPECT_EQ(Text(page.lbCreation), QStringLiteral("..."));

    // Stopping timers refreshes the page (the tick alone does not).
    manual.ActiveTime += kHour;
    EXPECT_EQ(Text(page.lbtotalAct), QStringLiteral("2:30:00"));
    app->Engine().actStopTimerExecute(std::vector<TMyTimer*> {&manual});
    EXPECT_EQ(Text(page.lbtotalAct), QStringLiteral("3:30:00"));

    // An edit in the timer dialog shows once the dialog closes.
    manual.ActiveTime += 5 * kHour;
    QTimer::singleShot(0, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            modal->close();
        }
    });
    emit app->Window().propertiesRequested(&manual);
    EXPECT_EQ(Text(page.lbtotalAct), Q(FormatDuration(manual.ActiveTime + app2.ActiveTime)));

    // Deleted timers leave nothing to show.
    emit app->Window().deleteConfirmed({&manual});
    EXPECT_EQ(Form().Caption().text(), QStringLiteral("  Work time statistic"));
    EXPECT_EQ(Text(page.lbtotalAct), QStringLiteral("..."));
}

TEST_F(StatTest, ExportWritesTheShownPeriodsOrTellsWhyNot)
{
    TMyTimer& first = AddTimer("Write");
    TMyTimer& second = AddTimer("Read");
    Worked(first, 9, 10);
    Worked(second, 11, 11.5);
    app->Window().Draw();
    Select({0, 1});
    Stat().actShowHideStatExecute();

    test::TempDir folder;
    QString suggested;
    QString answer;
    std::vector<QString> failures;
    Stat().AskExportPath = [&](const QString& name) {
        suggested = name;
        return answer;
    };
    Stat().ExportFailed = [&](const QString& text) { failures.push_back(text); };

    // Cancelled: nothing written.
    Form().Command(StatCommand::Export).trigger();
    EXPECT_TRUE(suggested.endsWith(QStringLiteral("/work-periods.csv")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 0);

    answer = QString::fromStdString(folder.File("periods.csv"));
    Form().Command(StatCommand::Export).trigger();
    const std::string csv = test::ReadFile(folder.File("periods.csv"));
    EXPECT_EQ(csv,
              "timer,project,kind,start,stop,duration_seconds\r\n"
              "Write,,active,2026-07-01T09:00:00.000,2026-07-01T10:00:00.000,3600.000\r\n"
              "Read,,active,2026-07-01T11:00:00.000,2026-07-01T11:30:00.000,1800.000\r\n");

    // A folder that is not there: the user is told, and nothing is left.
    answer = QString::fromStdString(folder.File("missing/periods.csv"));
    Form().Command(StatCommand::Export).trigger();
    ASSERT_EQ(failures.size(), 1U);
    EXPECT_TRUE(failures[0].startsWith(QStringLiteral("The work periods could not be written: ")))
        << failures[0].toStdString();
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
}

TEST_F(StatTest, LogPageAddsAndDeletesPeriodsOfTheFirstSelectedTimer)
{
    settings->WriteString("Statistic", "StatPage", "2");
    TMyTimer& first = AddTimer("First");
    TMyTimer& second = AddTimer("Second");
    Worked(first, 9, 9.5);
    Worked(first, 13, 13.75);
    Worked(first, 15, 16);
    app->Window().Draw();
    Select({0, 1});
    Stat().actShowHideStatExecute();
    QTreeWidget& list = *Form().LogPage().lvLog;
    ASSERT_EQ(list.topLevelItemCount(), 3);
    EXPECT_EQ(Text(Form().LogPage().lbLog), QStringLiteral("Timer activity log for today"));

    // 14:00-15:00 is appended as the last row and counted.
    const TDateTime before = first.ActiveTime;
    Stat().DialogOpening = [](TFormSetTime& dialog) {
        dialog.SetTimes(14 * kHour, 15 * kHour);
        QTimer::singleShot(0, &dialog, [&dialog] { dialog.accept(); });
    };
    Form().Command(StatCommand::AddLogItem).trigger();
    ASSERT_EQ(list.topLevelItemCount(), 4);
    EXPECT_NEAR(first.ActiveTime - before, kHour, 1e-9);
    EXPECT_EQ(second.ActivePeriods.Count(), 0u);

    // Deleting the 30- and 45-minute rows takes 1:15 off; "No" deletes nothing.
    list.topLevelItem(0)->setSelected(true);
    list.topLevelItem(1)->setSelected(true);
    Stat().Ask = [](const QString&) { return StatController::Answer::No; };
    Form().Command(StatCommand::DeleteLogItems).trigger();
    EXPECT_EQ(list.topLevelItemCount(), 4);
    Stat().Ask = [](const QString&) { return StatController::Answer::Yes; };
    Form().Command(StatCommand::DeleteLogItems).trigger();
    EXPECT_EQ(list.topLevelItemCount(), 2);
    EXPECT_NEAR(before + kHour - first.ActiveTime, 1.25 * kHour, 1e-9);

    // A project shows the empty log, and the commands do nothing.
    TTimeProject& project = app->Model().Projects.Create();
    project.Id = 4;
    project.Name = "Garden";
    app->Projects().SetStatObject(&project);
    EXPECT_EQ(Form().Caption().text(), QStringLiteral("  Statistic on project: Garden"));
    EXPECT_EQ(list.topLevelItemCount(), 0);
    Form().Command(StatCommand::DeleteLogItems).trigger();
    EXPECT_EQ(first.ActivePeriods.Count(), 2u);
}

TEST_F(StatTest, MaximiseStretchesOverTheTopHalfUntilTheMainWindowIsDragged)
{
    Stat().actShowHideStatExecute();
    MainWindow& main = app->Window();
    const QRect screen = Form().screen()->geometry();
    Stat().Image1Click();
    EXPECT_TRUE(Stat().Maximised());
    EXPECT_TRUE(main.SnapSuspended);
    EXPECT_EQ(Form().geometry(), QRect(screen.x(), screen.y(), screen.width(), screen.height() / 2));
    // The main window's moves do not pull it back while suspended...
    main.move(main.pos() + QPoint(5, 0));
    EXPECT_TRUE(Stat().Maximised());
    // ...its picture does, and so does the main window's own dock.
    Stat().Image1Click();
    EXPECT_FALSE(Stat().Maximised());
    EXPECT_EQ(Form().geometry(), QRect(main.x() + main.width(), main.y() + 93, 350, 232));
}

} // namespace
} // namespace tally
