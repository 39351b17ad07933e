#include "model/datetime.h"
#include "shell/common/time_log_window.h"
#include "shell/main_window/process_picker.h"
#include "shell/main_window/timer_dialog.h"
#include "support/environment.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimeEdit>
#include <QToolButton>

#include "gui_fixture.h"

#include <gtest/gtest.h>

namespace tally {
namespace {

using Dialogs = test::GuiTest;

TEST_F(Dialogs, TimerDialogFollowsTheTypeButtons)
{
    bool nameEdited = false;
    TFormNewTimer dialog(2, nameEdited);
    EXPECT_EQ(dialog.windowTitle(), "New timer");
    EXPECT_EQ(dialog.NameEdit().text(), "New Timer3");
    EXPECT_EQ(dialog.NameEdit().maxLength(), 64);
    EXPECT_TRUE(dialog.EditTimeButton().isHidden());
    EXPECT_TRUE(dialog.IdentifierPanel().isHidden());
    EXPECT_TRUE(dialog.BackgroundPanel().isHidden());

    dialog.PickApplicationFile = [] { return std::optional<std::string>("/bin/sh"); };
    dialog.Radio(TypeChoice::Application).click();
    EXPECT_FALSE(dialog.IdentifierPanel().isHidden());
    EXPECT_FALSE(dialog.BackgroundPanel().isHidden());
    dialog.AddButton().click();
    ASSERT_EQ(dialog.Identifiers().count(), 1);
    EXPECT_EQ(dialog.Identifiers().item(0)->text(), "/bin/sh");
    EXPECT_EQ(dialog.NameEdit().text(), "sh");

    dialog.PickCaption = [] { return std::optional<std::pair<std::string, std::uint8_t>>({"Inbox - Mail", 0}); };
    dialog.Radio(TypeChoice::Caption).click();
    EXPECT_EQ(dialog.Identifiers().count(), 0);
    dialog.AddButton().click();
    EXPECT_EQ(dialog.NameEdit().text(), "Inbox - Mail");

    dialog.Radio(TypeChoice::Special).click();
    EXPECT_FALSE(dialog.SpecialTypes().isHidden());
    dialog.SpecialTypes().setCurrentIndex(2);
    EXPECT_EQ(dialog.NameEdit().text(), "Computer work time");
    EXPECT_EQ(dialog.Logic().TimerType(), ttWorkTime);

    // Typing a name stops the automatic names for the rest of the run.
    QTest::keyClicks(&dialog.NameEdit(), "x");
    EXPECT_TRUE(nameEdited);
    dialog.SpecialTypes().setCurrentIndex(0);
    EXPECT_EQ(dialog.NameEdit().text(), "Computer work timex");
}

TEST_F(Dialogs, KeysMoveDownTheTimerDialog)
{
    bool nameEdited = false;
    TFormNewTimer dialog(0, nameEdited);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    dialog.NameEdit().setFocus();
    auto press = [&](Qt::Key key) {
        QTest::keyClick(dialog.focusWidget(), key);
        return dialog.focusWidget();
    };
    EXPECT_EQ(press(Qt::Key_Tab), &dialog.Radio(TypeChoice::Manual));
    press(Qt::Key_Down);
    EXPECT_EQ(press(Qt::Key_Down), &dialog.Radio(TypeChoice::Caption));
    EXPECT_TRUE(dialog.Radio(TypeChoice::Caption).isChecked());
    ASSERT_FALSE(dialog.IdentifierPanel().isHidden());

    // From the type buttons on through the identifiers to the dialog's buttons.
    EXPECT_EQ(press(Qt::Key_Tab), &dialog.Identifiers());
    EXPECT_EQ(press(Qt::Key_Tab), &dialog.AddButton());
    const auto* remove = qobject_cast<QPushButton*>(press(Qt::Key_Tab));
    ASSERT_NE(remove, nullptr);
    EXPECT_EQ(remove->text(), "Remove");
    const auto* ok = qobject_cast<QPushButton*>(press(Qt::Key_Tab));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), "Ok");
}

