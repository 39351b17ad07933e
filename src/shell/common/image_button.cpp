#include "shell/common/image_button.h"

#include <QMouseEvent>
#include <QPainter>

namespace tally {

TImageBtn::TImageBtn(const QPixmap& normal, const QPixmap& hot, const QPixmap& down, QWidget* parent)
    : QWidget(parent)
    , m_normal(normal)
    , m_hot(hot)
    , m_down(down)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(normal.size());
    setCursor(Qt::PointingHandCursor);
}

void TImageBtn::Show(const QPixmap* picture)
{
    m_current = picture;
    update();
}

void TImageBtn::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawPixmap(0, 0, *m_current);
}

void TImageBtn::enterEvent(QEnterEvent*)
{
    m_beforeHot = m_current;
    Show(&m_hot);
}

void TImageBtn::leaveEvent(QEvent*)
{
    Show(m_beforeHot);
}

void TImageBtn::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_beforeDown = m_current;
        Show(&m_down);
    }
}

void TImageBtn::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        return;
    }
    Show(m_beforeDown);
    if (rect().contains(event->position().toPoint())) {
        emit clicked();
    }
}

} // namespace tally
