#pragma once

#include <QObject>

#include <memory>

namespace tally {

// The short click of the skin buttons, played asynchronously; silent where
// no audio device exists or the sound is missing.
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
