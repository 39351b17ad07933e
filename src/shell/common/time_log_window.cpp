#include "shell/common/time_log_window.h"

#include "shell/common/qt_dates.h"
#include "shell/common/screen_fit.h"
#include "stats/time_log.h"

#include "view/time_format.h"

#include <QCalendarWidget>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#ifdef _WIN32
#include <QLocale>
#else
#include <langinfo.h>
#endif

namespace tally {

namespace {

constexpr int kPeriodRole = Qt::UserRole;

// The locale's long time as a time field's display format.
QString LongTimeEditFormat()
{
#ifdef _WIN32
    // Qt reads the user's time format from Windows and gives it in its own
    // notation already.
    return QLocale::system().timeFormat(QLocale::LongFormat);
#else
    return QString::fromStdString(TimeEditFormat(nl_langinfo(T_FMT)));
#endif
}

} // namespace

TFormSetTime::TFormSetTime(QWidget* parent)
    : QDialog(parent)
    , m_dtpSt(new QTimeEdit(QTime(0, 0, 0), this))
    , m_dtpEn(new QTimeEdit(QTime(0, 0, 1), this))
    , m_lbDurValue(new QLabel(this))
{
    setObjectName(QStringLiteral("TFormSetTime"));
    setWindowTitle(QStringLiteral("Set new timer log event time"));
    // The same long time format as the duration and the log's rows.
    const QString format = LongTimeEditFormat();
    m_dtpSt->setDisplayFormat(format);
    m_dtpEn->setDisplayFormat(format);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Timer started at:"), m_dtpSt);
    form->addRow(QStringLiteral("Timer stopped at:"), m_dtpEn);
    form->addRow(QStringLiteral("Duration:"), m_lbDurValue);
    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &TFormSetTime::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_dtpSt, &QTimeEdit::timeChanged, this, &TFormSetTime::UpdateDuration);
    connect(m_dtpEn, &QTimeEdit::timeChanged, this, &TFormSetTime::UpdateDuration);
}

TDateTime TFormSetTime::StartTime() const
{
    return FromQTime(m_dtpSt->time());
}

TDateTime TFormSetTime::StopTime() const
{
    return FromQTime(m_dtpEn->time());
}

void TFormSetTime::SetTimes(TDateTime start, TDateTime stop)
{
    m_dtpSt->setTime(ToQTime(start));
    m_dtpEn->setTime(ToQTime(stop));
    UpdateDuration();
}

void TFormSetTime::UpdateDuration()
{
    if (auto text = SetTimeDuration(StartTime(), StopTime())) {
        m_lbDurValue->setText(QString::fromStdString(*text));
        m_lbDurValue->setStyleSheet(QStringLiteral("color: black;"));
    } else {
        m_lbDurValue->setText(QString::fromLatin1(kEndBeforeStartMessage));
        m_lbDurValue->setStyleSheet(QStringLiteral("color: rgb(128, 0, 0);"));
    }
    // Wider for the message, narrower again without it.
    if (isVisible()) {
        FitKeepingCentre(*this);
    }
}

void TFormSetTime::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // In the middle of the screen, from whichever window it was opened.
    CentreOnScreen(*this);
}

void TFormSetTime::accept()
{
    if (!SetTimeDuration(StartTime(), StopTime())) {
        QMessageBox::warning(this, windowTitle(), QString::fromLatin1(kEndBeforeStartMessage));
        return;
    }
    QDialog::accept();
}

void FillLogList(QTreeWidget& list, const TMyTimer& timer, TDateTime day)
{
    list.setUpdatesEnabled(false);
    list.clear();
    for (const LogRow& row : LogRows(timer, day)) {
        auto* item = new QTreeWidgetItem(&list);
        item->setText(0, QString::fromStdString(row.StartText));
        item->setText(1, QString::fromStdString(row.StopText));
        item->setText(2, QString::fromStdString(row.DurationText));
        item->setData(0, kPeriodRole, QVariant::fromValue(reinterpret_cast<quintptr>(row.Period)));
    }
    list.setUpdatesEnabled(true);
}

std::vector<const TWorkPeriod*> SelectedLogPeriods(const QTreeWidget& list)
{
    std::vector<const TWorkPeriod*> periods;
    for (int i = 0; i < list.topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list.topLevelItem(i);
        if (item->isSelected()) {
            periods.push_back(reinterpret_cast<const TWorkPeriod*>(item->data(0, kPeriodRole).value<quintptr>()));
        }
    }
    return periods;
}