TEST_F(Dialogs, PropertiesShowTheTimer)
{
    TMyTimer timer;
    timer.Name = "Editor";
    timer.TimerType = ttApplication;
    timer.Identifiers = {"/usr/bin/editor"};
    timer.ActiveTime = 90 * kOneSecond;
    timer.BackgroundTime = 30 * kOneSecond;
    bool nameEdited = false;
    TFormNewTimer dialog(1, nameEdited);
    dialog.LoadTimer(timer);
    EXPECT_EQ(dialog.windowTitle(), "Timer properties");
    EXPECT_FALSE(dialog.EditTimeButton().isHidden());
    EXPECT_EQ(dialog.NameEdit().text(), "Editor");
    EXPECT_TRUE(dialog.Radio(TypeChoice::Application).isChecked());
    EXPECT_EQ(dialog.Identifiers().count(), 1);
    const auto labels = dialog.findChildren<QLabel*>();
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [](QLabel* l) { return l->text() == "0:02:00"; }));
}

TEST_F(Dialogs, IdentifierEditorOpensOnDoubleClickAndWritesItsOwnLine)
{
    TMyTimer timer;
    timer.TimerType = ttCaption;
    timer.Identifiers = {"one", "two"};
    bool nameEdited = false;
    TFormNewTimer dialog(1, nameEdited);
    dialog.LoadTimer(timer);
    dialog.show();
    QListWidget& list = dialog.Identifiers();
    QLineEdit& editor = dialog.InPlaceEditor();
    const auto centre = [&](int row) { return list.visualItemRect(list.item(row)).center(); };

    // What the display sends: press, release, the second press as a double
    // click, and its release.
    const auto doubleClick = [&](int row) {
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, centre(row));
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, centre(row));
        QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, centre(row));
    };

    // The release that ends the double click leaves the editor open.
    doubleClick(0);
    ASSERT_TRUE(editor.isVisible());
    EXPECT_EQ(editor.text(), "one");
    editor.setText("uno");
    QTest::keyClick(&editor, Qt::Key_Return);
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(list.item(0)->text(), "uno");

    // A click on another line ends the edit into the line being edited.
    doubleClick(1);
    ASSERT_TRUE(editor.isVisible());
    editor.setText("deux");
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, centre(0));
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(list.item(0)->text(), "uno");
    EXPECT_EQ(list.item(1)->text(), "deux");

    doubleClick(1);
    editor.setText("dropped");
    QTest::keyClick(&editor, Qt::Key_Escape);
    EXPECT_EQ(list.item(1)->text(), "deux");
}

TEST_F(Dialogs, PickerConfirmsOnlyASelectedLine)
{
    TFormProcesses picker({"Editor", "Terminal"});
    EXPECT_EQ(picker.windowTitle(), "Running applications");
    EXPECT_FALSE(picker.OkButton().isEnabled());
    picker.List().item(1)->setSelected(true);
    EXPECT_TRUE(picker.OkButton().isEnabled());
    EXPECT_EQ(picker.SelectedCaption(), "Terminal");
    EXPECT_EQ(picker.Scope(), 0);
}

TEST_F(Dialogs, SetTimeRefusesStopNotAfterStart)
{
    TFormSetTime dialog;
    EXPECT_EQ(dialog.windowTitle(), "Set new timer log event time");
    dialog.SetTimes(EncodeTime(10, 0, 0), EncodeTime(10, 0, 0));
    EXPECT_EQ(dialog.DurationLabel().text(), "End Date must be greater than Start Date!");
    EXPECT_TRUE(dialog.DurationLabel().styleSheet().contains("rgb(128, 0, 0)"));
    dialog.SetTimes(EncodeTime(10, 0, 0), EncodeTime(11, 30, 0));
    EXPECT_EQ(dialog.DurationLabel().text(), "01:30:00");
}

