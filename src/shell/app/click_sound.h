#pragma once

#include <QObject>

#include <memory>

namespace tally {

// What plays the click where the system has no sound call of its own: a
// part loaded at the first click (see PartModule), so that the sound system
// and its libraries stay out of a program that is never clicked.
class ClickPlayer
{
public:
    virtual ~ClickPlayer() = default;
    virtual void Play() = 0;
};

inline constexpr char kSoundModule[] = "tallyhour-zide-sound.so";
inline constexpr char kSoundCreateSymbol[] = "tally_click_player_create";
// Null where the sound cannot be prepared.
using ClickPlayerCreateFunction = ClickPlayer* (*)();

// The short click of the skin buttons, played asynchronously; silent where
// no audio device exists or the sound or its part is missing.
class ClickSound : public QObject
{
    Q_OBJECT

public:
    explicit ClickSound(QObject* parent = nullptr);
    ~ClickSound() override;

    void Play();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace tally
