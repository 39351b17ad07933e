#include "model/datetime.h"
#include "model/settings_store.h"
#include "platform/autostart.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_desktop.h"
#include "platform/http_getter.h"
#include "platform/system/idle_threads.h"
#include "platform/system/no_system_proxy.h"
#include "platform/system/posix_file_system.h"
#include "shell/app/application.h"
#include "shell/app/tick_driver.h"
#include "shell/main_window/hint_window.h"
#include "shell/main_window/main_window.h"
#include "shell/main_window/timer_dialog.h"
#include "shell/main_window/timer_list_view.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>

#include "gui_fixture.h"

#include <gtest/gtest.h>

namespace tally {
namespace {

// Closes the next modal dialog the way the user's Cancel would.
void CancelNextDialog()
{
    QTimer::singleShot(0, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            dialog->reject();
        }
    });
}

// Runs `act` on the next timer dialog that shows (a replacing one opens only
// after the loop of the one it replaces has ended); after two seconds without
// one, whatever modal dialog is open is cancelled so that the test ends.
void OnNextTimerDialog(std::function<void(TFormNewTimer&)> act)
{
    auto* poll = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, act, tries] {
        auto* dialog = qobject_cast<TFormNewTimer*>(QApplication::activeModalWidget());
        if (dialog && dialog->isVisible() && !dialog->property("seen").toBool()) {
            dialog->setProperty("seen", true);
            poll->deleteLater();
            poll->stop();
            act(*dialog);
        } else if (++*tries > 400) {
            poll->deleteLater();
            poll->stop();
            if (auto* open = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                open->reject();
            }
        }
    });
    poll->start(5);
}

class ApplicationTest : public test::AppTest
{
protected:
    void SetUp() override
    {
        auto memory = std::make_unique<MemorySettings>();
        settings = memory.get();
        WriteQuietSettings(*settings, firstLaunch);
        settings->WriteString("main", "LogDetail", logDetail);
        StartApp(std::move(memory));
    }

    std::string Log() const { return test::ReadFile(dir.File("log.txt")); }
    std::size_t Count(const std::string& what) const
    {
        const std::string log = Log();
        std::size_t n = 0;
        for (auto pos = log.find(what); pos != std::string::npos; pos = log.find(what, pos + 1)) {
            ++n;
        }
        return n;
    }

    MemorySettings* settings = nullptr;
    const char* firstLaunch = "0";
    const char* logDetail = "0";
};

// The very first start, with the run log at the detail of frequent handlers.
class FirstLaunchTest : public ApplicationTest
{
protected:
    FirstLaunchTest()
    {
        firstLaunch = "1";
        logDetail = "3";
    }
};

TEST_F(ApplicationTest, CancelledNewTimerStillSavesAndRedrawsButCancelledEditDoesNot)
{
    const std::size_t saves = Count("SafeSave->");
    const std::size_t draws = Count("Draw, CurrPrjId:");
    CancelNextDialog();
    app->Window().actNewTimer->trigger();
    EXPECT_EQ(Count("SafeSave->"), saves + 1);
    EXPECT_EQ(Count("Draw, CurrPrjId:"), draws + 1);
    EXPECT_TRUE(app->Model().Timers.Empty());

    TMyTimer& timer = app->Model().Timers.Create();
    timer.Name = "Kept";
    app->Window().Draw();
    app->Window().List().item(0)->setSelected(true);
    CancelNextDialog();
    app->Window().actProperties->trigger();
    EXPECT_EQ(Count("SafeSave->"), saves + 1);
    EXPECT_EQ(Count("ReleaseFormNewTimer-<"), 1u);
    EXPECT_EQ(timer.Name, "Kept");
}

TEST_F(ApplicationTest, OptionItemsWriteTheirKeysAtOnce)
{
    MainWindow& window = app->Window();
    window.OptionItem(MenuOption::ShowColor).trigger();
    EXPECT_EQ(settings->ReadString("view", "ShowColor", ""), "1");
    window.OptionItem(MenuOption::AutoRun).trigger(); // off
    EXPECT_EQ(settings->ReadString("main", "AutoRun", ""), "0");
    EXPECT_FALSE(autoStart.registered);

    // A store that refuses writes: the user is told once, the choice holds
    // for the run.
    settings->SetReadOnly(true);
    window.OptionItem(MenuOption::ShowColor).trigger();
    window.OptionItem(MenuOption::ShowColor).trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0],
              "Unable to write to memory settings. Settings changed now will not be kept after the program ends.");
}

TEST_F(ApplicationTest, SocketTimeOutsAreDroppedOtherErrorsShown)
{
    app->ApplicationEvents1Exception("Socket Error # 10060 Connection timed out");
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(Count("Error: Socket Error # 10060"), 1u);
    app->ApplicationEvents1Exception("Unable to write to /x/tallyhourlite.ini");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Unable to write to /x/tallyhourlite.ini");
}

