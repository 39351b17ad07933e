#pragma once

#include "view/projects_logic.h"

#include <QDateEdit>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <functional>
#include <optional>

namespace tally {

// "New Project" / "Project properties": the widgets over the dialog's state.
// "Ok" closes it only while the price reads as a number.
class TFormNewProject : public QDialog
{
    Q_OBJECT

public:
    explicit TFormNewProject(QWidget* parent = nullptr);

    // Fills the dialog; editing changes the caption.
    void Load(const ProjectDialogState& state, bool editing);
    // What the fields hold now.
    ProjectDialogState State() const;
    // The accepted values; set only once "Ok" succeeded.
    const std::optional<ProjectValues>& Values() const { return m_values; }

    void SetSwatchColor(std::uint32_t color);
    std::uint32_t SwatchColor() const { return m_color; }
    // The colour chooser behind the swatch (the system's by default).
    std::function<std::optional<std::uint32_t>(std::uint32_t current)> PickColor;

    QLineEdit& NameEdit() { return *m_edName; }
    QLineEdit& PriceEdit() { return *m_edCurr; }
    QLabel& PriceError() { return *m_lbPriceError; }
    QDateEdit& StartDateEdit() { return *m_dtpSt; }
    QDateEdit& EndDateEdit() { return *m_dtpEn; }
    QPlainTextEdit& DescriptionEdit() { return *m_mmDescr; }
    QFrame& Swatch() { return *m_pancol; }
    QPushButton& OkButton() { return *m_btnOk; }
    QPushButton& CancelButton() { return *m_btnCancel; }

private:
    void BtnOkClick();

    std::uint32_t m_color = kActiveCaptionColor;
    std::optional<ProjectValues> m_values;
    QLineEdit* m_edName;
    QFrame* m_pancol;
    QDateEdit* m_dtpSt;
    QDateEdit* m_dtpEn;
    QLineEdit* m_edCurr;
    QLabel* m_lbPriceError;
    QPlainTextEdit* m_mmDescr;
    QPushButton* m_btnOk;
    QPushButton* m_btnCancel;
};

// A colour as the screen shows it: system colour references (0xFF000000 plus
// an index) resolved through the palette.
QColor ProjectColor(std::uint32_t color);

} // namespace tally
