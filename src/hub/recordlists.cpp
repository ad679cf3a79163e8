#include "hub/recordlists.h"

#include "platform/oledate.h"
#include "platform/text.h"
#include "results/points.h"
#include "results/recordview.h"
#include "roster/grades.h"
#include "state/session.h"

using namespace Qt::StringLiterals;

namespace kemoro::hub {

qint64 recordWindow(RecordList kind)
{
    return kind == RecordList::Today ? 1000 : 20000;
}

int daysBack(int listPeriod, QDate today)
{
    // Weekdays counted from Sunday = 1 to Saturday = 7.
    const int weekday = today.dayOfWeek() % 7 + 1;
    switch (listPeriod) {
    case 1:
        return weekday == 1 ? 7 : weekday - 1;
    case 2:
        return weekday == 1 ? 14 : weekday - 1 + 7;
    case 3:
        return 30;
    case 4:
        return 365;
    default:
        return 3650;
    }
}

QString shortDate(QDate date)
{
    return u"%1/%2/%3"_s.arg(date.year(), 4, 10, QChar(u'0'))
        .arg(date.month(), 2, 10, QChar(u'0'))
        .arg(date.day(), 2, 10, QChar(u'0'));
}

QString shortTime(QTime time)
{
    return u"%1:%2:%3"_s.arg(time.hour())
        .arg(time.minute(), 2, 10, QChar(u'0'))
        .arg(time.second(), 2, 10, QChar(u'0'));
}

Tint tintFor(qint32 time, const CriteriaRow &criteria)
{
    if (time <= criteria.targetTime) return Tint::Green;
    if (time <= criteria.minTime) return Tint::PaleGreen;
    return Tint::Silver;
}

namespace {
constexpr qint32 failureTime = 90000;
const QString failureStart = u"　　× "_s;

QString time5(qint32 t)
{
    return (QString(6, u' ') + QString::number(t) + u"秒"_s).right(5);
}
QString points5(int points)
{
    return (QString(6, u' ') + QString::number(points)).right(5);
}
QString listName(const QString &name)
{
    return (trimBlanks(name) + QString(4, QChar(0x3000))).left(5);
}
} // namespace

LevelLists buildRecordLists(const ResultWindow &window, const Roster &roster, const CriteriaTable &criteria,
                            const RecordListOptions &options)
{
    const int n = std::clamp(options.levelCount, 0, maxLevel);
    LevelLists out;
    out.lines.resize(size_t(n) + 1);
    out.tintTime.resize(size_t(n) + 1);
    const QDate today = options.now.date();
    const int days = options.kind == RecordList::Personal ? 3650 : daysBack(options.listPeriod, today);
    const double oleToday = ole::fromDate(today);

    for (qint64 k = 0; k < window.count(); ++k) {
        const RecordView rec(window.recordData(k));
        const int level = rec.level(), pupil = rec.pupil();
        if (!rec.isDrill() || level > n || !rec.hasDate() || !rec.hasTimeOfDay()) continue;
        const std::optional<QDate> date = ole::toDate(rec.date());
        const std::optional<QTime> time = ole::toTimeOfDay(rec.timeOfDay());
        if (options.kind == RecordList::Today ? *date != today : rec.date() <= oleToday - days) continue;
        if (options.kind == RecordList::Personal && pupil != options.currentPupil) continue;
        const int grade = roster.gradeOf(pupil);
        if (!gradeMatches(options.gradeFilter, grade)) continue;

        const qint32 t = rec.resultTime();
        const bool failure = t >= failureTime;
        const int points = drillBasePoints(t, criteria[level].targetTime);
        const QString mark = pupil == options.currentPupil ? u"●"_s : gradeMark(grade);
        const QString who = mark + listName(roster.pupilNames[size_t(pupil)]) + mark;
        const QString clock5 = (u"00"_s + shortTime(*time)).right(8).left(5);
        const QString day5 = shortDate(*date).right(5);
        QString line;
        switch (options.kind) {
        case RecordList::Today:
            line = failure ? failureStart + clock5 + who
                           : time5(t) + u' ' + clock5 + who + QString::number(points);
            break;
        case RecordList::Period:
            if (options.view == RankView::Points)
                line = points5(points) + u' ' + day5 + who + QString::number(t) + u"秒"_s;
            else
                line = failure ? failureStart + day5 + who
                               : time5(t) + u' ' + day5 + who + QString::number(points);
            break;
        case RecordList::Personal:
            line = shortDate(*date).right(10) + u' ' + shortTime(*time).right(10);
            if (!failure) line += time5(t);
            break;
        }
        out.lines[size_t(level)].append(line);
        if (!failure) out.tintTime[size_t(level)] = t;
    }
    return out;
}

} // namespace kemoro::hub
