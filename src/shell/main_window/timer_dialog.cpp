#include "shell/main_window/timer_dialog.h"

#include "model/duration.h"
#include "shell/common/qt_colors.h"
#include "shell/common/screen_fit.h"

#include <QColorDialog>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QVBoxLayout>

#include <iterator>

namespace tally {

namespace {

// Runs a function for the clicks and key presses that the dialog's own
// controls do not offer as signals.
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

} // namespace

bool IsApplicationFile(const QString& path)
{
    const QFileInfo info(path);
#ifdef _WIN32
    return info.suffix().compare(QStringLiteral("exe"), Qt::CaseInsensitive) == 0;
#else
    return info.isFile() && info.isExecutable();
#endif
}

TFormNewTimer::TFormNewTimer(std::size_t timerCount, bool& nameEdited, QWidget* parent)
    : QDialog(parent)
    , m_logic(timerCount, nameEdited)
    , m_edName(new QLineEdit(this))
    , m_pancol(new QFrame(this))
    , m_cbSpecialTimType(new QComboBox(this))
    , m_panAddIdent(new QWidget(this))
    , m_lbApplList(new QListWidget(m_panAddIdent))
    , m_btnAdd(new QPushButton(QStringLiteral("Add"), m_panAddIdent))
    , m_btnDel(new QPushButton(QStringLiteral("Remove"), m_panAddIdent))
    , m_edEdit(new QLineEdit(m_panAddIdent))
    , m_lbActTime(new QLabel(this))
    , m_panBackTime(new QWidget(this))
    , m_lbPassTime(new QLabel(m_panBackTime))
    , m_lbTotTime(new QLabel(m_panBackTime))
    , m_btnEditTime(new QPushButton(QStringLiteral("Edit time"), this))
{
    setObjectName(QStringLiteral("TFormNewTimer"));
    setWindowTitle(QStringLiteral("New timer"));
    m_edName->setMaxLength(static_cast<int>(kMaxTimerNameLength));
    KeepOneLine(*m_edName);
    m_pancol->setFixedSize(24, 24);
    m_pancol->setAutoFillBackground(true);
    m_pancol->setCursor(Qt::PointingHandCursor);
    m_pancol->setFrameShape(QFrame::Box);

    const char* radioCaptions[] = {"Manual", "Application", "Window caption", "Special timer"};
    auto* typeBox = new QVBoxLayout;
    for (int i = 0; i < 4; ++i) {
        m_radios[i] = new QRadioButton(QString::fromLatin1(radioCaptions[i]), this);
        typeBox->addWidget(m_radios[i]);
        const auto type = static_cast<TypeChoice>(i);
        // A press first keeps the list of the type being left.
        connect(m_radios[i], &QRadioButton::clicked, this, [this, type] { OnTypeClicked(type); });
    }
    m_cbSpecialTimType->addItems({QStringLiteral("Typing time"),
                                  QStringLiteral("Internet connection time"),
                                  QStringLiteral("Computer Work Time"),
                                  QStringLiteral("Computer Idle Time (only for Win2000, Win NT and Win XP)")});
    typeBox->addWidget(m_cbSpecialTimType);
    connect(m_cbSpecialTimType, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_refreshing) {
            m_logic.SelectSpecial(index);
            Refresh();
        }
    });

    auto* identLayout = new QGridLayout(m_panAddIdent);
    identLayout->addWidget(
        new QLabel(QStringLiteral("Strings-identifiers (double click to edit string. Enter - save, Esc - undo):"),
                   m_panAddIdent),
        0,
        0,
        1,
        2);
    identLayout->addWidget(m_lbApplList, 1, 0, 2, 1);
    identLayout->addWidget(m_btnAdd, 1, 1);
    identLayout->addWidget(m_btnDel, 2, 1, Qt::AlignTop);
    m_edEdit->hide();
    m_edEdit->setFrame(false);
    connect(m_btnAdd, &QPushButton::clicked, this, &TFormNewTimer::OnAdd);
    connect(m_btnDel, &QPushButton::clicked, this, [this] {
        const int row = m_lbApplList->currentRow();
        if (row >= 0 && m_lbApplList->item(row)->isSelected()) {
            m_logic.RemoveIdentifier(static_cast<std::size_t>(row));
            Refresh();
        }
    });
    connect(m_lbApplList, &QListWidget::itemDoubleClicked, this, &TFormNewTimer::StartInPlaceEdit);
    m_edEdit->installEventFilter(new EventHook(this, [this](QEvent* event) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter) {
                EndInPlaceEdit(key != Qt::Key_Escape);
                return true;
            }
        }
        return false;
    }));
    m_lbApplList->viewport()->installEventFilter(new EventHook(this, [this](QEvent* event) {
        // Only a click that began while the editor showed ends it: the
        // release of the double click that opened it must not.
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
            m_pressWhileEditing = m_edEdit->isVisible();
        } else if (event->type() == QEvent::MouseButtonRelease && m_edEdit->isVisible() && m_pressWhileEditing) {
            m_pressWhileEditing = false;
            EndInPlaceEdit(true);
        }
        return false;
    }));
    m_pancol->installEventFilter(new EventHook(this, [this](QEvent* event) {
        if (event->type() == QEvent::MouseButtonRelease) {
            const QColor chosen = QColorDialog::getColor(FromBgr(m_logic.Color()), this);
            if (chosen.isValid()) {
                SetPanelColor(ToBgr(chosen));
            }
            return true;
        }
        return false;
    }));

    auto* backLayout = new QGridLayout(m_panBackTime);
    backLayout->setContentsMargins(0, 0, 0, 0);
    backLayout->addWidget(new QLabel(QStringLiteral("Background work time:"), m_panBackTime), 0, 0);
    backLayout->addWidget(m_lbPassTime, 0, 1);
    backLayout->addWidget(new QLabel(QStringLiteral("Total work time:"), m_panBackTime), 1, 0);
    backLayout->addWidget(m_lbTotTime, 1, 1);

    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_btnEditTime, &QPushButton::clicked, this, [this] {
        if (EditTime) {
            EditTime();
        }
    });
    connect(
        m_edName, &QLineEdit::textEdited, this, [this](const QString& text) { m_logic.EditName(text.toStdString()); });

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Timer name:"), this));
    top->addWidget(m_edName, 1);
    top->addWidget(m_pancol);
    auto* times = new QGridLayout;
    times->addWidget(new QLabel(QStringLiteral("Work time:"), this), 0, 0);
    times->addWidget(new QLabel(QStringLiteral("Active work time:"), this), 1, 0);
    times->addWidget(m_lbActTime, 1, 1);
    times->addWidget(m_panBackTime, 2, 0, 1, 2);
    times->addWidget(m_btnEditTime, 3, 0);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(new QLabel(QStringLiteral("Timer type:"), this));
    layout->addLayout(typeBox);
    layout->addWidget(m_panAddIdent);
    layout->addLayout(times);
    layout->addLayout(buttons);

    // Tab follows the layout from top to bottom; left to creation order it
    // would jump from the type buttons straight to "Ok", past the list.
    QWidget* const tabOrder[] = {m_edName,
                                 m_radios[0],
                                 m_radios[1],
                                 m_radios[2],
                                 m_radios[3],
                                 m_cbSpecialTimType,
                                 m_lbApplList,
                                 m_btnAdd,
                                 m_btnDel,
                                 m_btnEditTime,
                                 ok,
                                 cancel};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i) {
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    }

    m_radios[0]->setChecked(true);
    m_btnEditTime->hide();
    ShowTimes(0.0, 0.0);
    Refresh();
}

