#include "shell/main_window/hint_window.h"

#include "view/hint_logic.h"
#include "view/label_fit.h"

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

    // A value starts at its usual place or, where the caption in the font
    // this machine has is wider, just after it.
    const auto value = [this](const char* caption, int usualLeft, int y) {
        const QLabel* label = MakeLabel(this, QString::fromLatin1(caption), 4, y, true);
        const int left = ValueLeft(usualLeft, label->x(), label->fontMetrics().horizontalAdvance(label->text()));
        QLabel* shown = MakeLabel(this, QString(), left, y, false);
        shown->setFixedWidth(kHintWidth - left);
        return shown;
    };
    m_lbActTime = value("Active work time:", 112, 24);
    m_lbPassTime = value("Background work time:", 138, 38);
    MakeLabel(this, QStringLiteral("_________"), 4, 44, false);
    m_lbTotalTime = value("Total:", 38, 60);
    m_lbActive = MakeLabel(this, QString(), 4, 80, false);
    m_lbActive->setFixedWidth(150);
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
    // A long name ends in an ellipsis rather than being cut.
    m_lbTimerName->setText(m_lbTimerName->fontMetrics().elidedText(
        QString::fromStdString(view.Name), Qt::ElideRight, m_lbTimerName->width()));
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
