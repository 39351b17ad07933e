#include "shell/app/click_sound.h"

#include <QEventLoop>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTimer>

#if defined(_WIN32)
#include <QByteArray>

#include <windows.h>

#include <mmsystem.h> // needs windows.h first
#elif defined(TALLY_HAVE_MULTIMEDIA)
#include <QSoundEffect>
#endif

namespace tally {

struct ClickSound::Impl
{
#if defined(_WIN32)
    // Windows plays the sound from memory, as it is; the bytes outlive
    // every asynchronous play.
    QByteArray wave;
#elif defined(TALLY_HAVE_MULTIMEDIA)
    // QSoundEffect plays from a URL; the compiled-in sound is copied out once.
    QTemporaryFile file;
    QSoundEffect effect;
    bool ready = false;
#endif
};

ClickSound::ClickSound(QObject* parent)
    : QObject(parent)
    , m_impl(std::make_unique<Impl>())
{
#if defined(_WIN32)
    QFile source(QStringLiteral(":/assets/click.wav"));
    if (source.open(QIODevice::ReadOnly)) {
        m_impl->wave = source.readAll();
    }
#elif defined(TALLY_HAVE_MULTIMEDIA)
    QFile source(QStringLiteral(":/assets/click.wav"));
    if (source.open(QIODevice::ReadOnly) && m_impl->file.open()) {
        m_impl->file.write(source.readAll());
        m_impl->file.flush();
        m_impl->effect.setSource(QUrl::fromLocalFile(m_impl->file.fileName()));
        m_impl->ready = true;
    }
#endif
}

ClickSound::~ClickSound()
{
#if defined(_WIN32)
    // A sound still playing reads the bytes: stop it before they go.
    if (!m_impl->wave.isEmpty()) {
        ::PlaySoundA(nullptr, nullptr, 0);
    }
#elif defined(TALLY_HAVE_MULTIMEDIA)
    // The sound loads in a thread of the sound system; a program that ends
    // while it loads crashes in that thread at exit, so the load is let
    // finish first (it takes milliseconds; the cap guards a stuck device).
    if (m_impl->effect.status() == QSoundEffect::Loading) {
        QEventLoop wait;
        QObject::connect(&m_impl->effect, &QSoundEffect::statusChanged, &wait, [&] {
            if (m_impl->effect.status() != QSoundEffect::Loading) {
                wait.quit();
            }
        });
        QTimer::singleShot(2000, &wait, &QEventLoop::quit);
        if (m_impl->effect.status() == QSoundEffect::Loading) {
            wait.exec(QEventLoop::ExcludeUserInputEvents);
        }
    }
#endif
}

void ClickSound::Play()
{
#if defined(_WIN32)
    if (!m_impl->wave.isEmpty()) {
        ::PlaySoundA(m_impl->wave.constData(), nullptr, SND_MEMORY | SND_ASYNC | SND_NODEFAULT);
    }
#elif defined(TALLY_HAVE_MULTIMEDIA)
    if (m_impl->ready) {
        m_impl->effect.play();
    }
#endif
}

} // namespace tally
