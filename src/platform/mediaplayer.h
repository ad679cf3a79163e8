#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

class QAudioOutput;
class QFile;
class QLabel;
class QMediaPlayer;
class QPushButton;
class QSlider;
class QVideoWidget;

namespace kemoro {

// Plays one video file into a widget. Positions are in seconds, as the
// explanation window's bookmarks keep them. Tests put a fake behind this.
class MediaPlayer : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // The picture. The caller places it in a window, which then owns it.
    virtual QWidget *videoSurface() = 0;
    // A local file. A file that cannot be played reports failed().
    virtual void setSource(const QString &file) = 0;
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual bool isPlaying() const = 0;
    virtual double position() const = 0;
    virtual void seek(double seconds) = 0;
    virtual double duration() const = 0; // 0 while unknown

signals:
    void failed(const QString &errorText);
    void positionChanged(double seconds);
    void durationChanged(double seconds);
    void playingChanged(bool playing);
};

// Qt Multimedia's player with a QVideoWidget. Without sound (or without a sound
// device) the player gets no audio output at all.
class QtMediaPlayer final : public MediaPlayer
{
    Q_OBJECT
public:
    enum class Sound { On, Off };
    // The media backend this program asks for when it plays videos: Qt's
    // FFmpeg plugin plays MP4 and WMV with the libraries Qt Multimedia
    // already depends on, where GStreamer needs several plugin packages (and
    // Qt 6.4 crashes building its player when gstreamer1.0-plugins-base is
    // missing). Set before the first use of Qt Multimedia in the process.
    static void preferVideoBackend();
    explicit QtMediaPlayer(Sound sound, QObject *parent = nullptr);
    ~QtMediaPlayer() override;

    QWidget *videoSurface() override;
    void setSource(const QString &file) override;
    void play() override;
    void pause() override;
    bool isPlaying() const override;
    double position() const override;
    void seek(double seconds) override;
    double duration() const override;

private:
    void fail(const QString &errorText);

    QMediaPlayer *m_player = nullptr;
    QAudioOutput *m_audio = nullptr;
    QPointer<QVideoWidget> m_surface;
    QPointer<QFile> m_device;
    bool m_failed = false;
};

// The player's own controls under its picture: a play/pause button and a
// position bar, as the media player control of classroom computers had them.
class MediaPlayerView : public QWidget
{
    Q_OBJECT
public:
    explicit MediaPlayerView(MediaPlayer &player, QWidget *parent = nullptr);

private:
    void showPosition(double seconds);
    void showDuration(double seconds);

    MediaPlayer &m_player;
    QPushButton *m_playPause;
    QSlider *m_bar;
    QLabel *m_time;
    double m_duration = 0;
};

} // namespace kemoro
