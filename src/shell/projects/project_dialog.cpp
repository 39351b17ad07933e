#include "shell/projects/project_dialog.h"

#include "shell/common/qt_colors.h"
#include "shell/common/qt_dates.h"
#include "shell/common/screen_fit.h"
#include "view/date_field.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QColorDialog>
#include <QEvent>
#include <QKeyEvent>
#include <QPalette>

namespace tally {

namespace {

// The system colours a project may refer to (by index); the rest show as
// the active caption does.
QColor SystemColor(std::uint32_t index)
{
    const QPalette palette = QApplication::palette();
    switch (index) {
        case 1: // desktop
        case 2: // active caption
            return palette.color(QPalette::Active, QPalette::Highlight);
        case 3: // inactive caption
            return palette.color(QPalette::Inactive, QPalette::Highlight);
        case 5: // window
            return palette.color(QPalette::Base);
        case 8: // window text
            return palette.color(QPalette::Text);
        case 15: // button face
            return palette.color(QPalette::Button);
        default:
            return palette.color(QPalette::Active, QPalette::Highlight);
    }
}

class EventHook : public QObject
{
public:
    EventHook(QObject* parent, std::function<bool(QEvent*)> hook)
        : QObject(parent)
        , m_hook(std::move(hook))
    { }
    bool eventFilter(QObject*, QEvent* event) override { return m_hook(event); }

private:
    std::function<bool(QEvent*)> m_hook;
};

// The date 0 (1899-12-30) is the field's minimum and shows as empty.
QDateEdit* MakeDateEdit(QWidget* parent)
{
    auto* edit = new QDateEdit(parent);
    edit->setCalendarPopup(true);
    edit->setMinimumDate(ToQDate(0.0));
    edit->setSpecialValueText(QStringLiteral(" "));
    edit->setDate(edit->minimumDate());
    // The popup selects the field's date, which turns the page; an empty
    // field's calendar then turns to today's month instead.
    QCalendarWidget* calendar = edit->calendarWidget();
    calendar->installEventFilter(new EventHook(edit, [edit, calendar](QEvent* event) {
        if (event->type() == QEvent::Show) {
            const QDate day = ToQDate(CalendarOpenDay(FromQDate(edit->date()), FromQDate(QDate::currentDate())));
            calendar->setCurrentPage(day.year(), day.month());
        }
        return false;
    }));
    return edit;
}

QLabel* MakeLabel(const QString& text, QWidget* parent, QRect geometry, bool bold = false)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(geometry);
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    return label;
}

} // namespace

QColor ProjectColor(std::uint32_t color)
{
    if ((color & 0xFF000000u) == 0xFF000000u) {
        return SystemColor(color & 0x00FFFFFFu);
    }
    return FromBgr(color);
}

