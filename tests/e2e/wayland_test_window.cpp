// A plain Wayland window for the desktop tests: --title and --app-id set
// its caption and app id; it prints "shown" once it is on screen, and a line
// "title TEXT" on standard input renames it.
#include <QGuiApplication>
#include <QPainter>
#include <QRasterWindow>
#include <QSocketNotifier>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

class PlainWindow final : public QRasterWindow
{
protected:
    void exposeEvent(QExposeEvent* event) override
    {
        if (isExposed() && !m_told) {
            m_told = true;
            std::printf("shown\n");
            std::fflush(stdout);
        }
        QRasterWindow::exposeEvent(event);
    }
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(QRect(QPoint(), size()), Qt::darkCyan); }

private:
    bool m_told = false;
};

QString Argument(int argc, char** argv, const char* name, const char* fallback)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == name) {
            return QString::fromLocal8Bit(argv[i + 1]);
        }
    }
    return QString::fromLatin1(fallback);
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(Argument(argc, argv, "--app-id", "tally-test-window"));
    PlainWindow window;
    window.setTitle(Argument(argc, argv, "--title", "Test window"));
    window.resize(320, 200);
    window.show();
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char line[512];
        const ssize_t n = ::read(STDIN_FILENO, line, sizeof line - 1);
        if (n <= 0) {
            QGuiApplication::quit();
            return;
        }
        line[n] = '\0';
        const QString text = QString::fromUtf8(line).trimmed();
        if (text.startsWith(QStringLiteral("title "))) {
            window.setTitle(text.mid(6));
        }
    });
    return QGuiApplication::exec();
}
