// The yardstick for the program's start-up: a bare Qt 6 program with one
// hidden window and a tray icon with a menu, nothing else.
#include <QApplication>
#include <QIcon>
#include <QMenu>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Bare tray"));
    QApplication::setQuitOnLastWindowClosed(false);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare tray"));
    window.resize(465, 329);
    QPixmap picture(22, 22);
    picture.fill(Qt::darkCyan);
    QSystemTrayIcon tray {QIcon(picture)};
    QMenu menu;
    menu.addAction(QStringLiteral("Open"), &window, &QWidget::show);
    menu.addAction(QStringLiteral("Exit"), &app, &QApplication::quit);
    tray.setContextMenu(&menu);
    tray.setToolTip(QStringLiteral("Bare tray"));
    tray.show();
    return QApplication::exec();
}
