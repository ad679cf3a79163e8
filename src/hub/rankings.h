#pragma once

#include "results/aggregation.h"
#include "roster/roster.h"

#include <QList>
#include <QString>

#include <vector>

namespace kemoro::hub {

// SortByKey: sorts keys ascending and moves the items along; entries with
// equal keys keep their order (roster order for the rankings).
void sortByKey(std::vector<qint64> &keys, std::vector<int> &items);

enum class RankView { Time = 1, Points = 2 };

struct RankingOptions
{
    RankView view = RankView::Time;
    int pointRankPeriod = 1; // points view: 1 by points so far, 2 by today's points
    QString gradeFilter;     // the grade box text; lines of other grades are left out
    int currentPupil = 0;    // marked with "●"
    bool levelInUse = true;  // a level not in use holds points, where more is better
    // The report window's variant of the same ranking: ranks of three
    // characters with "---" for no result, the first place of the points
    // ranking always 1, and today's points listing only pupils with points today.
    bool reportStyle = false;
};

// The listed pupils of the roster in roster order, with the pieces of their
// lines that do not depend on the level; made once per rebuild of the lists.
struct RankedPupils
{
    std::vector<int> pupils;
    std::vector<int> grades;
    QStringList names5;
    QStringList marks; // GradeMark of the grade
};
RankedPupils rankedPupils(const Roster &roster);

// Line i of a ranking is lines[i], for pupils[i], starting with ranks[i].
struct Ranking
{
    QStringList lines;
    std::vector<int> pupils;
    QStringList ranks;
    std::vector<qint32> points; // points so far
    // The line to scroll to: the one just before the current pupil's line
    // (none when the pupil's line is first or absent).
    int scrollRow = -1;
};

// The ranking of one level over every listed pupil of the roster: sorted on
// the whole group, then the grade filter picks the lines, so a filtered list
// keeps the places of the whole group (ranks may show gaps). Ties share a
// rank (1, 2, 2, 4). Pupils without a result come after every other pupil,
// in roster order.
Ranking buildRanking(const RankedPupils &group, const ResultTables &tables, int level,
                     const RankingOptions &options);
Ranking buildRanking(const Roster &roster, const ResultTables &tables, int level,
                     const RankingOptions &options);

// Pieces of the ranking lines.
QString name5(const QString &name);    // trailing blanks removed, full-width padded, 5 characters
QString rankText(int rank, int width); // last `width` characters of the rank, empty for no rank

} // namespace kemoro::hub
