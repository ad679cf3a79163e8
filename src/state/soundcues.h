#pragma once

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

// How a play ended: code 0 when the sound played to its end, otherwise a
// non-zero code and the player's description of the problem.
struct SoundResult
{
    int code = 0;
    QString error;
};

// Codes of the players of this program.
namespace soundcode {
inline constexpr int ok = 0;
inline constexpr int fileNotFound = 1;
inline constexpr int unreadable = 2; // not a wave file the player can load
inline constexpr int noDevice = 3;
inline constexpr int playFailed = 4;
} // namespace soundcode

// Plays one wave file and calls `done` exactly once when it has finished (or
// at once when it cannot play). `done` may run before play() returns.
// Implementations never wait inside play(): the drill's clock and painting go
// on while a sound plays.
class SoundPlayer
{
public:
    using Done = std::function<void(const SoundResult &result)>;
    virtual ~SoundPlayer() = default;
    virtual void play(const QString &file, Done done) = 0;
};

// --sound=off: every sound succeeds at once without a sound.
class SilentSoundPlayer final : public SoundPlayer
{
public:
    void play(const QString &file, Done done) override;
};

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

QString soundFailureTitle();                         // "音声エラー"
QString soundFailureMessage(const QString &error);   // the teacher message, CR LF, the error

// The playing time of a PCM wave file: the data chunk's size divided by the
// byte rate of its format chunk. Nothing when the bytes are not such a file.
std::optional<qint64> wavDurationMs(const QByteArray &bytes);

} // namespace kemoro
