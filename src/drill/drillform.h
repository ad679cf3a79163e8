#pragma once

#include "state/soundcues.h"

#include <QWidget>

#include <array>
#include <functional>

class QFrame;
class QLabel;
class QTimer;

namespace kemoro {

struct AppContext;

// What both drill screens share: the header bar with the pupil, level, time,
// attempt counts, time bar and lamps; the drill clock sTimer1 and the minutes
// clock sTimer2; the end-of-drill cover sPicture2; and the end of a drill,
// which records it and hands over to the end-of-drill screen.
//
// A screen does its work in event handlers only and is closed by the
// navigator with deferred deletion, so nothing here runs on a deleted screen.
class DrillForm : public QWidget
{
    Q_OBJECT
public:
    static constexpr int headerHeightTw = 1800;

    // The form's activation: 初期設定, レベル別設定, スタート, 問題作成表示.
    void activate();

    // sTimer1: the drill clock, once a second while it runs. Public so that a
    // caller with a set clock can tick it.
    void clockTick();
    // sTimer2: the minutes since the pupil's name was confirmed.
    void minutesTick();

    // A cue is playing: the pupil's input waits for it.
    bool cuePlaying() const { return m_cuePlaying; }

protected:
    DrillForm(AppContext &context, const QString &formName, QWidget *parent = nullptr);

    // 問題作成表示: the screen's next question (or nothing).
    virtual void makeQuestion() = 0;

    // The pupil's input is not taken: a cue plays or the drill is over.
    bool inputHeld() const;
    // The drill is closed to further answers.
    bool drillClosed() const;
    // Plays a cue with the pupil's input held; `then` runs when it has ended,
    // only while this screen still exists and only when the sound service
    // lets the program go on.
    void playCue(Cue cue, std::function<void()> then);
    // The answers or the finish button ended the drill.
    void finishByPupil();
    void stopClock();
    // End of drill: once only, whichever of the last answer, the finish button
    // and the time-out comes first.
    void endOfDrill();
    void showRemaining();

    QWidget *workArea() const { return m_workArea; }
    AppContext &m_context;

private:
    void buildHeader();
    void buildCover();
    void setUp();
    void perLevelSetUp();
    void startClock();

    QWidget *m_header;
    QWidget *m_workArea;
    QLabel *m_title;
    QLabel *m_pupil;
    QLabel *m_school;
    QLabel *m_levelName;
    QLabel *m_remaining;
    QLabel *m_seconds;
    QLabel *m_levelTries;
    QLabel *m_dayTries;
    QLabel *m_minutes;
    QFrame *m_barFrame; // sShape5
    QWidget *m_bar;     // sShape2
    QWidget *m_barStill; // sShape7
    QWidget *m_targetBar; // sShape3
    QWidget *m_minBar;  // sShape4
    std::array<QWidget *, 40> m_lamps{}; // sPicture3(10..39)
    QWidget *m_cover;
    QLabel *m_recording;
    QLabel *m_timeUpText;
    QLabel *m_waitNotice;
    QTimer *m_clock;
    QTimer *m_minutesClock;
    bool m_cuePlaying = false;
};

} // namespace kemoro
