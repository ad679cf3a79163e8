#include "results/drillrecord.h"

namespace kemoro {

DrillRecordOutcome recordFinishedDrill(Session &session, int level, const QDateTime &now, ResultStore &file,
                                       const WaitFunction &wait)
{
    DrillRecordOutcome outcome;
    ResultTables &tables = session.results;
    const int pupil = session.curPupilNo;
    const qint32 time = session.drill.resultTime;
    const bool inTables = level >= 1 && level <= maxLevel && pupil >= 1 && pupil <= maxPupil;

    if (inTables) {
        const CriteriaRow &criteria = session.criteria[size_t(level)];
        outcome.clearedBefore = tables.totalTries(level, pupil) >= criteria.clearCount &&
                                tables.totalPoints(level, pupil) >= criteria.clearPoints;
        // Both bests start at 99999, so a time-out never betters one.
        if (time < tables.best(level, pupil)) {
            tables.best(level, pupil) = time;
            outcome.newPersonalBest = true;
        }
    }
    outcome.error = file.append(
        drillRecord(now, session.curPupilNo, qint16(level), time, session.settings.schoolCode), wait);
    // Compared with the level's best as of the last aggregation, like every
    // other computer does; not touched when the record could not be written.
    if (inTables && !outcome.error && time < tables.levelBest[size_t(level)]) {
        tables.levelBest[size_t(level)] = time;
        outcome.newLevelBest = true;
    }
    tables.clearedBefore = outcome.clearedBefore;
    tables.newPersonalBest = outcome.newPersonalBest;
    tables.newLevelBest = outcome.newLevelBest;
    return outcome;
}

} // namespace kemoro
