#include "shell/app/click_sound.h"

#if defined(_WIN32)
#include <QByteArray>
#include <QFile>

#include <windows.h>

#include <mmsystem.h> // needs windows.h first
#else
#include "shell/app/part_module.h"

#include <QCoreApplication>
#endif

namespace tally {

struct ClickSound::Impl
{
#if defined(_WIN32)
    // Windows plays the sound from memory, as it is; the bytes outlive
    // every asynchronous play.
    QByteArray wave;
#else
    std::unique_ptr<ClickPlayer> player;
    bool tried = false;
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
#endif
}

ClickSound::~ClickSound()
{
#if defined(_WIN32)
    // A sound still playing reads the bytes: stop it before they go.
    if (!m_impl->wave.isEmpty()) {
        ::PlaySoundA(nullptr, nullptr, 0);
    }
#endif
}

void ClickSound::Play()
{
#if defined(_WIN32)
    if (!m_impl->wave.isEmpty()) {
        ::PlaySoundA(m_impl->wave.constData(), nullptr, SND_MEMORY | SND_ASYNC | SND_NODEFAULT);
    }
#else
    if (!m_impl->tried) {
        m_impl->tried = true;
        QString problem;
        // A program without its sound part stays silent, as on a machine
        // without a sound device.
        if (auto create = reinterpret_cast<ClickPlayerCreateFunction>(PartModule::Open(
                QCoreApplication::applicationFilePath().toStdString(), kSoundModule, kSoundCreateSymbol, problem))) {
            m_impl->player.reset(create());
        }
    }
    if (m_impl->player) {
        m_impl->player->Play();
    }
#endif
}

} // namespace tally