QRadioButton& TFormNewTimer::Radio(TypeChoice type)
{
    return *m_radios[static_cast<int>(type)];
}

void TFormNewTimer::LoadTimer(const TMyTimer& timer)
{
    setWindowTitle(QStringLiteral("Timer properties"));
    m_logic.LoadTimer(timer);
    m_btnEditTime->show();
    ShowTimes(timer.ActiveTime, timer.BackgroundTime);
    Refresh();
}

void TFormNewTimer::ShowTimes(TDateTime active, TDateTime background)
{
    m_lbActTime->setText(QString::fromStdString(FormatDuration(active)));
    m_lbPassTime->setText(QString::fromStdString(FormatDuration(background)));
    m_lbTotTime->setText(QString::fromStdString(FormatDuration(active + background)));
}

void TFormNewTimer::SetPanelColor(std::uint32_t bgr)
{
    m_logic.SetColor(bgr);
    QPalette pal = m_pancol->palette();
    pal.setColor(QPalette::Window, FromBgr(bgr));
    m_pancol->setPalette(pal);
}

void TFormNewTimer::Refresh()
{
    m_refreshing = true;
    if (m_edName->text().toStdString() != m_logic.Name()) {
        m_edName->setText(QString::fromStdString(m_logic.Name()));
    }
    m_radios[static_cast<int>(m_logic.Type())]->setChecked(true);
    m_cbSpecialTimType->setCurrentIndex(m_logic.SpecialIndex());
    // The type's lists come and go: the dialog then fits them (only then, so
    // that a size the user chose stays while the list is edited).
    const bool sameParts = m_cbSpecialTimType->isHidden() != m_logic.SpecialListVisible()
                           && m_panAddIdent->isHidden() != m_logic.IdentifiersVisible()
                           && m_panBackTime->isHidden() != m_logic.BackgroundTimesVisible();
    m_cbSpecialTimType->setVisible(m_logic.SpecialListVisible());
    m_panAddIdent->setVisible(m_logic.IdentifiersVisible());
    m_panBackTime->setVisible(m_logic.BackgroundTimesVisible());
    m_lbApplList->clear();
    for (const std::string& identifier : m_logic.Identifiers()) {
        m_lbApplList->addItem(QString::fromStdString(identifier));
    }
    SetPanelColor(m_logic.Color());
    m_refreshing = false;
    if (!sameParts) {
        FitKeepingCentre(*this);
    }
}

