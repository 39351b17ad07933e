#include "shell/common/screen_fit.h"

#include "model/one_line.h"

#include <QGuiApplication>
#include <QLayout>
#include <QLineEdit>
#include <QScreen>
#include <QWidget>

namespace tally {

WorkArea WorkAreaOf(const QWidget& window)
{
    QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        return {0, 0, 1 << 20, 1 << 20};
    }
    const QRect area = screen->availableGeometry();
    return {area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
}

void SetFrameGeometry(QWidget& window, const WindowGeometry& frame)
{
    // The window manager's border and title bar around the client area.
    const QRect outer = window.frameGeometry();
    const QRect inner = window.geometry();
    const int left = inner.x() - outer.x();
    const int top = inner.y() - outer.y();
    const int extraWidth = outer.width() - inner.width();
    const int extraHeight = outer.height() - inner.height();
    window.setGeometry(frame.X + left, frame.Y + top, frame.Width - extraWidth, frame.Height - extraHeight);
}

void FitKeepingCentre(QWidget& window)
{
    // Taken before the layout runs: a layout that grows the window to its
    // new minimum does so from the top-left corner.
    const QRect outer = window.frameGeometry();
    const QRect inner = window.geometry();
    if (QLayout* layout = window.layout()) {
        layout->activate();
    }
    const QSize wanted = window.sizeHint().expandedTo(window.minimumSizeHint()).expandedTo(window.minimumSize());
    if (!window.isVisible()) {
        window.resize(wanted);
        return;
    }
    const int width = wanted.width() + outer.width() - inner.width();
    const int height = wanted.height() + outer.height() - inner.height();
    SetFrameGeometry(window, ResizeKeepingCentre(ToGeometry(outer), width, height, WorkAreaOf(window)));
}

void CentreOnScreen(QWidget& window)
{
    const QRect outer = window.frameGeometry();
    SetFrameGeometry(window, CentreInArea(outer.width(), outer.height(), WorkAreaOf(window)));
}

void KeepOneLine(QLineEdit& field)
{
    QObject::connect(&field, &QLineEdit::textEdited, &field, [&field](const QString& text) {
        const QString single = QString::fromStdString(OneLine(text.toStdString()));
        if (single != text) {
            const int cursor = field.cursorPosition();
            field.setText(single);
            field.setCursorPosition(std::min(cursor, static_cast<int>(single.size())));
        }
    });
}

} // namespace tally
