#pragma once

#include "criteria/criteria.h"
#include "hub/rankings.h"
#include "results/resultstore.h"
#include "roster/roster.h"

#include <QDateTime>
#include <QStringList>

#include <optional>
#include <vector>

namespace kemoro::hub {

enum class RecordList {
    Today,    // today's drills of every pupil (the last 1000 records)
    Period,   // every drill of the chosen period (the last 20000 records)
    Personal, // every drill of the current pupil (3650 days)
};

struct RecordListOptions
{
    RecordList kind = RecordList::Today;
    RankView view = RankView::Time; // the period list has a time and a points form
    int listPeriod = 3;             // 1 this week .. 5 so far
    QString gradeFilter;
    int currentPupil = 0;
    int levelCount = 1;
    QDateTime now;
};

// Records scanned from the end of the file: 1000 for today's list, 20000 for the others.
qint64 recordWindow(RecordList kind);

// Days back of a period: this week counts from Monday (a Sunday ends the
// week), "since last week" from the Monday before, then 30, 365 and 3650 days.
int daysBack(int listPeriod, QDate today);

struct LevelLists
{
    // lines[i]: the lines of List5(i), i = 1..N (index 0 unused), oldest first.
    std::vector<QStringList> lines;
    // tintTime[i]: the result time of the newest listed drill that is no
    // failure; it decides the colour of the list in the time view.
    std::vector<std::optional<qint32>> tintTime;
};

// The three list builders over the records of a read window. Records with a
// level outside 1..N, a pupil outside 1..5000, or a date or time of day that
// is not valid are not listed; a negative stored time reads as 99999; a time
// of 90000 or more is a failure. List points leave out the level's rate.
LevelLists buildRecordLists(const ResultWindow &window, const Roster &roster, const CriteriaTable &criteria,
                            const RecordListOptions &options);

// The colour of a time-view list, by the newest listed time.
enum class Tint { Green, PaleGreen, Silver };
Tint tintFor(qint32 time, const CriteriaRow &criteria);

// Date and time forms of the lists (the Japanese short forms, whatever the locale).
QString shortDate(QDate date); // 2026/12/10
QString shortTime(QTime time); // 9:05:03

} // namespace kemoro::hub
