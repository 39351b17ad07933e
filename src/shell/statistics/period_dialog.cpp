#include "shell/statistics/period_dialog.h"

#include "shell/common/qt_dates.h"
#include "stats/histogram.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>

namespace tally {

namespace {

QDateEdit* MakeDateEdit(const QString& name, QWidget* parent)
{
    auto* edit = new QDateEdit(parent);
    edit->setObjectName(name);
    edit->setCalendarPopup(true);
    return edit;
}

} // namespace

TFormSetDate::TFormSetDate(QWidget* parent)
    : QDialog(parent)
    , m_DateEdit1(MakeDateEdit(QStringLiteral("DateEdit1"), this))
    , m_DateEdit2(MakeDateEdit(QStringLiteral("DateEdit2"), this))
    , m_btnOk(new QPushButton(QStringLiteral("Ok"), this))
    , m_btnCancel(new QPushButton(QStringLiteral("Cancel"), this))
{
    setObjectName(QStringLiteral("TFormSetDate"));
    setWindowTitle(QStringLiteral("Select statistic period"));
    ShowMessage = [this](const QString& text) { QMessageBox::warning(this, windowTitle(), text); };

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Start date"), this), 0, 0);
    grid->addWidget(m_DateEdit1, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("End date"), this), 1, 0);
    grid->addWidget(m_DateEdit2, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_btnOk);
    buttons->addWidget(m_btnCancel);
    grid->addLayout(buttons, 2, 0, 1, 2);

    m_btnOk->setDefault(true);
    connect(m_btnOk, &QPushButton::clicked, this, &TFormSetDate::accept);
    connect(m_btnCancel, &QPushButton::clicked, this, &TFormSetDate::reject);
}

void TFormSetDate::SetDates(TDateTime start, TDateTime end)
{
    m_DateEdit1->setDate(ToQDate(start));
    m_DateEdit2->setDate(ToQDate(end));
}

TDateTime TFormSetDate::StartDate() const
{
    return FromQDate(m_DateEdit1->date());
}

TDateTime TFormSetDate::EndDate() const
{
    return FromQDate(m_DateEdit2->date());
}

void TFormSetDate::accept()
{
    if (const auto refusal = CheckPeriod(StartDate(), EndDate())) {
        ShowMessage(QString::fromStdString(*refusal));
        return;
    }
    QDialog::accept();
}

void TFormSetDate::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Centred on the screen, not on the statistics window.
    if (QScreen* s = screen()) {
        move(s->availableGeometry().center() - rect().center());
    }
}

} // namespace tally
