#include "results/recordlines.h"

#include "platform/cp932.h"
#include "platform/fieldreader.h"
#include "platform/oledate.h"
#include "platform/text.h"
#include "platform/textfile.h"
#include "roster/grades.h"

#include <QtEndian>

#include <cstring>

using namespace Qt::StringLiterals;

namespace kemoro {

namespace {
constexpr int lastPupil = 5000;
constexpr int lastLevel = 35;
constexpr int pupilFields = 8;
constexpr int nameLength = 20;

bool inTables(int pupil) { return pupil >= 0 && pupil <= lastPupil; }
} // namespace

QString RecordPupils::name(int pupil) const { return inTables(pupil) ? names[size_t(pupil)] : QString(); }
QString RecordPupils::gradeLabel(int pupil) const
{
    return inTables(pupil) ? gradeLabels[size_t(pupil)] : QString();
}

RecordPupils readRecordPupils(const QString &rosterText, int schoolYear)
{
    RecordPupils pupils;
    FieldReader reader(rosterText);
    QStringList f;
    while (!reader.atEnd() && !reader.onlyBlankLinesLeft()) {
        f.clear();
        while (f.size() < pupilFields && !reader.atEnd())
            f.append(reader.next().text);
        if (f.size() < pupilFields)
            break;
        const IntegerField number = readInteger(f.at(0), 0, lastPupil);
        if (number.status == NumberStatus::OutOfRange)
            continue;
        const int n = int(number.value);
        const QString name = trimBlanks(QStringView(f.at(4)).left(nameLength));
        pupils.names[size_t(n)] = name;
        const int birthYear = int(readInt16(f.at(1)).value);
        if (const std::optional<QString> label = storedGradeLabel(gradeNumber(schoolYear, birthYear)))
            pupils.gradeLabels[size_t(n)] = *label;
        pupils.entries.append(pupilEntry(n, name));
        pupils.entryNumbers.append(n);
    }
    return pupils;
}

RecordPupils loadRecordPupils(const QString &path, int schoolYear, Diagnostics &diagnostics)
{
    Diagnostics read;
    const std::optional<QString> text = readTextFile(path, read);
    for (Diagnostic d : std::as_const(read)) {
        // Without a roster the records are still listed, only without names.
        if (d.severity == Diagnostic::Severity::Fatal)
            d.severity = Diagnostic::Severity::Warning;
        diagnostics.append(d);
    }
    return text ? readRecordPupils(*text, schoolYear) : RecordPupils();
}

QString pupilEntry(int number, const QString &name)
{
    return QString::number(number) + u" /  "_s + name;
}

QString recordDateText(double day)
{
    const std::optional<QDate> date = ole::toDate(day);
    if (!date)
        return u"?\?\?\?/\?\?/\?\?"_s;
    return u"%1/%2/%3"_s.arg(date->year(), 4, 10, QChar(u'0'))
        .arg(date->month(), 2, 10, QChar(u'0'))
        .arg(date->day(), 2, 10, QChar(u'0'));
}

QString recordTimeText(double fraction)
{
    const std::optional<QTime> time = ole::toTimeOfDay(fraction);
    if (!time)
        return u" ??:??:??"_s;
    const QString text = u"%1:%2:%3"_s.arg(time->hour())
                             .arg(time->minute(), 2, 10, QChar(u'0'))
                             .arg(time->second(), 2, 10, QChar(u'0'));
    return (u"  "_s + text).right(9);
}

QString recordLine(qint64 number, const ResultRecord &rec, const RecordLineContext &context)
{
    const bool known = inTables(rec.pupil) && rec.level >= 0 && rec.level <= lastLevel;
    const QString name = known && context.pupils ? context.pupils->name(rec.pupil) : QString();
    const QString grade = known && context.pupils ? context.pupils->gradeLabel(rec.pupil) : QString();
    const QString code = cp932::decode(rec.schoolCode).text;
    QString line;
    line.reserve(64);
    line += rightAligned(QString::number(number), context.numberWidth);
    line += u' ';
    line += recordDateText(rec.date);
    line += u'　';
    line += recordTimeText(rec.timeOfDay);
    line += u"ﾚﾍﾞﾙ"_s;
    line += QString::number(rec.level);
    line += u'　';
    line += rightAligned(QString::number(rec.resultTime), 5);
    line += u"秒 "_s;
    line += u'　';
    line += rightAligned(QString::number(rec.pupil), 4);
    line += u' ';
    line += leftCut(name + u"　　　　　"_s, 6);
    line += u' ';
    line += grade;
    line += u"++"_s;
    line += code == context.schoolCode ? context.schoolName : u"他塾"_s;
    return line;
}

int numberWidthFor(qint64 totalRecords)
{
    return std::max<int>(4, int(QString::number(totalRecords).size()));
}

RecordLines buildRecordLines(const ResultWindow &window, const RecordLineContext &context)
{
    RecordLines result;
    result.lines.reserve(window.count());
    result.numbers.reserve(window.count());
    RecordLineContext c = context;
    c.numberWidth = std::max(context.numberWidth, numberWidthFor(window.firstRecord + window.count()));
    for (qint64 i = 0; i < window.count(); ++i) {
        const char *data = window.recordData(i);
        qint16 level = 0;
        std::memcpy(&level, data + record::levelOffset, sizeof level);
        if (qFromLittleEndian(level) == 0)
            continue;
        const qint64 number = window.firstRecord + i + 1;
        result.lines.append(recordLine(number, decodeRecord(data), c));
        result.numbers.append(number);
    }
    return result;
}

std::optional<qint32> readResultTimeBox(QStringView text)
{
    const IntegerField f = readInteger(text, 0, 99999);
    if (f.status != NumberStatus::Ok)
        return std::nullopt;
    return qint32(f.value);
}

std::optional<qint16> readPupilBox(QStringView text)
{
    const qsizetype slash = text.indexOf(u'/');
    if (slash < 0)
        return std::nullopt;
    const IntegerField f = readInteger(text.left(slash), 0, lastPupil);
    if (f.status != NumberStatus::Ok)
        return std::nullopt;
    return qint16(f.value);
}

} // namespace kemoro
