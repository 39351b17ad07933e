#include "shell/app/tray.h"

#include "runlog/brisvale_log.h"
#include "shell/common/skin_images.h"
#include "shell/main_window/main_window.h"

#include <QIcon>

namespace tally {

TrayIcon::TrayIcon(MainWindow& window, TBrisvaleLog& log, QObject* parent)
    : QSystemTrayIcon(parent)
{
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64}) {
        icon.addPixmap(SkinPixmap(QStringLiteral("icon_%1").arg(size), QSize(size, size)));
    }
    setIcon(icon);
    setToolTip(QStringLiteral("Tallyhour Zide v1.1"));

    QAction* open = m_menu.addAction(window.actOpen->text());
    QFont bold = open->font();
    bold.setBold(true);
    open->setFont(bold);
    connect(open, &QAction::triggered, window.actOpen, &QAction::trigger);
    m_menu.setDefaultAction(open);
    m_menu.addAction(window.actNewTimer);
    m_menu.addSeparator();
    m_menu.addAction(window.actSendComments);
    m_menu.addAction(window.actHomePage);
    m_menu.addAction(window.actHelp);
    m_menu.addAction(window.actAbout);
    m_menu.addSeparator();
    m_menu.addAction(window.actExit);
    setContextMenu(&m_menu);

    connect(this, &QSystemTrayIcon::activated, this, [&window, &log](ActivationReason reason) {
        log.WriteLine(0, "TIconClick->");
        if (reason == Trigger || reason == DoubleClick) {
            window.actOpen->trigger();
        }
    });
}

} // namespace tally
