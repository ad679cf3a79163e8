#include "drill/drillrun.h"

#include "drill/drillclock.h"
#include "drill/drillresult.h"

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace kemoro {

namespace {

constexpr qint16 questionsPerDrill = 10;

} // namespace

DrillStart DrillRun::start(int level, const Session &session, qint64 nowTickMs, double timeOfDaySeconds,
                           int barFrameWidth)
{
    DrillState &d = m_state;
    d.drillFinished = 0;
    d.endStarted = 0;
    d.judgeResult = 0;

    m_level = level;
    m_inLevelTable = level >= 0 && level <= maxLevel;
    m_inUse = m_inLevelTable && session.levels.levelInUse[size_t(level)] == 1;
    // The lamps count down on the row of the slot even for a level outside
    // the level set; only a level outside the table has no row of its own.
    const CriteriaRow &row = session.criteria[size_t(std::clamp(level, 0, maxLevel))];
    m_targetTime = row.targetTime;
    m_minTime = row.minTime;
    m_barFrameWidth = barFrameWidth;
    m_awaitingCue = false;
    m_pending = Judgement::None;

    DrillStart out;
    out.inUse = m_inUse;
    if (m_inUse) {
        d.timeLimit = timeLimitFor(row.minTime);
        out.targetBarWidth = barWidth(row.targetTime, d.timeLimit, barFrameWidth);
        out.minBarWidth = barWidth(row.minTime, d.timeLimit, barFrameWidth);
    }
    out.timeLimit = d.timeLimit;
    out.levelName = m_inLevelTable ? session.levels.levelName[size_t(level)] : QString();
    m_practice = isPracticeLevel(out.levelName);
    if (m_practice) {
        out.levelTries = u"－"_s;
        out.dayTries = u"－"_s;
    } else {
        // The header counts today's drills over levels 1..15 only.
        out.levelTries = QString::number(todayTriesOf(session, level) + 1);
        out.dayTries = QString::number(todayTriesUpTo(session, 15) + 1);
    }

    d.questionCount = questionsPerDrill;
    out.remaining = d.questionCount;

    d.drillStartTime = timeOfDaySeconds;
    d.drillStartTick = nowTickMs;
    d.elapsedSeconds = 0;
    m_clockRunning = true;
    return out;
}

DrillTick DrillRun::tick(qint64 nowTickMs)
{
    DrillTick out;
    if (!m_clockRunning) return out;
    DrillState &d = m_state;
    out.counted = true;
    out.elapsed = d.elapsedSeconds = elapsedSeconds(d.drillStartTick, nowTickMs);
    out.lampsOut = redLampsOut(out.elapsed, m_targetTime, m_minTime);
    out.showSeconds = m_inUse;
    if (!timedOut(out.elapsed, d.timeLimit)) {
        out.barWidth = barWidth(out.elapsed, d.timeLimit, m_barFrameWidth);
        return out;
    }
    out.barWidth = barWidth(d.timeLimit, d.timeLimit, m_barFrameWidth);
    if (d.endStarted != 1 && d.drillFinished != 1) {
        d.timeUp = 1;
        m_clockRunning = false;
        out.timedOut = true;
    }
    return out;
}

bool DrillRun::closed() const
{
    return m_state.timeUp == 1 || m_state.drillFinished == 1;
}

bool DrillRun::inputHeld() const
{
    return m_awaitingCue || m_state.endStarted == 1;
}

AnswerOutcome DrillRun::answered(Judgement judgement)
{
    AnswerOutcome out;
    if (inputHeld() || closed()) return out;
    DrillState &d = m_state;
    out.taken = true;
    m_awaitingCue = true;
    m_pending = judgement == Judgement::Right ? Judgement::Right : Judgement::Wrong;
    if (m_pending == Judgement::Right) {
        d.judgeResult = 0;
        out.cue = Cue::Right;
        out.last = afterJudgement(d.correctCount, Judgement::Right) >= d.questionCount;
        if (out.last) m_clockRunning = false;
    } else {
        // A wrong answer stays on record until the next judgement.
        d.judgeResult = qint16(Judgement::Wrong);
        out.cue = Cue::Wrong;
    }
    return out;
}

AnswerCount DrillRun::cueEnded()
{
    AnswerCount out;
    m_awaitingCue = false;
    const Judgement judgement = std::exchange(m_pending, Judgement::None);
    DrillState &d = m_state;
    if (judgement == Judgement::None || closed() || d.endStarted == 1) return out;
    out.taken = true;
    d.correctCount = afterJudgement(d.correctCount, judgement);
    out.remaining = d.questionCount - d.correctCount;
    if (judgement == Judgement::Right) {
        out.finished = d.correctCount >= d.questionCount;
        out.nextQuestion = !out.finished;
    }
    if (out.finished) {
        m_clockRunning = false;
        d.drillFinished = 1;
    }
    return out;
}

bool DrillRun::finish()
{
    if (inputHeld()) return false;
    m_clockRunning = false;
    m_state.drillFinished = 1;
    return true;
}

DrillEnd DrillRun::end()
{
    DrillState &d = m_state;
    DrillEnd out;
    if (d.endStarted == 1) return out;
    d.endStarted = 1;
    m_clockRunning = false;
    out.timeUp = d.timeUp == 1;

    if (!m_inLevelTable) {
        out.kind = DrillEnd::Kind::NotPlayable;
        out.reason = DrillEnd::Reason::LevelOutOfRange;
    } else if (m_practice) {
        out.kind = DrillEnd::Kind::PracticeReturn;
    } else if (!m_inUse) {
        // Only slots of the level set are recorded; such a drill ends as a
        // practice drill does rather than leave the pupil under the cover.
        out.kind = DrillEnd::Kind::NotPlayable;
        out.reason = DrillEnd::Reason::LevelNotInUse;
    } else {
        out.kind = DrillEnd::Kind::Record;
        d.resultTime = out.timeUp ? noTime : d.elapsedSeconds;
        out.resultTime = d.resultTime;
    }
    return out;
}

bool DrillRun::abandon()
{
    if (m_state.endStarted == 1) return false;
    m_state.endStarted = 1;
    m_clockRunning = false;
    return true;
}

} // namespace kemoro
