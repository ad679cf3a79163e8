#pragma once

#include "criteria/criteria.h"
#include "results/aggregation.h"
#include "roster/roster.h"
#include "state/config.h"
#include "state/folders.h"
#include "state/limits.h"
#include "state/soundnames.h"

#include <QString>
#include <QTime>

#include <array>

namespace kemoro {

// Level names and which slots belong to the level set.
struct LevelTable
{
    std::array<QString, levelSlots> levelName;
    std::array<qint16, levelSlots> levelInUse{};
};

// A level whose name contains "練" is untimed practice, never recorded.
bool isPracticeLevel(const QString &levelName);

// The counters of the drill that is running.
struct DrillState
{
    double drillStartTime = 0; // clock reading when the drill clock started, seconds
    qint64 drillStartTick = 0; // the same moment on the monotonic tick, ms
    qint32 elapsedSeconds = 0;
    qint32 resultTime = 0;    // elapsedSeconds, or 99999 after a time-out
    qint16 judgeResult = 0;   // 0 none, 1 right, 2 wrong
    qint32 correctCount = 0;  // net right answers, never below 0
    qint16 questionCount = 0; // right answers that finish a drill
    qint32 timeLimit = 0;     // minTime x 5
    qint16 drillFinished = 0;
    qint16 endStarted = 0;
    qint16 timeUp = 0;
};

// The program-wide state of one run: who is practising, the level set, the
// settings read at start-up and the drill that is running. One object, handed
// to every screen that needs it.
struct Session
{
    QString programTitle;
    Folders folders;
    CommonSettings settings;
    quint32 seasonColour = 0;
    CriteriaTable criteria;
    SoundTable sounds;

    LevelTable levels;
    qint16 levelCount = 0;
    double goalLevel = 0;
    qint16 curLevel = 0;
    int allLevelsSelectable = 0;
    int teacherPrintEnabled = 0;

    qint16 curPupilNo = 0;
    QString curPupilName;
    QString curPupilGrade;
    qint32 sessionStartTime = 0; // seconds since midnight when the name was confirmed
    qint64 sessionStartTick = 0; // the same moment on the monotonic tick, ms

    DrillState drill;

    // The file an explanation window shows (--explain FILE).
    QString explanationFile;

    // Per-level, per-pupil results rebuilt by every aggregation, with the
    // best-time flags of the last recorded drill.
    ResultTables results;

    // The roster tables of the last name list, and the grade box text last
    // chosen on the name selection screen, where the hub starts from.
    Roster roster;
    QString gradeFilter = QStringLiteral("全学年");

    // Kept by the hub between its entries: the first level column in view and
    // the period of the period list.
    int firstColumn = 0;
    int listPeriod = 3;
};

// The title of every message box: the program's title, or "ケモロ" before
// the settings are read.
QString messageTitle(const Session &session);

// The 24 level names of the default level table.
const std::array<QString, 25> &defaultLevelNames();

// Builds the default level table: levelCount and goalLevel 1, slots 1..24
// named and in use. The criteria stay as loaded.
void buildDefaultLevelTable(Session &session);

enum class DrillScreen { None, QuestionDrill, TimedTask };
// Odd levels 1..19 open the question drill screen, even levels 2..20 the
// timed-task screen, anything else no screen.
DrillScreen drillScreenFor(int level);

// The reset at the start of every drill.
void resetForDrillStart(DrillState &drill);

// A pupil confirmed a name: who practises from now on, and when the session
// began, as the time of day in whole seconds (rounded, so 23:59:59.5 reads
// 86400) and on the monotonic tick.
void confirmPupil(Session &session, qint16 pupil, const QString &name, const QString &grade, QTime timeOfDay,
                  qint64 monotonicMs);

// Whole minutes since the name was confirmed, on the monotonic tick so that
// midnight never makes it negative.
int minutesSinceStart(const Session &session, qint64 monotonicNowMs);

} // namespace kemoro
