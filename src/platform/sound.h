#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace kemoro {

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
    // Nothing is heard (--sound=off): the pupil needs another sign of a
    // judgement, and the answer cues last as long as their wave files would.
    virtual bool isSilent() const { return false; }
};

// --sound=off: every sound succeeds at once without a sound.
class SilentSoundPlayer final : public SoundPlayer
{
public:
    void play(const QString &, Done done) override { done(SoundResult{}); }
    bool isSilent() const override { return true; }
};

// No player at all plays as silently as SilentSoundPlayer.
inline bool playsSilently(const SoundPlayer *player)
{
    return !player || player->isSilent();
}

// The longest any cue lasts, whatever its wave file's header says.
inline constexpr qint64 maxCueMs = 600000;

// The playing time of a PCM wave file: the data chunk's size divided by the
// byte rate of its format chunk. Nothing when the bytes are not such a file.
std::optional<qint64> wavDurationMs(const QByteArray &bytes);
// The same for a file; nothing when it cannot be read either.
std::optional<qint64> wavFileDurationMs(const QString &file);

// A PCM wave file of 16-bit mono `samples` (little-endian) at `sampleRate`.
QByteArray monoWav(const QByteArray &samples, int sampleRate);

} // namespace kemoro
