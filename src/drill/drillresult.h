#pragma once

#include "criteria/criteria.h"
#include "results/aggregation.h"
#include "state/soundcues.h"

#include <QString>

#include <optional>

namespace kemoro {

struct Session;

// Level passed: within the level's judging period the pupil has at least
// clearCount drills and clearPoints points. The end-of-drill screen and the
// hub judge by this one rule.
bool levelPassed(const ResultTables &tables, const CriteriaTable &criteria, int level, int pupil);

// The session's pupil has passed the goal level.
bool goalCleared(const Session &session);

// The session's pupil's drills of today: of one level, and over levels
// 1..lastLevel (the drill header counts 1..15, the end screen 1..35).
int todayTriesOf(const Session &session, int level);
int todayTriesUpTo(const Session &session, int lastLevel);

// Over the practice limit of a level: as many drills as overCount, or as many
// points as overPoints, within the over-practice period; a limit of 0 (or
// empty) is no limit.
bool overPracticeLimit(const ResultTables &tables, const CriteriaRow &row, int level, int pupil);

// The points of the drill just finished, from its full result time.
struct DrillScore
{
    int base = 0;
    int points = 0;
};
DrillScore scoreDrill(qint32 resultTime, const CriteriaRow &row);

// The texts of the end-of-drill screen.
QString resultText(qint32 resultTime, bool timeUp);           // Label18
QString pointsText(const DrillScore &score, float pointRate); // Label19
QString levelTriesText(int todayTriesOfLevel);                // Label13
QString dayTriesText(int todayTriesAllLevels);                // Label14

// What the end-of-drill screen greets the drill with (Label20) and which cue
// it plays.
enum class Outcome { None, TimeUp, PersonalBest, LevelBest };
Outcome drillOutcome(bool timeUp, bool newPersonalBest, bool newLevelBest);
QString outcomeText(Outcome outcome); // empty for None: Label20 stays hidden
// No greeting plays the fail cue only for a time within the level's minimum
// time; a time-out plays nothing.
std::optional<Cue> outcomeCue(Outcome outcome, qint32 resultTime, qint32 minTime);

// The goal banner: the goal level is cleared, and no level of the table is
// marked as never clearable by a clearCount of 9999.
bool showGoalBanner(bool cleared, bool isGoalLevel, const CriteriaTable &criteria);
// The pass cue greets the goal level's clearing once: not when it was cleared before.
bool playPassCue(bool cleared, bool isGoalLevel, bool clearedBefore);

// The buttons half a second after the screen opened. "メニューへ" always shows;
// "もう一度" unless a pupil who cleared a level and practised it too much is
// to move on, which only holds while the goal level is not yet cleared.
struct Reveal
{
    enum class Banner { Keep, ClearAndHide, MoveOn };
    bool again = true;
    Banner banner = Banner::Keep;
};
Reveal revealAfterTimer(bool overLimit, bool cleared, bool isGoalLevel, bool goalIsCleared);
QString moveOnText(); // "次のレベルへ進みましょう"

} // namespace kemoro
