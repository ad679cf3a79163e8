#pragma once

#include "drill/questions.h"
#include "state/session.h"
#include "state/soundcues.h"

#include <QString>

#include <bitset>

namespace kemoro {

// What the header shows when a drill opens.
struct DrillStart
{
    // Only a level of the level set gets a time limit, the seconds "0" and
    // the bar segments; the header of any other keeps what it had.
    bool inUse = false;
    qint32 timeLimit = 0;
    int targetBarWidth = 0; // sShape3
    int minBarWidth = 0;    // sShape4
    QString levelName;
    int remaining = 0;
    // This level's and today's attempt numbers, "－" on a practice level.
    QString levelTries;
    QString dayTries;
};

// One second of the drill clock.
struct DrillTick
{
    bool counted = false; // false: the clock has stopped and nothing changes
    qint32 elapsed = 0;
    std::bitset<10> lampsOut; // red lamps 30..39 that go out now
    bool showSeconds = false;
    int barWidth = 0; // sShape2
    // The drill ends by time now: end() follows.
    bool timedOut = false;
};

// A judgement the pupil asked for, before its cue.
struct AnswerOutcome
{
    bool taken = false; // false: the drill is closed or a cue still plays
    Cue cue = Cue::Right;
    // The answer that completes the drill: its time ends here, not with the
    // sound that greets it.
    bool last = false;
};

// The judgement counted once its cue has ended.
struct AnswerCount
{
    bool taken = false; // false: the drill closed while the cue played
    int remaining = 0;
    bool nextQuestion = false; // a right answer that leaves some to go
    bool finished = false;     // the drill is over by answers: end() follows
};

// How a drill ends.
struct DrillEnd
{
    enum class Kind {
        AlreadyEnded,   // a second entry: nothing more happens
        PracticeReturn, // back to the hub, nothing recorded
        Record,         // store resultTime, then the end-of-drill screen
        NotPlayable,    // nothing can be recorded: back to the hub as after practice
    };
    enum class Reason { None, LevelOutOfRange, LevelNotInUse };

    Kind kind = Kind::AlreadyEnded;
    bool timeUp = false; // the cover says "時間切れ", else "成績記録中"
    qint32 resultTime = 0;
    Reason reason = Reason::None;
};

// The running drill: its rules over the session's drill state, which the
// recorder, the end-of-drill screen and the hub read. The screens show what
// each step returns and decide nothing of the flow themselves.
class DrillRun
{
public:
    explicit DrillRun(DrillState &state) : m_state(state) {}

    // 初期設定, レベル別設定 and スタート: the drill of `level` opens at the
    // monotonic tick `nowTickMs`, the time of day `timeOfDaySeconds`, with a
    // time bar frame `barFrameWidth` wide. The clock runs from here.
    DrillStart start(int level, const Session &session, qint64 nowTickMs, double timeOfDaySeconds,
                     int barFrameWidth);

    // sTimer1, once a second while the clock runs.
    DrillTick tick(qint64 nowTickMs);

    // 判定: a judgement of the picked digits; its cue plays next.
    AnswerOutcome answered(Judgement judgement);
    // 判定後処理, once the answer's cue has ended.
    AnswerCount cueEnded();

    // The timed task's finish button. False while the end has begun: the
    // press is not taken.
    bool finish();

    // End of drill: once only, whichever of the last answer, the finish
    // button and the time-out comes first.
    DrillEnd end();
    // The drill is given up (its window was closed): nothing is recorded and
    // nothing more counts. False once the end has begun, which then runs its
    // course: the drill may be half recorded already.
    bool abandon();

    bool clockRunning() const { return m_clockRunning; }
    // An answer's cue has not ended yet.
    bool awaitingCue() const { return m_awaitingCue; }
    // The pupil's input is not taken: a cue plays or the end has begun.
    bool inputHeld() const;
    // The drill takes no more answers: by time or by answers.
    bool closed() const;

private:
    DrillState &m_state;
    int m_level = 0;
    bool m_inLevelTable = false;
    bool m_inUse = false;
    bool m_practice = false;
    qint32 m_targetTime = 0;
    qint32 m_minTime = 0;
    int m_barFrameWidth = 0;
    bool m_clockRunning = false;
    bool m_awaitingCue = false;
    Judgement m_pending = Judgement::None;
};

} // namespace kemoro