TFormLog::TFormLog(TMyTimer& timer, std::function<TDateTime()> now, QWidget* parent)
    : QDialog(parent, Qt::Tool)
    , m_timer(timer)
    , m_now(std::move(now))
    , m_datEd(new QDateEdit(this))
    , m_lvLog(new QTreeWidget(this))
    , m_trbPos(new QSlider(Qt::Horizontal, this))
    , m_tBtnMonBack(new QToolButton(this))
    , m_tBtnDayBack(new QToolButton(this))
    , m_tBtnDayForw(new QToolButton(this))
    , m_tBtnMonForw(new QToolButton(this))
    , m_calendarPopup(new QFrame(this))
    , m_calendar(new QCalendarWidget(m_calendarPopup))
{
    setObjectName(QStringLiteral("TFormLog"));
    setWindowTitle(QStringLiteral("Edit time log"));
    setStyleSheet(QStringLiteral("QTreeWidget { background: black; color: white; }"));

    auto* header = new QWidget(this);
    header->setStyleSheet(QStringLiteral("background: black; color: lime; font-weight: bold;"));
    auto* headerRow = new QHBoxLayout(header);
    headerRow->addWidget(new QLabel(QStringLiteral(" Timer activity log for "), header));
    m_datEd->setFrame(false);
    m_datEd->setButtonSymbols(QAbstractSpinBox::NoButtons);
    headerRow->addWidget(m_datEd);
    headerRow->addStretch();
    auto* columns = new QHBoxLayout;
    for (const char* caption : {"Start time", "Stop time", "Duration"}) {
        auto* label = new QLabel(QString::fromLatin1(caption), header);
        label->setFixedWidth(90);
        columns->addWidget(label);
    }
    columns->addStretch();

    m_lvLog->setColumnCount(3);
    m_lvLog->setHeaderHidden(true);
    m_lvLog->setRootIsDecorated(false);
    m_lvLog->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_lvLog->setSelectionBehavior(QAbstractItemView::SelectRows);
    for (int c = 0; c < 3; ++c) {
        m_lvLog->setColumnWidth(c, 90);
    }

    m_trbPos->setRange(0, kLogSliderMax);
    m_trbPos->setValue(kLogSliderMax);
    m_trbPos->setToolTip(QStringLiteral("Current date slider"));
    m_tBtnMonBack->setText(QStringLiteral("<<"));
    m_tBtnMonBack->setToolTip(QStringLiteral("Goto month back"));
    m_tBtnDayBack->setText(QStringLiteral("<"));
    m_tBtnDayBack->setToolTip(QStringLiteral("Goto day back"));
    m_tBtnDayForw->setText(QStringLiteral(">"));
    m_tBtnDayForw->setToolTip(QStringLiteral("Goto day forward"));
    m_tBtnMonForw->setText(QStringLiteral(">>"));
    m_tBtnMonForw->setToolTip(QStringLiteral("Goto month forward"));
    auto* calendar = new QToolButton(this);
    calendar->setText(QStringLiteral("..."));
    auto* add = new QToolButton(this);
    add->setText(QStringLiteral("+"));
    add->setToolTip(QStringLiteral("Add new log item"));
    auto* del = new QToolButton(this);
    del->setText(QStringLiteral("-"));
    del->setToolTip(QStringLiteral("Delete selected log items"));
    auto* bar = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*> {
             m_tBtnMonBack, m_tBtnDayBack, m_trbPos, m_tBtnDayForw, m_tBtnMonForw, calendar, add, del}) {
        bar->addWidget(w);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(header);
    layout->addLayout(columns);
    layout->addWidget(m_lvLog);
    layout->addLayout(bar);

    auto step = [this](int delta) { m_trbPos->setValue(StepSlider(m_trbPos->value(), delta)); };
    connect(m_tBtnDayBack, &QToolButton::clicked, this, [step] { step(-1); });
    connect(m_tBtnDayForw, &QToolButton::clicked, this, [step] { step(1); });
    connect(m_tBtnMonBack, &QToolButton::clicked, this, [step] { step(-31); });
    connect(m_tBtnMonForw, &QToolButton::clicked, this, [step] { step(31); });
    connect(calendar, &QToolButton::clicked, this, &TFormLog::OpenCalendar);
    // The date field has no button of its own: a click on it opens the
    // calendar (the keys still edit it).
    m_datEd->installEventFilter(this);
    if (auto* text = m_datEd->findChild<QLineEdit*>()) {
        text->installEventFilter(this);
    }
    m_calendarPopup->setWindowFlags(Qt::Popup);
    auto* popupLayout = new QVBoxLayout(m_calendarPopup);
    popupLayout->setContentsMargins(0, 0, 0, 0);
    popupLayout->addWidget(m_calendar);
    connect(m_calendar, &QCalendarWidget::clicked, this, [this](QDate date) {
        m_calendarPopup->hide();
        m_datEd->setDate(date);
    });
    connect(m_calendar, &QCalendarWidget::activated, this, [this](QDate date) {
        m_calendarPopup->hide();
        m_datEd->setDate(date);
    });
    connect(m_trbPos, &QSlider::valueChanged, this, [this] { datEdChange(true); });
    connect(m_datEd, &QDateEdit::dateChanged, this, [this] { datEdChange(false); });
    connect(add, &QToolButton::clicked, this, [this] {
        if (PlayClick) {
            PlayClick();
        }
        TFormSetTime dialog(this);
        if (dialog.exec() == QDialog::Accepted) {
            AddPeriod(dialog.StartTime(), dialog.StopTime());
        }
        FillEditLog();
    });
    connect(del, &QToolButton::clicked, this, [this] { DeleteSelected(false); });
    UpdateLogButtons();
}

