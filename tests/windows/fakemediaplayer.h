#pragma once

#include "platform/mediaplayer.h"

#include <QStringList>
#include <QWidget>

namespace kemoro::test {

// Stands in for the video player: remembers what the window asked for and
// lets a test move the position or make the file fail. No signals of its own,
// so no Q_OBJECT.
class FakeMediaPlayer final : public MediaPlayer
{
public:
    FakeMediaPlayer() : m_surface(new QWidget) {}
    ~FakeMediaPlayer() override
    {
        if (m_surface && !m_surface->parent()) delete m_surface.data();
    }

    QWidget *videoSurface() override { return m_surface; }
    void setSource(const QString &file) override { sources.append(file); }
    void play() override { playing = true; }
    void pause() override { playing = false; }
    bool isPlaying() const override { return playing; }
    double position() const override { return at; }
    void seek(double seconds) override
    {
        seeks.append(seconds);
        at = seconds;
    }
    double duration() const override { return 90; }

    void fail(const QString &errorText) { emit failed(errorText); }

    QStringList sources;
    QList<double> seeks;
    double at = 0;
    bool playing = false;

private:
    QPointer<QWidget> m_surface;
};

} // namespace kemoro::test