void TFormNewTimer::OnTypeClicked(TypeChoice type)
{
    m_logic.SelectType(type);
    Refresh();
}

void TFormNewTimer::OnAdd()
{
    if (m_logic.Type() == TypeChoice::Application && PickApplicationFile) {
        if (auto path = PickApplicationFile()) {
            m_logic.AddApplicationFile(*path, IsApplicationFile(QString::fromStdString(*path)));
        }
    }
    if (m_logic.Type() == TypeChoice::Caption && PickCaption) {
        if (auto picked = PickCaption()) {
            m_logic.AddCaption(picked->first, static_cast<WindowScope>(picked->second));
        }
    }
    Refresh();
}

void TFormNewTimer::StartInPlaceEdit()
{
    QListWidgetItem* item = m_lbApplList->currentItem();
    if (!item) {
        return;
    }
    m_editRow = m_lbApplList->row(item);
    const QRect r = m_lbApplList->visualItemRect(item).translated(m_lbApplList->pos() + QPoint(3, 2));
    m_edEdit->setGeometry(r);
    m_edEdit->setText(item->text());
    m_edEdit->show();
    m_edEdit->raise();
    m_edEdit->setFocus();
    m_edEdit->selectAll();
}

void TFormNewTimer::EndInPlaceEdit(bool save)
{
    // The line the editor was opened over, even when the click that ends
    // the edit selected another one.
    const int row = m_editRow;
    const int selected = m_lbApplList->currentRow();
    m_edEdit->hide();
    if (save && row >= 0 && row < m_lbApplList->count()) {
        m_logic.EditIdentifier(static_cast<std::size_t>(row), m_edEdit->text().toStdString());
        Refresh();
        m_lbApplList->setCurrentRow(selected);
    }
}

} // namespace tally
