#include "state/session.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace kemoro {

bool isPracticeLevel(const QString &levelName)
{
    return levelName.contains(u'練');
}

QString messageTitle(const Session &session)
{
    return session.programTitle.isEmpty() ? u"ケモロ"_s : session.programTitle;
}

const std::array<QString, 25> &defaultLevelNames()
{
    // The digits mix full and half width exactly as the product family names
    // them ("レベル１－1" ends in a half-width 1).
    static const std::array<QString, 25> names = {
        QString(),         u"レベル１"_s,     u"レベル１－1"_s,  u"レベル１－２"_s, u"レベル２練習"_s,
        u"レベル２－１"_s, u"レベル２－２"_s, u"レベル３練習"_s, u"レベル３－１"_s, u"レベル３－２"_s,
        u"レベル４練習"_s, u"レベル４－1"_s,  u"レベル４－２"_s, u"レベル５練習"_s, u"レベル５－１"_s,
        u"レベル５－２"_s, u"レベル６練習"_s, u"レベル６－１"_s, u"レベル６－２"_s, u"レベル７練習"_s,
        u"レベル７－1"_s,  u"レベル７－２"_s, u"レベル８練習"_s, u"レベル８－１"_s, u"レベル８－２"_s,
    };
    return names;
}

void buildDefaultLevelTable(Session &session)
{
    session.levelCount = 1;
    session.goalLevel = 1;
    for (int i = 1; i <= 24; ++i) {
        session.levels.levelName[i] = defaultLevelNames()[i];
        session.levels.levelInUse[i] = 1;
    }
}

DrillScreen drillScreenFor(int level)
{
    if (level >= 1 && level <= 19 && level % 2 == 1) return DrillScreen::QuestionDrill;
    if (level >= 2 && level <= 20 && level % 2 == 0) return DrillScreen::TimedTask;
    return DrillScreen::None;
}

void resetForDrillStart(DrillState &drill)
{
    drill.drillFinished = 0;
    drill.endStarted = 0;
    drill.correctCount = 0;
    drill.timeUp = 0;
}

void confirmPupil(Session &session, qint16 pupil, const QString &name, const QString &grade, QTime timeOfDay,
                  qint64 monotonicMs)
{
    session.sessionStartTime = qint32(std::lround(timeOfDay.msecsSinceStartOfDay() / 1000.0));
    session.sessionStartTick = monotonicMs;
    session.curPupilNo = pupil;
    session.curPupilName = name;
    session.curPupilGrade = grade;
}

int minutesSinceStart(const Session &session, qint64 monotonicNowMs)
{
    const qint64 ms = monotonicNowMs - session.sessionStartTick;
    return ms <= 0 ? 0 : int(ms / 60000);
}

} // namespace kemoro
