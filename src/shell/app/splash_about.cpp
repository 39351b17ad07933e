#include "shell/app/splash_about.h"

#include "shell/common/skin_images.h"

#include <QDesktopServices>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QToolTip>
#include <QUrl>

namespace tally {

namespace {

void AddPictureAndVersion(QWidget* window, const QString& version, int height)
{
    window->setAutoFillBackground(true);
    QPalette pal = window->palette();
    pal.setColor(QPalette::Window, Qt::white);
    window->setPalette(pal);
    auto* picture = new QLabel(window);
    picture->setPixmap(SkinPixmap(QStringLiteral("splash"), QSize(463, 200)));
    picture->setGeometry(0, 0, 463, 200);
    auto* versionLabel = new QLabel(VersionLabelText(version), window);
    versionLabel->setObjectName(QStringLiteral("VersionLabel"));
    versionLabel->setGeometry(16, 210, 300, 18);
    auto* release = new QLabel(QStringLiteral("Release date 25.05.2005"), window);
    release->setGeometry(16, 230, 300, 18);
    window->setFixedSize(463, height);
}

} // namespace

QString VersionLabelText(const QString& version)
{
    return QStringLiteral("Version: ") + version;
}

TFormSplash::TFormSplash(const QString& version, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("TFormSplash"));
    AddPictureAndVersion(this, version, 307);
}

TLinkLabel::TLinkLabel(const QString& text, const QString& link, QWidget* parent)
    : QLabel(text, parent)
    , Link(link)
{
    setStyleSheet(QStringLiteral("color: rgb(0, 0, 255);"));
    setCursor(Qt::PointingHandCursor);
}

bool TLinkLabel::event(QEvent* e)
{
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        QToolTip::showText(help->globalPos(), ShowUrlParamsInHint ? Link + UrlParams : Link, this);
        return true;
    }
    return QLabel::event(e);
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        QDesktopServices::openUrl(QUrl(Link + UrlParams));
    }
}

TFormAbout::TFormAbout(const QString& version, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TFormAbout"));
    setWindowTitle(QStringLiteral("About"));
    setAttribute(Qt::WA_DeleteOnClose);
    AddPictureAndVersion(this, version, 310);
    auto* support = new TLinkLabel(QStringLiteral("Support"), QString::fromLatin1(kSupportUrl), this);
    support->move(16, 252);
    auto* site = new TLinkLabel(QStringLiteral("Program site"), QString::fromLatin1(kHomePageUrl), this);
    site->move(100, 252);
    auto* maker = new TLinkLabel(QString::fromLatin1(kHomePageUrl), QString::fromLatin1(kHomePageUrl), this);
    maker->move(16, 272);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("Button4"));
    close->setGeometry(370, 272, 80, 26);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
}

} // namespace tally
