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

NameList buildNameList(const Roster &roster, const ResultTables &tables, RankingKind kind, const QString &gradeFilter)
{
    struct Sorted
    {
        QByteArray key;
        NameLine line;
    };
    std::vector<Sorted> sorted;
    sorted.reserve(size_t(roster.entries.size()));
    for (const RosterEntry &entry : roster.entries) {
        NameLine line = nameLine(entry, roster.schoolYear, pupilFigures(tables, entry.pupilNo), kind);
        QByteArray key = cp932::encodeLossy(line.sortedLine());
        sorted.push_back({std::move(key), std::move(line)});
    }
    std::stable_sort(sorted.begin(), sorted.end(), [](const Sorted &a, const Sorted &b) { return a.key < b.key; });

    NameList list;
    list.list1.reserve(qsizetype(sorted.size()) + 1);
    list.list3.reserve(qsizetype(sorted.size()));
    list.pupils.reserve(qsizetype(sorted.size()));
    list.list1.append(dashLine());
    for (auto it = sorted.crbegin(); it != sorted.crend(); ++it) {
        const NameLine &line = it->line;
        if (!gradeMatches(gradeFilter, gradeNumber(roster.schoolYear, line.birthYear)))
            continue;
        list.list1.append(line.text);
        list.list3.append(line.text + u'*' + QString::number(line.pupilNo));
        list.pupils.append(line.pupilNo);
    }
    return list;
}

NameListRun runNameList(Session &session, const QDateTime &now, const WaitFunction &wait, RankingKind kind,
                        const QString &gradeFilter)
{
    NameListRun run;
    run.list.list1.append(dashLine());
    Roster &roster = session.roster;
    roster.schoolYear = schoolYear(now.date(), session.settings.yearStartMonth);
    run.resultError = aggregate(session.criteria, now, ResultFile(session.folders.resultFile()), wait, session.results);
    if (run.resultError)
        return run;
    if (!loadRoster(session.folders.rosterFile(), session.settings.commonSetting3, roster, run.diagnostics))
        return run;
    run.list = buildNameList(roster, session.results, kind, gradeFilter);
    return run;
}

} // namespace kemoro
