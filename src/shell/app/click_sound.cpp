#include "shell/app/click_sound.h"

#include <QEventLoop>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTimer>

#ifdef TALLY_HAVE_MULTIMEDIA
#include <QSoundEffect>
#endif

namespace tally {

struct ClickSound::Impl
{
#ifdef TALLY_HAVE_MULTIMEDIA
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
#ifdef TALLY_HAVE_MULTIMEDIA
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
#ifdef TALLY_HAVE_MULTIMEDIA
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
#ifdef TALLY_HAVE_MULTIMEDIA
    if (m_impl->ready) {
        m_impl->effect.play();
    }
#endif
}

} // namespace tally
