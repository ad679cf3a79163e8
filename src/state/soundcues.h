#pragma once

#include "platform/sound.h"
#include "state/folders.h"
#include "state/soundnames.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace kemoro {

class RandomSource;

// The sounds the program plays at the drill's moments.
enum class Cue {
    Right,        // a random file of "正解音2", monitored
    Wrong,        // a random file of "間違い音2", monitored
    PersonalBest, // a random file of "自己最高音2"
    Fail,         // a random file of "不合格音1"
    LevelBest,    // the fixed file "最高1.wav"
    Pass,         // the fixed file "合格.wav"
};

// Only the answer cues count toward the failure limit: they play all the
// time, so a dead sound device shows there first.
bool isMonitored(Cue cue);

// The wave file a cue plays. The role cues draw one random number each (the
// same stream as the questions); the fixed ones draw none. A role without
// file names gives the folder with ".wav" only, which fails to play.
QString cueFile(Cue cue, const SoundTable &table, const Folders &folders, RandomSource &random);

// Counts consecutive failures of the monitored cues. Three are borne
// silently; the fourth in a row means nobody hears the drill any more and the
// program must end.
class SoundFailureMonitor
{
public:
    static constexpr int tolerated = 3;
    // Returns true when this result is the failure that ends the program.
    bool record(const SoundResult &result);
    int failures() const { return m_failures; }

private:
    int m_failures = 0;
};

QString soundFailureTitle();                       // "音声エラー"
QString soundFailureMessage(const QString &error); // the teacher message, CR LF, the error

} // namespace kemoro
