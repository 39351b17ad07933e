#include "shell/main_window/hint_window.h"

#include "view/hint_logic.h"

#include <QMouseEvent>
#include <QPalette>

namespace tally {

namespace {

constexpr int kHintWidth = 197;
constexpr int kHintHeight = 97;

QLabel* MakeLabel(QWidget* parent, const QString& text, int x, int y, bool bold)
{
    auto* label = new QLabel(text, parent);
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    font.setBold(bold);
    label->setFont(font);
    label->move(x, y);
    label->setAutoFillBackground(false);
    return label;
}

QString Css(std::uint32_t bgr)
{
    return QStringLiteral("color: rgb(%1, %2, %3);").arg(bgr & 0xFF).arg((bgr >> 8) & 0xFF).arg((bgr >> 16) & 0xFF);
}

} // namespace

TFormHint::TFormHint(QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus)
{
    setObjectName(QStringLiteral("TFormHint"));
    setFixedSize(kHintWidth, kHintHeight);
    setMouseTracking(true);
    setWindowOpacity(200.0 / 255.0);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::ToolTipBase));
    setPalette(pal);

    auto* bar = new QWidget(this);
    bar->setGeometry(0, 0, 197, 17);
    bar->setAutoFillBackground(true);
    QPalette barPal = bar->palette();
    barPal.setColor(QPalette::Window, barPal.color(QPalette::Highlight));
    bar->setPalette(barPal);
    m_lbTimerName = MakeLabel(bar, QString(), 8, 2, true);
    m_lbTimerName->setStyleSheet(QStringLiteral("color: white;"));
    m_lbTimerName->setFixedWidth(185);

    MakeLabel(this, QStringLiteral("Active work time:"), 4, 24, true);
    m_lbActTime = MakeLabel(this, QString(), 112, 24, false);
    MakeLabel(this, QStringLiteral("Background work time:"), 4, 38, true);
    m_lbPassTime = MakeLabel(this, QString(), 138, 38, false);
    MakeLabel(this, QStringLiteral("_________"), 4, 44, false);
    MakeLabel(this, QStringLiteral("Total:"), 4, 60, true);
    m_lbTotalTime = MakeLabel(this, QString(), 38, 60, false);
    m_lbActive = MakeLabel(this, QString(), 4, 80, false);
    for (QLabel* value : {m_lbActTime, m_lbPassTime, m_lbTotalTime, m_lbActive}) {
        value->setFixedWidth(150);
    }
    m_lbNotice = MakeLabel(this, QString(), 4, kHintHeight - 2, false);
    m_lbNotice->setWordWrap(true);
    m_lbNotice->setFixedWidth(kHintWidth - 8);
    m_lbNotice->hide();
    // The pointer over any part of the hint is the hint's to handle.
    for (QWidget* child : findChildren<QWidget*>()) {
        child->setAttribute(Qt::WA_TransparentForMouseEvents);
    }

    m_timShow.setInterval(300);
    connect(&m_timShow, &QTimer::timeout, this, [this] {
        m_timShow.stop();
        show();
    });
}

void TFormHint::Fill(const TimerHintView& view)
{
    m_lbTimerName->setText(QString::fromStdString(view.Name));
    m_lbActTime->setText(QString::fromStdString(view.ActiveText));
    m_lbPassTime->setText(QString::fromStdString(view.BackgroundText));
    m_lbTotalTime->setText(QString::fromStdString(view.TotalText));
    m_lbActive->setText(QString::fromStdString(view.StateText));
    m_lbActive->setStyleSheet(Css(view.StateColor));
    // The hint grows by the notice's lines, below the fixed layout.
    if (view.Notice.empty()) {
        m_lbNotice->hide();
        m_lbNotice->clear();
        setFixedSize(kHintWidth, kHintHeight);
    } else {
        m_lbNotice->setText(QString::fromStdString(view.Notice));
        m_lbNotice->adjustSize();
        m_lbNotice->show();
        setFixedSize(kHintWidth, kHintHeight + m_lbNotice->height() + 2);
    }
}

void TFormHint::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pointer = event->globalPosition().toPoint();
    const ScreenPoint at = HintPosition({pointer.x(), pointer.y()});
    move(at.X, at.Y);
}

void TFormHint::ShowDelayed()
{
    m_timShow.start();
}

void TFormHint::HideHint()
{
    m_timShow.stop();
    if (isVisible()) {
        hide();
    }
}

} // namespace tally
