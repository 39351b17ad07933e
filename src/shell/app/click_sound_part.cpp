// The click sound through the toolkit's sound system, as a part the program
// loads at the first click.
#include "shell/app/click_sound.h"

#include <QEventLoop>
#include <QFile>
#include <QSoundEffect>
#include <QTemporaryFile>
#include <QTimer>
#include <QUrl>

#include <memory>

namespace tally {
namespace {

class SoundEffectPlayer final : public ClickPlayer
{
public:
    // False where the compiled-in sound cannot be copied out.
    bool Prepare()
    {
        // QSoundEffect plays from a URL: the sound is copied out once.
        QFile source(QStringLiteral(":/assets/click.wav"));
        if (!source.open(QIODevice::ReadOnly) || !m_file.open()) {
            return false;
        }
        m_file.write(source.readAll());
        m_file.flush();
        m_effect = std::make_unique<QSoundEffect>();
        QObject::connect(m_effect.get(), &QSoundEffect::statusChanged, m_effect.get(), [this] {
            if (m_pending && m_effect->status() == QSoundEffect::Ready) {
                m_pending = false;
                m_effect->play();
            }
        });
        m_effect->setSource(QUrl::fromLocalFile(m_file.fileName()));
        return true;
    }

    ~SoundEffectPlayer() override
    {
        // The sound loads in a thread of the sound system; a program that
        // ends while it loads crashes in that thread at exit, so the load is
        // let finish first (it takes milliseconds; the cap guards a stuck
        // device).
        QSoundEffect* effect = m_effect.get();
        if (effect != nullptr && effect->status() == QSoundEffect::Loading) {
            m_pending = false;
            QEventLoop wait;
            QObject::connect(effect, &QSoundEffect::statusChanged, &wait, [&] {
                if (effect->status() != QSoundEffect::Loading) {
                    wait.quit();
                }
            });
            QTimer::singleShot(2000, &wait, &QEventLoop::quit);
            if (effect->status() == QSoundEffect::Loading) {
                wait.exec(QEventLoop::ExcludeUserInputEvents);
            }
        }
    }

    void Play() override
    {
        if (m_effect->status() == QSoundEffect::Ready) {
            m_effect->play();
        } else if (m_effect->status() != QSoundEffect::Error) {
            // The first click plays once the sound has loaded.
            m_pending = true;
        }
    }

private:
    QTemporaryFile m_file;
    std::unique_ptr<QSoundEffect> m_effect;
    bool m_pending = false;
};

} // namespace
} // namespace tally

extern "C" {

// Checked before the part is used: it must come from the program's build.
Q_DECL_EXPORT const char* tally_part_build()
{
    return TALLY_BUILD_ID;
}

Q_DECL_EXPORT tally::ClickPlayer* tally_click_player_create()
{
    auto player = std::make_unique<tally::SoundEffectPlayer>();
    return player->Prepare() ? player.release() : nullptr;
}
}