void TFormLog::OpenCalendar()
{
    m_calendar->setSelectedDate(m_datEd->date());
    m_calendarPopup->adjustSize();
    m_calendarPopup->move(m_datEd->mapToGlobal(QPoint(0, m_datEd->height())));
    m_calendarPopup->show();
    m_calendar->setFocus();
}

bool TFormLog::eventFilter(QObject* watched, QEvent* event)
{
    const bool dateField = watched == m_datEd || watched->parent() == m_datEd;
    if (dateField && event->type() == QEvent::MouseButtonRelease) {
        OpenCalendar();
    }
    return QDialog::eventFilter(watched, event);
}

TDateTime TFormLog::Today() const
{
    return std::floor(m_now());
}

void TFormLog::SetDate(TDateTime date)
{
    m_datEd->setDate(ToQDate(date));
    datEdChange(false);
}

void TFormLog::datEdChange(bool fromSlider)
{
    if (m_updating) {
        return;
    }
    m_updating = true;
    if (fromSlider) {
        m_datEd->setDate(ToQDate(SliderDate(m_trbPos->value(), Today())));
        m_trbPos->setFocus();
    } else {
        TDateTime date = FromQDate(m_datEd->date());
        const int position = SliderPosition(date, Today());
        m_datEd->setDate(ToQDate(date));
        m_trbPos->setValue(position);
    }
    m_updating = false;
    m_logDate = FromQDate(m_datEd->date());
    FillEditLog();
    UpdateLogButtons();
}

void TFormLog::UpdateLogButtons()
{
    const LogButtons buttons = tally::UpdateLogButtons(m_trbPos->value());
    m_tBtnMonBack->setEnabled(buttons.Back);
    m_tBtnDayBack->setEnabled(buttons.Back);
    m_tBtnDayForw->setEnabled(buttons.Forward);
    m_tBtnMonForw->setEnabled(buttons.Forward);
}

bool TFormLog::BackEnabled() const
{
    return m_tBtnDayBack->isEnabled();
}

bool TFormLog::ForwardEnabled() const
{
    return m_tBtnDayForw->isEnabled();
}

void TFormLog::FillEditLog()
{
    FillLogList(*m_lvLog, m_timer, m_logDate);
}

void TFormLog::AddPeriod(TDateTime startTime, TDateTime stopTime)
{
    AddLogPeriod(m_timer, m_logDate, startTime, stopTime);
    FillEditLog();
}

void TFormLog::DeleteSelected(bool confirmed)
{
    if (!confirmed
        && QMessageBox::question(this,
                                 QStringLiteral("Confirmation"),
                                 QStringLiteral("Are you sure you want to delete selected time events?"),
                                 QMessageBox::Yes | QMessageBox::No)
               != QMessageBox::Yes) {
        return;
    }
    DeleteLogPeriods(m_timer, SelectedLogPeriods(*m_lvLog));
    FillEditLog();
}

} // namespace tally