TEST_F(Dialogs, SetTimeFieldsShowTheLocalesLongTime)
{
    test::ScopedLocale locale("en_US.UTF-8");
    ASSERT_TRUE(locale.Ok());
    TFormSetTime dialog;
    dialog.SetTimes(EncodeTime(13, 5, 7), EncodeTime(14, 0, 0));
    const auto fields = dialog.findChildren<QTimeEdit*>();
    ASSERT_EQ(fields.size(), 2);
    EXPECT_EQ(fields[0]->text().toStdString(), FormatLongTime(EncodeTime(13, 5, 7)));
    EXPECT_EQ(fields[1]->text().toStdString(), FormatLongTime(EncodeTime(14, 0, 0)));
    EXPECT_EQ(dialog.StartTime(), EncodeTime(13, 5, 7));
}

TEST_F(Dialogs, LogWindowCalendarOpensFromItsButtonAndTheDate)
{
    const TDateTime today = EncodeDate(2026, 7, 1);
    TMyTimer timer;
    TFormLog window(timer, [today] { return today + 0.5; });
    window.SetDate(today);
    window.show();
    const auto shownCalendar = [&]() -> QCalendarWidget* {
        for (QCalendarWidget* calendar : window.findChildren<QCalendarWidget*>()) {
            if (calendar->isVisible()) {
                return calendar;
            }
        }
        return nullptr;
    };
    ASSERT_EQ(shownCalendar(), nullptr);
    QToolButton* button = nullptr;
    for (QToolButton* b : window.findChildren<QToolButton*>()) {
        if (b->text() == "...") {
            button = b;
        }
    }
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
    QCalendarWidget* calendar = shownCalendar();
    ASSERT_NE(calendar, nullptr);
    EXPECT_EQ(calendar->selectedDate(), QDate(2026, 7, 1));
    // Picking a day closes it and shows that day.
    emit calendar->clicked(QDate(2026, 6, 20));
    EXPECT_EQ(shownCalendar(), nullptr);
    EXPECT_EQ(window.LogDate(), EncodeDate(2026, 6, 20));

    auto* date = window.findChild<QDateEdit*>();
    ASSERT_NE(date, nullptr);
    QWidget* text = date->findChild<QLineEdit*>();
    QTest::mouseClick(text ? text : date, Qt::LeftButton);
    EXPECT_NE(shownCalendar(), nullptr);
}

TEST_F(Dialogs, LogWindowKeepsSliderAndDateInStep)
{
    const TDateTime today = EncodeDate(2026, 7, 1);
    TMyTimer timer;
    timer.ActivePeriods.Add(today - 2 + EncodeTime(9, 0, 0), today - 2 + EncodeTime(9, 30, 0));
    timer.ActivePeriods.Add(today + EncodeTime(8, 0, 0), today + EncodeTime(8, 45, 0));
    timer.ActiveTime = 75 * kOneMinute;
    TFormLog window(timer, [today] { return today + 0.5; });
    window.SetDate(today);
    EXPECT_EQ(window.Slider().value(), 367);
    EXPECT_FALSE(window.ForwardEnabled());
    EXPECT_EQ(window.List().topLevelItemCount(), 1);

    window.Slider().setValue(365);
    EXPECT_EQ(window.LogDate(), today - 2);
    EXPECT_EQ(window.List().topLevelItemCount(), 1);
    EXPECT_TRUE(window.ForwardEnabled());

    window.SetDate(today - 400);
    EXPECT_EQ(window.Slider().value(), 0);
    EXPECT_EQ(window.LogDate(), today - 367);
    EXPECT_FALSE(window.BackEnabled());

    window.SetDate(today);
    window.AddPeriod(EncodeTime(14, 0, 0), EncodeTime(15, 0, 0));
    EXPECT_EQ(window.List().topLevelItemCount(), 2);
    EXPECT_NEAR(timer.ActiveTime, 135 * kOneMinute, 1e-9);
    window.List().topLevelItem(0)->setSelected(true);
    window.DeleteSelected(true);
    EXPECT_EQ(window.List().topLevelItemCount(), 1);
    EXPECT_NEAR(timer.ActiveTime, 90 * kOneMinute, 1e-9);
}

} // namespace
} // namespace tally
