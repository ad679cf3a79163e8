#include "hub/rankings.h"

#include "platform/text.h"
#include "roster/grades.h"
#include "state/session.h"

#include <algorithm>
#include <limits>
#include <numeric>

using namespace Qt::StringLiterals;

namespace kemoro::hub {

void sortByKey(std::vector<qint64> &keys, std::vector<int> &items)
{
    std::vector<size_t> order(keys.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return keys[a] < keys[b]; });
    std::vector<qint64> sortedKeys(keys.size());
    std::vector<int> sortedItems(items.size());
    for (size_t k = 0; k < order.size(); ++k) {
        sortedKeys[k] = keys[order[k]];
        sortedItems[k] = items[order[k]];
    }
    keys.swap(sortedKeys);
    items.swap(sortedItems);
}

QString name5(const QString &name)
{
    return (trimTrailingBlanks(name) + QString(6, QChar(0x3000))).left(5);
}

QString rankText(int rank, int width)
{
    if (rank <= 0) return QString();
    return rightAligned(QString::number(rank), width);
}

RankedPupils rankedPupils(const Roster &roster)
{
    RankedPupils group;
    const int n = roster.rosterCount();
    group.pupils.reserve(size_t(n));
    group.grades.reserve(size_t(n));
    group.names5.reserve(n);
    group.marks.reserve(n);
    for (int k = 0; k < n; ++k) {
        const int p = std::clamp(int(roster.rosterOrder(k)), 0, maxPupil);
        const int grade = roster.gradeOf(p);
        group.pupils.push_back(p);
        group.grades.push_back(grade);
        group.names5.append(name5(roster.pupilNames[size_t(p)]));
        group.marks.append(gradeMark(grade));
    }
    return group;
}

namespace {
// Appends "four spaces followed by the number, cut to its last n
// characters": a one-digit number stays shorter than n, as the lists have
// always shown it. Built in place: a ranking makes thousands of lines.
void appendLastOf(QString &line, qint64 value, int n)
{
    char digits[24];
    int len = 0;
    const bool negative = value < 0;
    quint64 v = negative ? quint64(-value) : quint64(value);
    do {
        digits[len++] = char('0' + v % 10);
        v /= 10;
    } while (v);
    if (negative) digits[len++] = '-';
    const int total = 4 + len;
    for (int k = std::max(0, total - n); k < total; ++k)
        line += k < 4 ? QChar(u' ') : QChar(QLatin1Char(digits[len - 1 - (k - 4)]));
}
} // namespace

Ranking buildRanking(const Roster &roster, const ResultTables &tables, int level,
                     const RankingOptions &options)
{
    return buildRanking(rankedPupils(roster), tables, level, options);
}

Ranking buildRanking(const RankedPupils &group, const ResultTables &tables, int level,
                     const RankingOptions &options)
{
    Ranking out;
    const int n = int(group.pupils.size());
    // Positions into the group, in roster order; sorted below.
    std::vector<int> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    auto pupilAt = [&](int k) { return group.pupils[size_t(k)]; };
    auto best = [&](int k) { return tables.best(level, pupilAt(k)); };
    auto total = [&](int k) { return tables.totalPoints(level, pupilAt(k)); };
    auto today = [&](int k) { return tables.todayPoints(level, pupilAt(k)); };
    const bool byToday = options.view == RankView::Points && options.pointRankPeriod == 2;

    if (options.view == RankView::Time) {
        std::vector<qint64> keys(static_cast<size_t>(n));
        for (int k = 0; k < n; ++k) {
            const qint32 b = best(k);
            if (options.levelInUse)
                keys[size_t(k)] = b;
            else // points: more is better, and no result after everybody else
                keys[size_t(k)] = b == noTime ? std::numeric_limits<qint64>::max() : 10000 - qint64(b);
        }
        sortByKey(keys, order);
    } else {
        // Both values directly, not one composite key that breaks past 999 points a day.
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            const qint64 a1 = byToday ? today(a) : total(a), b1 = byToday ? today(b) : total(b);
            if (a1 != b1) return a1 > b1;
            const qint64 a2 = byToday ? total(a) : today(a), b2 = byToday ? total(b) : today(b);
            return a2 > b2;
        });
    }

    const int rankWidth = options.reportStyle ? 3 : 2;
    const QString fullSpace = u"　"_s, currentMark = u"●"_s;
    out.lines.reserve(n);
    out.ranks.reserve(n);
    out.pupils.reserve(size_t(n));
    out.points.reserve(size_t(n));
    int rank = 0;
    qint64 previous = 0; // place 0 holds the value 0
    for (int m = 1; m <= n; ++m) {
        const int k = order[size_t(m - 1)];
        const int p = pupilAt(k);
        const qint64 value = options.view == RankView::Time ? best(k) : (byToday ? today(k) : total(k));
        if (value != previous || (options.reportStyle && options.view == RankView::Points && m == 1))
            rank = m;
        previous = value;

        if (!gradeMatches(options.gradeFilter, group.grades[size_t(k)])) continue;
        if (options.reportStyle && byToday && today(k) == 0) continue;
        const bool current = p == options.currentPupil;
        const QString &mark1 = current ? currentMark : group.marks.at(k);
        const QString &mark2 = current ? currentMark : fullSpace;
        const qint32 b = best(k);
        const QString rankPiece = options.view == RankView::Time && b == noTime
                                      ? (options.reportStyle ? u"---"_s : u"--"_s)
                                      : rankText(rank, rankWidth);
        QString line;
        line.reserve(24);
        line += rankPiece;
        line += mark1;
        line += group.names5.at(k);
        if (options.view == RankView::Points) {
            appendLastOf(line, today(k), 3);
            line += u'/';
            appendLastOf(line, total(k), 5);
        } else {
            if (b == noTime) {
                line += u"------ "_s;
            } else if (b == 99998) {
                line += u"*失敗* "_s;
            } else {
                appendLastOf(line, b, 6);
                line += u' ';
            }
            line += mark2;
        }
        if (current && out.scrollRow < 0) out.scrollRow = int(out.lines.size()) - 1;
        out.lines.append(line);
        out.ranks.append(rankPiece);
        out.pupils.push_back(p);
        out.points.push_back(total(k));
    }
    return out;
}

} // namespace kemoro::hub
