#include "roster/namelist.h"

#include "platform/cp932.h"
#include "platform/text.h"
#include "roster/grades.h"
#include "state/session.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace kemoro {

QString dashLine()
{
    return u"－－－－－－"_s;
}

PupilFigures pupilFigures(const ResultTables &tables, int pupil)
{
    PupilFigures f;
    for (int level = 1; level < levelSlots; ++level) {
        f.todayCount += tables.todayTries(level, pupil);
        f.todayPoints += tables.todayPoints(level, pupil);
        f.totalCount += tables.totalTries(level, pupil);
        f.totalPoints += tables.totalPoints(level, pupil);
    }
    return f;
}

QString todayCountText(qint64 count)
{
    return count == 0 ? u"     "_s : rightAligned(QString::number(count), 3) + u"回"_s;
}

QString todayPointsText(qint64 points)
{
    return points == 0 ? u"  　"_s : rightAligned(QString::number(points), 4);
}

QString totalCountText(qint64 count)
{
    return count == 0 ? u"     　"_s : rightAligned(QString::number(count), 5) + u"回"_s;
}

QString totalPointsText(qint64 points)
{
    return points == 0 ? u"       "_s : rightAligned(QString::number(points), 7);
}

QString NameLine::sortedLine() const
{
    return QString::number(birthYear) + text + u'*' + QString::number(pupilNo);
}

NameLine nameLine(const RosterEntry &entry, int schoolYear, const PupilFigures &figures, RankingKind kind)
{
    QString left, right;
    switch (kind) {
    case RankingKind::Counts:
        left = todayCountText(figures.todayCount);
        right = totalCountText(figures.totalCount);
        break;
    case RankingKind::Points:
        left = todayPointsText(figures.todayPoints);
        right = totalPointsText(figures.totalPoints);
        break;
    case RankingKind::Today:
        left = todayPointsText(figures.todayPoints);
        right = todayCountText(figures.todayCount);
        break;
    case RankingKind::SoFar:
        left = totalPointsText(figures.totalPoints);
        right = totalCountText(figures.totalCount);
        break;
    }
    const int grade = gradeNumber(schoolYear, entry.birthYear);
    const QString label = listGradeLabel(grade);
    const QString name = entry.trimmedName();
    const int width = kind != RankingKind::Points && gradeWithinSchool(grade) < 1 ? 11 : 9;
    // A name too long for its column gets no padding and pushes the figures
    // right rather than being cut.
    const qsizetype padding = std::max<qsizetype>(0, width - (name.size() + label.size() + 1));

    NameLine line;
    line.text = label + u' ' + name + QString(padding, QChar(0x3000)) + left + u'/' + right;
    line.birthYear = entry.birthYear;
    line.pupilNo = entry.pupilNo;
    return line;
}

namespace {

// The sort keys: the lines' Shift-JIS bytes. One encoder for all lines, as
// setting one up costs more than encoding a line; a line feed cannot occur
// inside a double-byte character, so the joined bytes split back exactly.
std::vector<QByteArray> sortKeys(const QStringList &lines)
{
    std::vector<QByteArray> keys;
    keys.reserve(size_t(lines.size()));
    if (const std::optional<QByteArray> joined = cp932::encode(lines.join(u'\n'))) {
        const QList<QByteArray> split = joined->split('\n');
        if (split.size() == lines.size()) {
            keys.assign(split.cbegin(), split.cend());
            return keys;
        }
    }
    // Only a name with undecodable bytes of the roster file gets here.
    for (const QString &line : lines)
        keys.push_back(cp932::encode(line).value_or(cp932::encodeLossy(line)));
    return keys;
}

// The figures of every listed pupil, level by level: each table is read in
// the order it is stored instead of 35 scattered reads per pupil.
std::vector<PupilFigures> figuresOf(const QList<RosterEntry> &entries, const ResultTables &tables)
{
    std::vector<PupilFigures> figures(size_t(entries.size()));
    for (int level = 1; level < levelSlots; ++level) {
        for (size_t k = 0; k < figures.size(); ++k) {
            const int pupil = entries.at(qsizetype(k)).pupilNo;
            PupilFigures &f = figures[k];
            f.todayCount += tables.todayTries(level, pupil);
            f.todayPoints += tables.todayPoints(level, pupil);
            f.totalCount += tables.totalTries(level, pupil);
            f.totalPoints += tables.totalPoints(level, pupil);
        }
    }
    return figures;
}

} // namespace

NameList buildNameList(const Roster &roster, const ResultTables &tables, RankingKind kind,
                       const QString &gradeFilter)
{
    const std::vector<PupilFigures> figures = figuresOf(roster.entries, tables);
    std::vector<NameLine> lines;
    lines.reserve(figures.size());
    QStringList sortedLines;
    sortedLines.reserve(qsizetype(figures.size()));
    for (qsizetype k = 0; k < roster.entries.size(); ++k) {
        lines.push_back(nameLine(roster.entries.at(k), roster.schoolYear, figures[size_t(k)], kind));
        sortedLines.append(lines.back().sortedLine());
    }
    const std::vector<QByteArray> keys = sortKeys(sortedLines);
    std::vector<size_t> order(lines.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return keys[a] < keys[b]; });

    NameList list;
    list.list1.reserve(qsizetype(lines.size()) + 1);
    list.list3.reserve(qsizetype(lines.size()));
    list.pupils.reserve(qsizetype(lines.size()));
    list.list1.append(dashLine());
    for (auto it = order.crbegin(); it != order.crend(); ++it) {
        const NameLine &line = lines[*it];
        if (!gradeMatches(gradeFilter, gradeNumber(roster.schoolYear, line.birthYear))) continue;
        list.list1.append(line.text);
        list.list3.append(line.text + u'*' + QString::number(line.pupilNo));
        list.pupils.append(line.pupilNo);
    }
    return list;
}

NameListRun runNameList(Session &session, ResultStore &results, const QDateTime &now,
                        const WaitFunction &wait, RankingKind kind, const QString &gradeFilter)
{
    NameListRun run;
    run.list.list1.append(dashLine());
    Roster &roster = session.roster;
    roster.schoolYear = schoolYear(now.date(), session.settings.yearStartMonth);
    run.resultError = aggregate(session.criteria, now, results, wait, session.results);
    if (run.resultError) return run;
    if (!loadRoster(session.folders.rosterFile(), session.settings.commonSetting3, roster, run.diagnostics))
        return run;
    run.list = buildNameList(roster, session.results, kind, gradeFilter);
    return run;
}

} // namespace kemoro
