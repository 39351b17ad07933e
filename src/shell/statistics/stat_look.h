#pragma once

#include <QColor>
#include <QLabel>
#include <QPalette>
#include <QString>
#include <QWidget>

// The statistics window's colours on its widgets, shared by the window and
// its pages.
namespace tally {

inline void Paint(QWidget* widget, const QColor& background, const QColor& text)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, background);
    p.setColor(QPalette::Base, background);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Text, text);
    widget->setPalette(p);
    widget->setAutoFillBackground(true);
}

inline QLabel* Label(const QString& text, QWidget* parent, const QColor& colour, bool bold = false)
{
    auto* label = new QLabel(text, parent);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
    if (bold) {
        QFont f = label->font();
        f.setBold(true);
        label->setFont(f);
    }
    return label;
}

} // namespace tally
