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
    if (rank <= 0)
        return QString();
    return rightAligned(QString::number(rank), width);
}

QStringList Ranking::texts() const
{
    QStringList out;
    out.reserve(lines.size());
    for (const RankingLine &line : lines)
        out.append(line.text);
    return out;
}

namespace {
// "Four spaces followed by the number, cut to its last n characters": a
// one-digit number stays shorter than n, as the lists have always shown it.
QString lastOf(qint64 value, int n)
{
    return (u"    "_s + QString::number(value)).right(n);
}
} // namespace

Ranking buildRanking(const Roster &roster, const ResultTables &tables, int level, const RankingOptions &options)
{
    Ranking out;
    const int n = roster.rosterCount();
    std::vector<int> items(static_cast<size_t>(n));
    for (int k = 0; k < n; ++k)
        items[size_t(k)] = std::clamp(int(roster.rosterOrder(k)), 0, maxPupil);
    auto best = [&](int p) { return tables.best(level, p); };
    auto total = [&](int p) { return tables.totalPoints(level, p); };
    auto today = [&](int p) { return tables.todayPoints(level, p); };
    const bool byToday = options.view == RankView::Points && options.pointRankPeriod == 2;

    if (options.view == RankView::Time) {
        std::vector<qint64> keys(static_cast<size_t>(n));
        for (int k = 0; k < n; ++k) {
            const qint32 b = best(items[size_t(k)]);
            if (options.levelInUse)
                keys[size_t(k)] = b;
            else // points: more is better, and no result after everybody else
                keys[size_t(k)] = b == noTime ? std::numeric_limits<qint64>::max() : 10000 - qint64(b);
        }
        sortByKey(keys, items);
    } else {
        // Both values directly, not one composite key that breaks past 999 points a day.
        std::stable_sort(items.begin(), items.end(), [&](int a, int b) {
            const qint64 a1 = byToday ? today(a) : total(a), b1 = byToday ? today(b) : total(b);
            if (a1 != b1)
                return a1 > b1;
            const qint64 a2 = byToday ? total(a) : today(a), b2 = byToday ? total(b) : today(b);
            return a2 > b2;
        });
    }

    const int rankWidth = options.reportStyle ? 3 : 2;
    int rank = 0;
    qint64 previous = 0; // place 0 holds the value 0
    for (int m = 1; m <= n; ++m) {
        const int p = items[size_t(m - 1)];
        const qint64 value = options.view == RankView::Time ? best(p) : (byToday ? today(p) : total(p));
        if (value != previous || (options.reportStyle && options.view == RankView::Points && m == 1))
            rank = m;
        previous = value;

        const int grade = roster.gradeOf(p);
        if (!gradeMatches(options.gradeFilter, grade))
            continue;
        if (options.reportStyle && byToday && today(p) == 0)
            continue;
        const bool current = p == options.currentPupil;
        const QString mark1 = current ? u"●"_s : gradeMark(grade);
        const QString mark2 = current ? u"●"_s : u"　"_s;
        const QString name = name5(roster.pupilNames[size_t(p)]);
        RankingLine line;
        line.pupil = p;
        line.points = total(p);
        if (options.view == RankView::Points) {
            line.rank = rankText(rank, rankWidth);
            line.text = line.rank + mark1 + name + lastOf(today(p), 3) + u'/' + lastOf(total(p), 5);
        } else if (best(p) == noTime) {
            line.rank = options.reportStyle ? u"---"_s : u"--"_s;
            line.text = line.rank + mark1 + name + u"------ "_s + mark2;
        } else if (best(p) == 99998) {
            line.rank = rankText(rank, rankWidth);
            line.text = line.rank + mark1 + name + u"*失敗* "_s + mark2;
        } else {
            line.rank = rankText(rank, rankWidth);
            line.text = line.rank + mark1 + name + lastOf(best(p), 6) + u' ' + mark2;
        }
        if (current && out.scrollRow < 0)
            out.scrollRow = int(out.lines.size()) - 1;
        out.lines.append(line);
    }
    return out;
}

} // namespace kemoro::hub