TFormNewProject::TFormNewProject(QWidget* parent)
    : QDialog(parent)
    , m_edName(new QLineEdit(this))
    , m_pancol(new QFrame(this))
    , m_dtpSt(MakeDateEdit(this))
    , m_dtpEn(MakeDateEdit(this))
    , m_edCurr(new QLineEdit(this))
    , m_lbPriceError(new QLabel(this))
    , m_mmDescr(new QPlainTextEdit(this))
    , m_btnOk(new QPushButton(QStringLiteral("Ok"), this))
    , m_btnCancel(new QPushButton(QStringLiteral("Cancel"), this))
{
    setObjectName(QStringLiteral("TFormNewProject"));
    setWindowTitle(QStringLiteral("New Project"));
    setFixedSize(510, 357);

    MakeLabel(QStringLiteral("Project name:"), this, {8, 14, 124, 17}, true);
    m_edName->setGeometry(134, 12, 339, 21);
    m_edName->setMaxLength(kMaxProjectNameLength);
    KeepOneLine(*m_edName);
    m_pancol->setGeometry(480, 12, 25, 21);
    m_pancol->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_pancol->setAutoFillBackground(true);
    m_pancol->setCursor(Qt::PointingHandCursor);

    MakeLabel(QStringLiteral("Project planning:"), this, {8, 50, 200, 17}, true);
    auto* line = new QFrame(this);
    line->setGeometry(8, 70, 493, 2);
    line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    MakeLabel(QStringLiteral("Project start date:"), this, {8, 94, 124, 17});
    m_dtpSt->setGeometry(136, 92, 121, 21);
    MakeLabel(QStringLiteral("Project end date:"), this, {8, 122, 124, 17});
    m_dtpEn->setGeometry(136, 120, 121, 21);
    m_edCurr->setGeometry(136, 164, 121, 21);
    m_lbPriceError->setGeometry(264, 160, 240, 30);
    m_lbPriceError->setWordWrap(true);
    QPalette red = m_lbPriceError->palette();
    red.setColor(QPalette::WindowText, FromBgr(0x000080)); // dark red
    m_lbPriceError->setPalette(red);
    m_lbPriceError->hide();

    MakeLabel(QStringLiteral("Project description:"), this, {8, 202, 200, 17}, true);
    m_mmDescr->setGeometry(8, 222, 493, 87);
    m_mmDescr->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_btnOk->setGeometry(344, 324, 75, 25);
    m_btnOk->setDefault(true);
    m_btnCancel->setGeometry(424, 324, 75, 25);

    connect(m_btnOk, &QPushButton::clicked, this, &TFormNewProject::BtnOkClick);
    connect(m_btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_edCurr, &QLineEdit::textChanged, m_lbPriceError, &QWidget::hide);
    m_edCurr->installEventFilter(new EventHook(this, [](QEvent* event) {
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        return !PriceKeyAccepted(static_cast<QKeyEvent*>(event)->text().toStdString());
    }));
    PickColor = [this](std::uint32_t current) -> std::optional<std::uint32_t> {
        const QColor chosen = QColorDialog::getColor(ProjectColor(current), this);
        if (!chosen.isValid()) {
            return std::nullopt;
        }
        return ToBgr(chosen);
    };
    m_pancol->installEventFilter(new EventHook(this, [this](QEvent* event) {
        if (event->type() != QEvent::MouseButtonRelease) {
            return false;
        }
        if (PickColor) {
            if (const auto chosen = PickColor(m_color)) {
                SetSwatchColor(*chosen);
            }
        }
        return true;
    }));
    SetSwatchColor(kActiveCaptionColor);
}

void TFormNewProject::Load(const ProjectDialogState& state, bool editing)
{
    setWindowTitle(editing ? QStringLiteral("Project properties") : QStringLiteral("New Project"));
    m_edName->setText(QString::fromStdString(state.Name));
    SetSwatchColor(state.Color);
    m_dtpSt->setDate(state.StartDate > 0 ? ToQDate(state.StartDate) : m_dtpSt->minimumDate());
    m_dtpEn->setDate(state.EndDate > 0 ? ToQDate(state.EndDate) : m_dtpEn->minimumDate());
    m_edCurr->setText(QString::fromStdString(state.PriceText));
    m_mmDescr->setPlainText(QString::fromStdString(state.Description));
}

ProjectDialogState TFormNewProject::State() const
{
    ProjectDialogState state;
    state.Name = m_edName->text().toStdString();
    state.Color = m_color;
    state.Description = m_mmDescr->toPlainText().toStdString();
    state.StartDate = m_dtpSt->date() == m_dtpSt->minimumDate() ? 0.0 : FromQDate(m_dtpSt->date());
    state.EndDate = m_dtpEn->date() == m_dtpEn->minimumDate() ? 0.0 : FromQDate(m_dtpEn->date());
    state.PriceText = m_edCurr->text().toStdString();
    return state;
}

void TFormNewProject::SetSwatchColor(std::uint32_t color)
{
    m_color = color;
    QPalette palette = m_pancol->palette();
    palette.setColor(QPalette::Window, ProjectColor(color));
    m_pancol->setPalette(palette);
}

void TFormNewProject::BtnOkClick()
{
    m_values = AcceptedValues(State());
    if (!m_values) {
        // A wrong price must neither create nor change a project.
        m_lbPriceError->setText(QStringLiteral("The price must be a number."));
        m_lbPriceError->show();
        m_edCurr->setFocus();
        m_edCurr->selectAll();
        return;
    }
    accept();
}

} // namespace tally
