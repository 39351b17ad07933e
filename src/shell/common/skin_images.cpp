#include "shell/common/skin_images.h"

#include <QFile>
#include <QPainter>
#include <QPainterPath>

namespace tally {

namespace {

QPixmap DrawnSkin(QSize size)
{
    QPixmap pixmap(size);
    pixmap.fill(kSkinKeyColor);
    QPainter p(&pixmap);
    // No anti-aliasing: edge pixels must not blend into the key colour.
    p.setRenderHint(QPainter::Antialiasing, false);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(0, 0, size.width() - 1, size.height() - 1), 18, 18);
    p.fillPath(outline, QColor(44, 50, 62));
    p.fillRect(QRect(16, 88, size.width() - 32, 191), QColor(0, 0, 0));
    p.setPen(QColor(220, 226, 235));
    p.drawText(QPoint(18, 30), QStringLiteral("Tallyhour Zide"));
    return pixmap;
}

QPixmap DrawnShape(const QString& name, QSize size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, true);
    QColor color(120, 150, 190);
    if (name.startsWith(QStringLiteral("dot_green"))) {
        color = QColor(40, 200, 70);
    } else if (name.startsWith(QStringLiteral("dot_yellow"))) {
        color = QColor(235, 200, 40);
    } else if (name.endsWith(QStringLiteral("_hot"))) {
        color = QColor(160, 190, 230);
    } else if (name.endsWith(QStringLiteral("_down"))) {
        color = QColor(80, 110, 150);
    }
    p.setBrush(color);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(0.5, 0.5, size.width() - 1.0, size.height() - 1.0));
    return pixmap;
}

} // namespace

QPixmap SkinPixmap(const QString& name, QSize fallbackSize)
{
    const QString path = QStringLiteral(":/assets/%1.png").arg(name);
    if (QFile::exists(path)) {
        QPixmap pixmap(path);
        if (!pixmap.isNull()) {
            return pixmap;
        }
    }
    if (name == QLatin1String("skin")) {
        return DrawnSkin(fallbackSize);
    }
    return DrawnShape(name, fallbackSize);
}

} // namespace tally
