#pragma once

#include <QMenu>
#include <QSystemTrayIcon>

namespace tally {

class MainWindow;
class TBrisvaleLog;

// The notification-area icon: the program's permanent presence. A left click
// opens the main window, a right click the tray menu.
class TrayIcon : public QSystemTrayIcon
{
    Q_OBJECT

public:
    TrayIcon(MainWindow& window, TBrisvaleLog& log, QObject* parent = nullptr);

    QMenu& Menu() { return m_menu; }

private:
    QMenu m_menu;
};

} // namespace tally
