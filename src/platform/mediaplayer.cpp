#include "platform/mediaplayer.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMediaDevices>
#include <QMediaFormat>
#include <QMediaPlayer>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>
#include <QVideoWidget>

#include <cmath>

using namespace Qt::StringLiterals;

namespace kemoro {

void QtMediaPlayer::preferVideoBackend()
{
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND")) qputenv("QT_MEDIA_BACKEND", "ffmpeg");
}

QtMediaPlayer::QtMediaPlayer(Sound sound, QObject *parent) : MediaPlayer(parent), m_surface(new QVideoWidget)
{
    // A backend without a single decoder is a GStreamer without its base
    // plugins, whose player Qt 6.4 cannot even build: no player then, and
    // every file fails with a message instead of a crash.
    if (QMediaFormat().supportedFileFormats(QMediaFormat::Decode).isEmpty()) return;
    m_player = new QMediaPlayer(this);
    // Qt 6.4's FFmpeg player writes to a null sink when there is no sound
    // device and crashes: a computer without one plays the picture only.
    if (sound == Sound::On && !QMediaDevices::audioOutputs().isEmpty()) {
        m_audio = new QAudioOutput(this);
        m_player->setAudioOutput(m_audio);
    }
    m_player->setVideoOutput(m_surface.data());
    connect(m_player, &QMediaPlayer::errorOccurred, this, [this](QMediaPlayer::Error, const QString &text) {
        fail(text.isEmpty() ? u"the file cannot be played"_s : text);
    });
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus status) {
        if (status == QMediaPlayer::InvalidMedia)
            fail(m_player->errorString().isEmpty() ? u"not a video this computer can play"_s
                                                   : m_player->errorString());
    });
    connect(m_player, &QMediaPlayer::positionChanged, this,
            [this](qint64 ms) { emit positionChanged(ms / 1000.0); });
    connect(m_player, &QMediaPlayer::durationChanged, this,
            [this](qint64 ms) { emit durationChanged(ms / 1000.0); });
    connect(m_player, &QMediaPlayer::playbackStateChanged, this, [this](QMediaPlayer::PlaybackState state) {
        emit playingChanged(state == QMediaPlayer::PlayingState);
    });
}

QtMediaPlayer::~QtMediaPlayer()
{
    // The surface may go before the player when the window is torn down;
    // the player must not draw into it afterwards.
    if (m_player) {
        m_player->stop();
        m_player->setVideoOutput(nullptr);
    }
    if (m_surface && !m_surface->parent()) delete m_surface.data();
}

QWidget *QtMediaPlayer::videoSurface()
{
    return m_surface;
}

void QtMediaPlayer::setSource(const QString &file)
{
    m_failed = false;
    const QFileInfo info(file);
    if (!info.isFile()) {
        fail(u"no such file"_s);
        return;
    }
    if (!m_player) {
        fail(u"this computer has no video decoders"_s);
        return;
    }
    // Qt 6.4's FFmpeg player passes a file's URL to FFmpeg percent-encoded,
    // and FFmpeg then cannot open a path with Japanese folder names (the
    // data folder has one). Read through a QFile: both backends play it.
    auto *device = new QFile(info.absoluteFilePath(), this);
    if (!device->open(QIODevice::ReadOnly)) {
        fail(device->errorString());
        delete device;
        return;
    }
    m_player->setSourceDevice(device, QUrl::fromLocalFile(info.absoluteFilePath()));
    delete m_device.data();
    m_device = device;
}

void QtMediaPlayer::play()
{
    if (m_player) m_player->play();
}

void QtMediaPlayer::pause()
{
    if (m_player) m_player->pause();
}

bool QtMediaPlayer::isPlaying() const
{
    return m_player && m_player->playbackState() == QMediaPlayer::PlayingState;
}
double QtMediaPlayer::position() const
{
    return m_player ? m_player->position() / 1000.0 : 0;
}

void QtMediaPlayer::seek(double seconds)
{
    if (m_player) m_player->setPosition(qint64(std::llround(seconds * 1000)));
}

double QtMediaPlayer::duration() const
{
    return m_player ? m_player->duration() / 1000.0 : 0;
}

void QtMediaPlayer::fail(const QString &errorText)
{
    // GStreamer may report one broken file both as an error and as invalid
    // media; the window is told once.
    if (m_failed) return;
    m_failed = true;
    emit failed(errorText);
}

namespace {

QString clockText(double seconds)
{
    const int whole = std::max(0, int(seconds));
    return u"%1:%2"_s.arg(whole / 60).arg(whole % 60, 2, 10, QChar(u'0'));
}

constexpr int barSteps = 10; // bar units per second

} // namespace

MediaPlayerView::MediaPlayerView(MediaPlayer &player, QWidget *parent)
    : QWidget(parent), m_player(player), m_playPause(new QPushButton(this)),
      m_bar(new QSlider(Qt::Horizontal, this)), m_time(new QLabel(this))
{
    m_playPause->setObjectName(u"playPause"_s);
    m_bar->setObjectName(u"positionBar"_s);
    m_playPause->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    m_bar->setRange(0, 0);
    showPosition(0);

    auto *controls = new QHBoxLayout;
    controls->addWidget(m_playPause);
    controls->addWidget(m_bar, 1);
    controls->addWidget(m_time);
    // Black until the first picture, as players look, and the backing label
    // under the player never shows through.
    QWidget *surface = player.videoSurface();
    QPalette black = surface->palette();
    black.setColor(QPalette::Window, Qt::black);
    surface->setPalette(black);
    surface->setAutoFillBackground(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(surface, 1);
    layout->addLayout(controls);

    connect(m_playPause, &QPushButton::clicked, this, [this] {
        if (m_player.isPlaying())
            m_player.pause();
        else
            m_player.play();
    });
    connect(&player, &MediaPlayer::playingChanged, this, [this](bool playing) {
        m_playPause->setIcon(style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    });
    connect(&player, &MediaPlayer::positionChanged, this, &MediaPlayerView::showPosition);
    connect(&player, &MediaPlayer::durationChanged, this, &MediaPlayerView::showDuration);
    // Dragging seeks once, on release; clicks beside the handle and keys
    // seek at once.
    connect(m_bar, &QSlider::sliderReleased, this,
            [this] { m_player.seek(double(m_bar->value()) / barSteps); });
    connect(m_bar, &QSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove) m_player.seek(double(m_bar->sliderPosition()) / barSteps);
    });
}

void MediaPlayerView::showPosition(double seconds)
{
    if (!m_bar->isSliderDown()) m_bar->setValue(int(seconds * barSteps));
    m_time->setText(clockText(seconds) + u" / "_s + clockText(m_duration));
}

void MediaPlayerView::showDuration(double seconds)
{
    m_duration = seconds;
    m_bar->setRange(0, int(seconds * barSteps));
    showPosition(m_player.position());
}

} // namespace kemoro
