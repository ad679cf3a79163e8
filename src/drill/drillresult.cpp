#include "drill/drillresult.h"

#include "platform/text.h"
#include "results/points.h"
#include "state/session.h"

using namespace Qt::StringLiterals;

namespace kemoro {

namespace {
bool inTables(int level, int pupil)
{
    return level >= 0 && level <= maxLevel && pupil >= 0 && pupil <= maxPupil;
}
} // namespace

bool levelPassed(const ResultTables &tables, const CriteriaTable &criteria, int level, int pupil)
{
    if (!inTables(level, pupil)) return false;
    const CriteriaRow &row = criteria[size_t(level)];
    return tables.judgeTries(level, pupil) >= row.clearCount &&
           tables.judgePoints(level, pupil) >= row.clearPoints;
}

bool goalCleared(const Session &session)
{
    const double goal = session.goalLevel;
    if (goal < 0 || goal > maxLevel || goal != double(int(goal))) return false;
    return levelPassed(session.results, session.criteria, int(goal), session.curPupilNo);
}

int todayTriesOf(const Session &session, int level)
{
    const int pupil = session.curPupilNo;
    if (level < 0 || level > maxLevel || pupil < 0 || pupil > maxPupil) return 0;
    return session.results.todayTries(level, pupil);
}

int todayTriesUpTo(const Session &session, int lastLevel)
{
    int sum = 0;
    for (int level = 1; level <= std::min(lastLevel, int(maxLevel)); ++level)
        sum += todayTriesOf(session, level);
    return sum;
}

bool overPracticeLimit(const ResultTables &tables, const CriteriaRow &row, int level, int pupil)
{
    if (!inTables(level, pupil)) return false;
    const double overCount = row.overCount.asNumber();
    const double overPoints = row.overPoints.asNumber();
    return (overCount != 0 && tables.limitTries(level, pupil) >= overCount) ||
           (overPoints != 0 && tables.limitPoints(level, pupil) >= overPoints);
}

DrillScore scoreDrill(qint32 resultTime, const CriteriaRow &row)
{
    DrillScore score;
    score.base = basePoints(resultTime, row.targetTime);
    score.points = applyPointRate(score.base, row.pointRate);
    return score;
}

QString resultText(qint32 resultTime, bool timeUp)
{
    if (timeUp) return u"記録なし"_s;
    return u"今の成績："_s + QString::number(resultTime) + u"秒"_s;
}

QString pointsText(const DrillScore &score, float pointRate)
{
    return u"獲得ポイント："_s + QString::number(score.base) + u"点×"_s + shortestDecimal(pointRate) +
           u"→"_s + QString::number(score.points) + u"点"_s;
}

QString levelTriesText(int todayTriesOfLevel)
{
    return u" (このレベル　"_s + QString::number(todayTriesOfLevel) + u"回目)"_s;
}

QString dayTriesText(int todayTriesAllLevels)
{
    return u"（"_s + QString::number(todayTriesAllLevels) + u"回目)"_s;
}

Outcome drillOutcome(bool timeUp, bool newPersonalBest, bool newLevelBest)
{
    if (timeUp) return Outcome::TimeUp;
    if (newLevelBest) return Outcome::LevelBest;
    if (newPersonalBest) return Outcome::PersonalBest;
    return Outcome::None;
}

QString outcomeText(Outcome outcome)
{
    switch (outcome) {
    case Outcome::TimeUp:
        return u"時間切れ"_s;
    case Outcome::PersonalBest:
        return u"新記録おめでとう"_s;
    case Outcome::LevelBest:
        return u"！！！最高新記録！！！"_s;
    case Outcome::None:
        break;
    }
    return QString();
}

std::optional<Cue> outcomeCue(Outcome outcome, qint32 resultTime, qint32 minTime)
{
    switch (outcome) {
    case Outcome::TimeUp:
        return std::nullopt;
    case Outcome::PersonalBest:
        return Cue::PersonalBest;
    case Outcome::LevelBest:
        return Cue::LevelBest;
    case Outcome::None:
        break;
    }
    if (resultTime <= minTime) return Cue::Fail;
    return std::nullopt;
}

bool showGoalBanner(bool cleared, bool isGoalLevel, const CriteriaTable &criteria)
{
    if (!cleared || !isGoalLevel) return false;
    for (int level = 1; level <= maxLevel; ++level)
        if (criteria[size_t(level)].clearCount == 9999) return false;
    return true;
}

bool playPassCue(bool cleared, bool isGoalLevel, bool clearedBefore)
{
    return cleared && isGoalLevel && !clearedBefore;
}

Reveal revealAfterTimer(bool overLimit, bool cleared, bool isGoalLevel, bool goalIsCleared)
{
    Reveal reveal;
    if (!overLimit || !cleared) return reveal;
    if (isGoalLevel) {
        reveal.banner = Reveal::Banner::ClearAndHide;
        return reveal;
    }
    if (!goalIsCleared) {
        reveal.banner = Reveal::Banner::MoveOn;
        reveal.again = false;
    }
    return reveal;
}

QString moveOnText()
{
    return u"次のレベルへ進みましょう"_s;
}

} // namespace kemoro
