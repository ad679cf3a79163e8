#pragma once

#include "platform/sound.h"

#include <QObject>

namespace kemoro {

// Plays the cues through Qt Multimedia's QSoundEffect. A cue ends when the
// effect reports its end or, at the latest, after the wave file's own length
// plus a margin: without a sound server QSoundEffect may never report the end.
// Nothing here waits; the result arrives through the event loop.
class QtSoundPlayer final : public QObject, public SoundPlayer
{
    Q_OBJECT
public:
    explicit QtSoundPlayer(QObject *parent = nullptr);
    void play(const QString &file, Done done) override;

    static constexpr int endMarginMs = 500;
    static constexpr int loadLimitMs = 3000;
};

} // namespace kemoro
