#pragma once

#include "model/datetime.h"

#include <QDateEdit>
#include <QDialog>
#include <QPushButton>
#include <QString>

#include <functional>

namespace tally {

// "Select statistic period": the first and the last day of the histogram's
// visible period.
class TFormSetDate : public QDialog
{
    Q_OBJECT

public:
    explicit TFormSetDate(QWidget* parent = nullptr);

    void SetDates(TDateTime start, TDateTime end);
    TDateTime StartDate() const;
    TDateTime EndDate() const;
    QDateEdit& DateEdit1() { return *m_DateEdit1; }
    QDateEdit& DateEdit2() { return *m_DateEdit2; }
    QPushButton& OkButton() { return *m_btnOk; }
    // Closes accepted only when the end date is later than the start date.
    void accept() override;

    // Shows a refusal; a message box unless a test replaces it.
    std::function<void(const QString&)> ShowMessage;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QDateEdit* m_DateEdit1;
    QDateEdit* m_DateEdit2;
    QPushButton* m_btnOk;
    QPushButton* m_btnCancel;
};

} // namespace tally
