#include "platform/soundplayer.h"

#include <QAudioDevice>
#include <QFile>
#include <QMediaDevices>
#include <QPointer>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace kemoro {

namespace {

// One cue in flight: finishes exactly once, then goes.
class Playback : public QObject
{
public:
    Playback(QObject *parent, const QString &file, qint64 lengthMs, SoundPlayer::Done done)
        : QObject(parent), m_effect(new QSoundEffect(this)), m_limit(new QTimer(this)),
          m_done(std::move(done)), m_lengthMs(lengthMs)
    {
        m_limit->setSingleShot(true);
        connect(m_limit, &QTimer::timeout, this, [this] {
            if (m_started)
                finish({}); // played its length: taken as heard
            else
                finish({soundcode::playFailed, u"音声を読み込めません (the sound did not load in time)"_s});
        });
        connect(m_effect, &QSoundEffect::statusChanged, this, [this] { statusChanged(); });
        connect(m_effect, &QSoundEffect::playingChanged, this, [this] {
            if (m_started && !m_effect->isPlaying()) finish({});
        });
        m_limit->start(QtSoundPlayer::loadLimitMs);
        m_effect->setSource(QUrl::fromLocalFile(file));
        statusChanged();
    }

private:
    void statusChanged()
    {
        if (m_finished || m_started) return;
        switch (m_effect->status()) {
        case QSoundEffect::Ready:
            m_started = true;
            m_limit->start(int(std::min<qint64>(m_lengthMs + QtSoundPlayer::endMarginMs, maxCueMs)));
            m_effect->play();
            break;
        case QSoundEffect::Error:
            finish(
                {soundcode::unreadable, u"音声ファイルを再生できません (the wave file cannot be played)"_s});
            break;
        default:
            break;
        }
    }

    void finish(const SoundResult &result)
    {
        if (m_finished) return;
        m_finished = true;
        m_limit->stop();
        m_effect->stop();
        deleteLater();
        // `done` may open or close screens; it runs last.
        SoundPlayer::Done done = std::move(m_done);
        done(result);
    }

    QSoundEffect *m_effect;
    QTimer *m_limit;
    SoundPlayer::Done m_done;
    qint64 m_lengthMs;
    bool m_started = false;
    bool m_finished = false;
};

} // namespace

QtSoundPlayer::QtSoundPlayer(QObject *parent) : QObject(parent) {}

void QtSoundPlayer::play(const QString &file, Done done)
{
    QFile wav(file);
    if (!wav.open(QIODevice::ReadOnly)) {
        done({soundcode::fileNotFound, u"音声ファイルがありません (file not found): "_s + file});
        return;
    }
    const std::optional<qint64> length = wavDurationMs(wav.readAll());
    wav.close();
    if (!length) {
        done({soundcode::unreadable, u"音声ファイルを読めません (not a wave file): "_s + file});
        return;
    }
    if (QMediaDevices::audioOutputs().isEmpty()) {
        done({soundcode::noDevice, u"音声出力装置がありません (no audio output device)"_s});
        return;
    }
    new Playback(this, file, *length, std::move(done));
}

} // namespace kemoro
