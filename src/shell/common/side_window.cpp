#include "shell/common/side_window.h"

#include "runlog/brisvale_log.h"
#include "storage/options.h"

#include <QEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

namespace tally {

Answer AskWithMessageBox(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirmation"), text, QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(QMessageBox::Yes);
    QPushButton* no = box.addButton(QMessageBox::No);
    QPushButton* none = box.addButton(QMessageBox::Cancel);
    none->hide();
    box.setEscapeButton(none);
    box.setDefaultButton(no);
    box.exec();
    if (box.clickedButton() == yes) {
        return Answer::Yes;
    }
    return box.clickedButton() == no ? Answer::No : Answer::None;
}

SideWindowController::SideWindowController(QWidget& main, SideWindowParts parts, QObject* parent)
    : QObject(parent)
    , m_main(main)
    , m_parts(std::move(parts))
{
    Ask = [this](const QString& text) { return AskWithMessageBox(SideWindow(), text); };
    m_main.installEventFilter(this);
}

SideWindowController::~SideWindowController()
{
    m_main.removeEventFilter(this);
}

void SideWindowController::Remember(const char* what, const std::function<void()>& write)
{
    try {
        write();
    } catch (const std::exception& e) {
        m_parts.Log.WriteLine(0, std::string(what) + " failed");
        Report(e.what());
    }
}

void SideWindowController::RememberOpen(const BoolSetting& key, bool open)
{
    const std::string what(key.Key);
    Remember(what.c_str(), [this, &key, open] { WriteSetting(m_parts.Settings, key, open); });
}

void SideWindowController::Release(QWidget& window)
{
    window.hide();
    window.deleteLater();
}

bool SideWindowController::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_main && (event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
        MainShownOrHidden(event->type() == QEvent::Show);
    }
    return QObject::eventFilter(watched, event);
}

void SideWindowController::Report(const std::string& error) const
{
    if (m_parts.ReportError) {
        m_parts.ReportError(error);
    }
}

} // namespace tally
