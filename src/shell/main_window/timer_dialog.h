#pragma once

#include "view/timer_dialog_logic.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <functional>
#include <optional>
#include <utility>

namespace tally {

// "New timer" / "Timer properties": the widgets over TimerDialogLogic.
class TFormNewTimer : public QDialog
{
    Q_OBJECT

public:
    // nameEdited lives as long as the program run.
    TFormNewTimer(std::size_t timerCount, bool& nameEdited, QWidget* parent = nullptr);

    TimerDialogLogic& Logic() { return m_logic; }
    // Fills the dialog for editing; shows "Edit time" and the timer's totals.
    void LoadTimer(const TMyTimer& timer);
    void ShowTimes(TDateTime active, TDateTime background);
    void SetPanelColor(std::uint32_t bgr);

    // Call-outs: the caption picker (caption and scope, or nothing), the
    // application file chooser (path, or nothing), the time-log editor.
    std::function<std::optional<std::pair<std::string, std::uint8_t>>()> PickCaption;
    std::function<std::optional<std::string>()> PickApplicationFile;
    std::function<void()> EditTime;

    QLineEdit& NameEdit() { return *m_edName; }
    QListWidget& Identifiers() { return *m_lbApplList; }
    QRadioButton& Radio(TypeChoice type);
    QComboBox& SpecialTypes() { return *m_cbSpecialTimType; }
    QWidget& IdentifierPanel() { return *m_panAddIdent; }
    QWidget& BackgroundPanel() { return *m_panBackTime; }
    QPushButton& EditTimeButton() { return *m_btnEditTime; }
    QPushButton& AddButton() { return *m_btnAdd; }
    QLineEdit& InPlaceEditor() { return *m_edEdit; }

private:
    void Refresh();
    void OnTypeClicked(TypeChoice type);
    void OnAdd();
    void StartInPlaceEdit();
    void EndInPlaceEdit(bool save);

    TimerDialogLogic m_logic;
    bool m_refreshing = false;
    bool m_pressWhileEditing = false;
    int m_editRow = -1;
    QLineEdit* m_edName;
    QFrame* m_pancol;
    QRadioButton* m_radios[4];
    QComboBox* m_cbSpecialTimType;
    QWidget* m_panAddIdent;
    QListWidget* m_lbApplList;
    QPushButton* m_btnAdd;
    QPushButton* m_btnDel;
    QLineEdit* m_edEdit;
    QLabel* m_lbActTime;
    QWidget* m_panBackTime;
    QLabel* m_lbPassTime;
    QLabel* m_lbTotTime;
    QPushButton* m_btnEditTime;
};

// True for a file a user can pick as an application: an executable file
// (on Windows, a name ending in ".exe").
bool IsApplicationFile(const QString& path);

} // namespace tally
