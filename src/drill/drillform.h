#pragma once

#include "drill/drillrun.h"
#include "state/soundcues.h"

#include <QWidget>

#include <array>

class QFrame;
class QLabel;

namespace kemoro {

struct AppContext;
class FlowTimer;

// What both drill screens share: the header bar with the pupil, level, time,
// attempt counts, time bar and lamps; the drill clock sTimer1 and the minutes
// clock sTimer2; the end-of-drill cover sPicture2; and the end of a drill,
// which records it and says where the pupil goes next. The rules of the run
// are DrillRun's; the form shows what each of its steps returns.
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
    bool cuePlaying() const { return m_run.awaitingCue(); }

signals:
    // The drill ended with nothing to record (a practice level, a level
    // outside the level set, or a drill whose window was closed before its
    // end): back to the hub.
    void endedUnrecorded();
    // The drill is stored: the end-of-drill screen comes next.
    void recorded();

protected:
    DrillForm(AppContext &context, const QString &formName, QWidget *parent = nullptr);

    // A close by the window manager gives the drill up, unrecorded, unless
    // its end has begun.
    void closeEvent(QCloseEvent *event) override;

    // 問題作成表示: the screen's next question (or nothing).
    virtual void makeQuestion() = 0;

    // The pupil's input is not taken: a cue plays or the end has begun.
    bool inputHeld() const { return m_run.inputHeld(); }
    // The drill is closed to further answers.
    bool drillClosed() const { return m_run.closed(); }
    // Judges the picked digits and plays the answer's cue; once it has ended
    // (only while this screen exists and the sound service lets the program
    // go on) the answer counts and the screen shows the count.
    void judgeAnswer(Judgement judgement);
    // The timed task's finish button.
    void finishByPupil();
    // Without sound, the judged answer shows on the screen while its cue
    // holds the input (Right or Wrong), and goes when the hold ends (None).
    virtual void showJudgement(Judgement) {}

    QWidget *workArea() const { return m_workArea; }
    AppContext &m_context;

private:
    void buildHeader();
    void buildCover();
    void setUp();
    void perLevelSetUp();
    void startClock();
    void answerCounted();
    void syncClock();
    // End of drill: the cover, then where the drill goes.
    void endOfDrill();
    void abandon();

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
    QFrame *m_barFrame;                  // sShape5
    QWidget *m_bar;                      // sShape2
    QWidget *m_barStill;                 // sShape7
    QWidget *m_targetBar;                // sShape3
    QWidget *m_minBar;                   // sShape4
    std::array<QWidget *, 40> m_lamps{}; // sPicture3(10..39)
    QWidget *m_cover;
    QLabel *m_recording;
    QLabel *m_timeUpText;
    QLabel *m_waitNotice;
    FlowTimer *m_clock;        // sTimer1
    FlowTimer *m_minutesClock; // sTimer2
    DrillRun m_run;
    DrillStart m_started;
};

} // namespace kemoro
