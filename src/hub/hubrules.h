#pragma once

#include "criteria/criteria.h"
#include "results/aggregation.h"
#include "state/session.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace kemoro::hub {

// Over-practised: not a practice level, the goal not yet cleared, and over
// the level's practice limit (the end-of-drill screen's rule).
bool overPractised(const CriteriaRow &criteria, const ResultTables &tables, int level, int pupil,
                   bool practice, bool goalCleared);

inline constexpr auto overPracticeNotice = u"やりすぎ禁止";

// What the unlocking routine decides for the start buttons of levels 1..N.
struct Unlocking
{
    bool goalCleared = false;
    // enabled[i]: start button i usable (index 0 unused).
    std::vector<bool> enabled;
    // notice[i]: show the over-practice notice over button i (true), hide it
    // (false), or leave it as it was (nullopt).
    std::vector<std::optional<bool>> notice;
};

// The unlocking routine. Every start button starts disabled; level 1 and
// practice levels open; a level opens the next one when the next level has no
// points goal (9999), every level is selectable, the pupil is exactly "先生",
// the level is passed, or no level before it blocked and it is practice. A
// level that opens the way is barred when over-practised. There is no level
// after the last slot, so the last slot never opens the way by the next
// level's points goal.
Unlocking unlockLevels(const Session &session);

// The texts of a level column.
QString todayText(const ResultTables &tables, int level, int pupil); // Label14: "3回/25点" or "-----"
QString totalText(const ResultTables &tables, int level, int pupil); // Label15: "3回/25点" or "------"
QString recentText(const Session &session, int level);               // Label8: "最近7日=4回 / 30点"
QString criteriaText(const Session &session, int level);       // Label7: "目標=40秒 5回/100点(×1.5)"
QString minutesText(int minutes);                              // Label17: "起動後12分"
QString todayTotalText(const ResultTables &tables, int pupil); // Label18: "本日総回数＝5回"
QString startCaption(int level);                               // Command4(i): "ｽﾀｰﾄ(&1)"

// A free criteria value as it reads in a text: a number in its shortest form,
// a text as written, nothing when empty.
QString freeValueText(const FreeValue &value);

// Practice levels of the level set run on 600-second criteria while the hub
// shows them (their drills are never recorded).
void applyPracticeCriteria(Session &session);

// A teacher name contains "★" or "先生".
bool isTeacherName(const QString &name);

// Column geometry, in twips.
struct ColumnGeometry
{
    double width = 0;      // W
    bool scrolls = false;  // more than four levels
    int scrollMaximum = 0; // N - 3 when it scrolls
    double firstLeft = 0;  // L0: 0.02 x the window width
    // Left edge of column i with first visible column `first`; a column that
    // would start left of the window goes to its right edge, out of view.
    double left(int level, int first, double windowWidth) const;
};
ColumnGeometry columnGeometry(int levelCount, double windowWidth);

// firstColumn kept between hub entries, made valid for N levels: 1..max(1, N - 3).
int clampFirstColumn(int firstColumn, int levelCount);

// The level a key starts: "1".."9" levels 1..9, "a".."d" levels 10..13, when
// that level exists; 0 for "0" (back); -1 for anything else.
int levelForKey(QChar key, int levelCount);

} // namespace kemoro::hub
