#include "hub/hubrules.h"

#include "drill/drillresult.h"
#include "platform/text.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace kemoro::hub {

bool overPractised(const CriteriaRow &criteria, const ResultTables &tables, int level, int pupil,
                   bool practice, bool goalCleared)
{
    return !practice && !goalCleared && overPracticeLimit(tables, criteria, level, pupil);
}

Unlocking unlockLevels(const Session &session)
{
    const int n = std::clamp(int(session.levelCount), 0, maxLevel);
    const int pupil = std::clamp(int(session.curPupilNo), 0, maxPupil);
    const ResultTables &tables = session.results;
    Unlocking out;
    out.enabled.assign(size_t(n) + 1, false);
    out.notice.assign(size_t(n) + 1, std::nullopt);

    out.goalCleared = goalCleared(session);
    if (n >= 1) out.enabled[1] = true;
    bool blocked = false;
    const bool teacher = trimBlanks(session.curPupilName) == u"先生"_s;
    for (int i = 1; i <= n; ++i) {
        const bool practice = isPracticeLevel(session.levels.levelName[i]);
        if (practice) out.enabled[i] = true;
        const bool nextHasNoPointsGoal = i + 1 < levelSlots && session.criteria[i + 1].clearPoints == 9999;
        const bool opens = nextHasNoPointsGoal || session.allLevelsSelectable == 1 || teacher ||
                           levelPassed(tables, session.criteria, i, pupil) || (!blocked && practice);
        if (!opens) {
            blocked = true;
            continue;
        }
        if (i < n) {
            out.enabled[i + 1] = true;
            out.notice[i + 1] = false;
            if (overPractised(session.criteria[i], tables, i, pupil, practice, out.goalCleared)) {
                out.enabled[i] = false;
                out.notice[i] = true;
            } else {
                out.notice[i] = false;
            }
        }
    }
    return out;
}

namespace {
QString countAndPoints(qint32 tries, qint32 points)
{
    return u"%1回/%2点"_s.arg(tries).arg(points);
}
} // namespace

QString todayText(const ResultTables &tables, int level, int pupil)
{
    const qint32 tries = tables.todayTries(level, pupil);
    return tries != 0 ? countAndPoints(tries, tables.todayPoints(level, pupil)) : u"-----"_s;
}

QString totalText(const ResultTables &tables, int level, int pupil)
{
    const qint32 tries = tables.totalTries(level, pupil);
    return tries != 0 ? countAndPoints(tries, tables.totalPoints(level, pupil)) : u"------"_s;
}

QString freeValueText(const FreeValue &value)
{
    switch (value.kind) {
    case FreeValue::Kind::Empty:
        return QString();
    case FreeValue::Kind::Number:
        return QString::number(value.number, 'g', 15);
    case FreeValue::Kind::Text:
        return value.text;
    }
    return QString();
}

QString recentText(const Session &session, int level)
{
    if (session.levels.levelInUse[level] != 1) return QString();
    const int pupil = session.curPupilNo;
    return u"最近%1日=%2回 / %3点"_s.arg(freeValueText(session.criteria[level].judgeDays))
        .arg(session.results.judgeTries(level, pupil))
        .arg(session.results.judgePoints(level, pupil));
}

QString criteriaText(const Session &session, int level)
{
    const CriteriaRow &c = session.criteria[level];
    if (session.levels.levelInUse[level] != 1) return u"◎=%1点以上"_s.arg(c.targetTime);
    if (c.clearPoints == 9999) return u"目標=%1秒 --------"_s.arg(c.targetTime);
    return u"目標=%1秒 %2回/%3点(×%4)"_s.arg(c.targetTime)
        .arg(c.clearCount)
        .arg(c.clearPoints)
        .arg(shortestDecimal(c.pointRate));
}

QString minutesText(int minutes)
{
    return u"起動後%1分"_s.arg(minutes);
}

QString todayTotalText(const ResultTables &tables, int pupil)
{
    qint64 sum = 0;
    for (int level = 1; level <= maxLevel; ++level)
        sum += tables.todayTries(level, pupil);
    return u"本日総回数＝%1回"_s.arg(sum);
}

QString startCaption(int level)
{
    // Only levels 1..9 get an access key; "ｽﾀｰﾄ(10)" would otherwise answer a second "1".
    return level <= 9 ? u"ｽﾀｰﾄ(&%1)"_s.arg(level) : u"ｽﾀｰﾄ(%1)"_s.arg(level);
}

void applyPracticeCriteria(Session &session)
{
    for (int i = 1; i <= std::min(int(session.levelCount), maxLevel); ++i) {
        if (isPracticeLevel(session.levels.levelName[i])) {
            session.criteria[i].targetTime = 600;
            session.criteria[i].minTime = 600;
        }
    }
}

bool isTeacherName(const QString &name)
{
    return name.contains(u'★') || name.contains(u"先生"_s);
}

double ColumnGeometry::left(int level, int first, double windowWidth) const
{
    const double x = (level - first) * width + firstLeft;
    return x < 0 ? windowWidth : x;
}

ColumnGeometry columnGeometry(int levelCount, double windowWidth)
{
    ColumnGeometry g;
    const int n = std::max(1, levelCount);
    if (n <= 4) {
        g.width = 14592.0 / n;
    } else {
        g.width = 3456;
        g.scrolls = true;
        g.scrollMaximum = n - 3;
    }
    g.firstLeft = 0.02 * windowWidth;
    return g;
}

int clampFirstColumn(int firstColumn, int levelCount)
{
    return std::clamp(firstColumn, 1, std::max(1, levelCount - 3));
}

int levelForKey(QChar key, int levelCount)
{
    int level = -1;
    if (key >= u'0' && key <= u'9')
        level = key.unicode() - u'0';
    else if (key >= u'a' && key <= u'd')
        level = 10 + (key.unicode() - u'a');
    if (level == 0) return 0;
    return level >= 1 && level <= levelCount ? level : -1;
}

} // namespace kemoro::hub