TEST_F(ApplicationTest, ShutdownClosesSavesAndReleasesOnce)
{
    TMyTimer& timer = app->Model().Timers.Create();
    timer.Name = "Running";
    timer.SetEnabled(true);
    app->Engine().TimUpdateTimer();
    clock.AdvanceSeconds(5);
    app->Engine().TimUpdateTimer();
    // A logout that may still be cancelled: saved, nothing released.
    const std::size_t saves = Count("SafeSave->");
    app->SaveForSession();
    EXPECT_EQ(Count("SafeSave->"), saves + 1);
    EXPECT_FALSE(app->Ended());
    EXPECT_EQ(app->Model().Timers.Count(), 1u);
    EXPECT_TRUE(app->Ticks().TickRunning());

    app->FormCloseQuery();
    app->FormCloseQuery();
    app->SaveForSession();
    EXPECT_EQ(Count("FormCloseQuery->"), 1u);
    EXPECT_TRUE(app->Model().Timers.Empty()); // released after the save
    EXPECT_FALSE(app->Ticks().TickRunning());
    EXPECT_FALSE(app->Ticks().AutoSaveRunning());
    const std::string log = Log();
    EXPECT_LT(log.find("AddToAllTimersOffEvents->"), log.find("SafeSave->", log.find("FormCloseQuery->")));
    EXPECT_NE(log.find("FreeProjects->"), std::string::npos);
}

TEST_F(ApplicationTest, RunLogKeepsTheStartOfAShortSession)
{
    // A few kilobytes of entries, as a few minutes of use write them.
    for (int i = 0; i < 30; ++i) {
        CancelNextDialog();
        app->Window().actNewTimer->trigger();
    }
    EXPECT_EQ(Count("FormNewTimerRelease-<"), 30u);
    EXPECT_EQ(Count("Init->"), 1u);
}

TEST_F(ApplicationTest, ATimerDialogAskedForWhileOneIsOpenReplacesIt)
{
    TMyTimer& timer = app->Model().Timers.Create();
    timer.Name = "Edited";
    app->Window().Draw();
    std::vector<std::string> opened;
    OnNextTimerDialog([&](TFormNewTimer& first) {
        opened.push_back(first.windowTitle().toStdString());
        OnNextTimerDialog([&](TFormNewTimer& second) {
            opened.push_back(second.windowTitle().toStdString());
            OnNextTimerDialog([&](TFormNewTimer& third) {
                opened.push_back(third.windowTitle().toStdString() + " " + third.NameEdit().text().toStdString());
                third.reject();
            });
            emit app->Window().propertiesRequested(&timer);
        });
        app->Window().actNewTimer->trigger();
    });
    app->Window().actNewTimer->trigger();
    EXPECT_EQ(opened, (std::vector<std::string> {"New timer", "New timer", "Timer properties Edited"}));
    EXPECT_EQ(Count("FormNewTimer<>nil"), 1u);
    // Each replaced dialog was released as cancelled: saved and redrawn.
    EXPECT_EQ(Count("FormNewTimerRelease-<"), 2u);
    EXPECT_EQ(Count("ReleaseFormNewTimer-<"), 1u);
    EXPECT_EQ(app->Model().Timers.Count(), 1u);
}

TEST_F(ApplicationTest, WindowManagerCloseEndsTheProgramWithoutAsking)
{
    TMyTimer& timer = app->Model().Timers.Create();
    timer.Name = "Running";
    timer.SetEnabled(true);
    app->Window().actOpen->trigger();
    bool asked = false;
    QTimer::singleShot(0, [&asked] {
        if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            asked = true;
            box->reject();
        }
    });
    app->Window().close();
    QApplication::processEvents();
    EXPECT_FALSE(asked);
    EXPECT_TRUE(app->Ended());
    EXPECT_EQ(Count("FormCloseQuery->"), 1u);
    EXPECT_TRUE(app->Model().Timers.Empty()); // saved and released
    // The end asked every loop to stop; let later loops of this process run.
    QTimer::singleShot(0, [] { QCoreApplication::quit(); });
    QCoreApplication::exec();
}

TEST_F(FirstLaunchTest, OpensCentredAndLogsShowingAndEveryHintHide)
{
    MainWindow& window = app->Window();
    ASSERT_TRUE(window.isVisible());
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(window.pos(), QPoint((screen.width() - 465) / 2, (screen.height() - 329) / 2));
    EXPECT_EQ(Count("actOpenExecute->"), 1u);
    EXPECT_EQ(Count("FormShow->"), 1u);
    const std::string log = Log();
    EXPECT_LT(log.find("FirstLaunch"), log.find("actOpenExecute->"));

    // The tick tests the pointer against the bounds, which end at left +
    // width and top + height.
    const ScreenRect bounds = *app->Ticks().MainWindowRect();
    EXPECT_EQ(bounds.Right, window.x() + 465);
    EXPECT_EQ(bounds.Bottom, window.y() + 329);

    std::size_t hides = Count("HideHint->");
    app->Hint().show();
    desktop.SetCursor({bounds.Right, bounds.Bottom});
    app->Engine().TimUpdateTimer();
    EXPECT_TRUE(app->Hint().isVisible()) << "the pointer on the bounds' corner is inside";
    desktop.SetCursor({bounds.Right + 1, bounds.Top});
    app->Engine().TimUpdateTimer();
    EXPECT_FALSE(app->Hint().isVisible());
    EXPECT_EQ(Count("HideHint->"), ++hides) << "the tick, pointer outside";

    TMyTimer& timer = app->Model().Timers.Create();
    CancelNextDialog();
    emit window.propertiesRequested(&timer);
    EXPECT_EQ(Count("HideHint->"), ++hides) << "properties";

    window.MinimiseToTray();
    EXPECT_EQ(Count("HideHint->"), ++hides) << "minimising";
}

} // namespace
} // namespace tally
