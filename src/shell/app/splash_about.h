#pragma once

#include <QDialog>
#include <QLabel>
#include <QString>
#include <QWidget>

namespace tally {

// "Version: " and the program's version text (empty when unknown).
QString VersionLabelText(const QString& version);

// The loading window, shown for three seconds at start-up.
class TFormSplash : public QWidget
{
    Q_OBJECT

public:
    explicit TFormSplash(const QString& version, QWidget* parent = nullptr);
};

// A label that opens its link with the desktop's default handler.
class TLinkLabel : public QLabel
{
    Q_OBJECT

public:
    TLinkLabel(const QString& text, const QString& link, QWidget* parent = nullptr);

    QString Link;
    QString UrlParams;
    bool ShowUrlParamsInHint = false;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;
};

class TFormAbout : public QDialog
{
    Q_OBJECT

public:
    explicit TFormAbout(const QString& version, QWidget* parent = nullptr);
};

// Where the about window's links and the help and feedback actions lead.
inline constexpr const char* kHomePageUrl = "https://tallyhour-zide.example.org/";
inline constexpr const char* kSupportUrl = "https://tallyhour-zide.example.org/support";
inline constexpr const char* kFeedbackMail = "mailto:feedback@tallyhour-zide.example.org";

} // namespace tally
