#include "results/recordlines.h"

#include "platform/cp932.h"
#include "platform/fieldreader.h"
#include "platform/oledate.h"
#include "platform/text.h"
#include "platform/textfile.h"
#include "results/recordview.h"
#include "roster/grades.h"

#include <QHash>
#include <QtEndian>

#include <cstring>

using namespace Qt::StringLiterals;

namespace kemoro {

namespace {
constexpr int lastPupil = 5000;
constexpr int lastLevel = 35;
constexpr int pupilFields = 8;
constexpr int nameLength = 20;

bool inTables(int pupil)
{
    return pupil >= 0 && pupil <= lastPupil;
}
} // namespace

QString RecordPupils::name(int pupil) const
{
    return inTables(pupil) ? names[size_t(pupil)] : QString();
}
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
        if (f.size() < pupilFields) break;
        const IntegerField number = readInteger(f.at(0), 0, lastPupil);
        if (number.status == NumberStatus::OutOfRange) continue;
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
        if (d.severity == Diagnostic::Severity::Fatal) d.severity = Diagnostic::Severity::Warning;
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
    if (!date) return u"?\?\?\?/\?\?/\?\?"_s;
    return u"%1/%2/%3"_s.arg(date->year(), 4, 10, QChar(u'0'))
        .arg(date->month(), 2, 10, QChar(u'0'))
        .arg(date->day(), 2, 10, QChar(u'0'));
}

QString recordTimeText(double fraction)
{
    const std::optional<QTime> time = ole::toTimeOfDay(fraction);
    if (!time) return u" ??:??:??"_s;
    const QString text = u"%1:%2:%3"_s.arg(time->hour())
                             .arg(time->minute(), 2, 10, QChar(u'0'))
                             .arg(time->second(), 2, 10, QChar(u'0'));
    return (u"  "_s + text).right(9);
}

int numberWidthFor(qint64 totalRecords)
{
    return std::max<int>(4, int(QString::number(totalRecords).size()));
}

namespace {
// The pieces that repeat from line to line are made once per listing: a
// school's 200,000 records fall on about a thousand days and 5000 pupils.
class LineMaker
{
public:
    explicit LineMaker(const RecordLineContext &context)
        : m_context(context), m_ownCode(cp932::encode(context.schoolCode).value_or(QByteArray()))
    {
    }

    QString line(qint64 number, const char *data)
    {
        const RecordView rec(data);
        const qint16 pupil = rec.pupil();
        const qint16 level = rec.level();
        const double day = rec.date();
        const double fraction = rec.timeOfDay();
        QString line;
        line.reserve(72);
        appendRight(line, number, m_context.numberWidth);
        line += u' ';
        line += dateText(day);
        line += u'　';
        appendTime(line, fraction);
        line += u"ﾚﾍﾞﾙ"_s;
        appendRight(line, level, 0);
        line += u'　';
        // The stored number as it is, for the teacher who corrects it.
        appendRight(line, rec.storedTime(), 5);
        line += u"秒 　"_s;
        appendRight(line, pupil, 4);
        line += u' ';
        line += pupilPiece(pupil, level);
        line += u"++"_s;
        const bool own =
            m_ownCode.size() == record::textSize &&
            std::memcmp(data + record::schoolCodeOffset, m_ownCode.constData(), record::textSize) == 0;
        line += own ? m_context.schoolName : u"他塾"_s;
        return line;
    }

private:
    // Right$(blanks & value, width) without temporaries; width 0: no padding.
    static void appendRight(QString &line, qint64 value, int width)
    {
        char16_t digits[24];
        int n = 0;
        const bool negative = value < 0;
        quint64 v = negative ? quint64(-(value + 1)) + 1 : quint64(value);
        do {
            digits[n++] = char16_t(u'0' + v % 10);
            v /= 10;
        } while (v);
        if (negative) digits[n++] = u'-';
        const int shown = width > 0 ? std::min(n, width) : n;
        for (int i = shown; i < width; ++i)
            line += u' ';
        for (int i = shown - 1; i >= 0; --i)
            line += QChar(digits[i]);
    }
    static void appendTime(QString &line, double fraction)
    {
        if (!(fraction >= 0 && fraction < 1)) {
            line += recordTimeText(fraction);
            return;
        }
        const int seconds = ole::secondsOfFraction(fraction) % 86400;
        const int h = seconds / 3600, m = seconds / 60 % 60, sec = seconds % 60;
        line += u' ';
        if (h < 10) line += u' ';
        appendRight(line, h, 0);
        line += u':';
        appendRight(line, m / 10, 0);
        appendRight(line, m % 10, 0);
        line += u':';
        appendRight(line, sec / 10, 0);
        appendRight(line, sec % 10, 0);
    }
    const QString &dateText(double day)
    {
        auto it = m_dates.find(day);
        if (it == m_dates.end()) it = m_dates.insert(day, recordDateText(day));
        return *it;
    }
    // Name, blank and grade: " " between them, as one piece per pupil.
    const QString &pupilPiece(qint16 pupil, qint16 level)
    {
        static const QString blank = u"　　　　　 "_s;
        if (!inTables(pupil) || level < 0 || level > lastLevel || !m_context.pupils) return blank;
        auto it = m_pupils.find(pupil);
        if (it == m_pupils.end())
            it = m_pupils.insert(pupil, leftCut(m_context.pupils->name(pupil) + u"　　　　　"_s, 6) + u' ' +
                                            m_context.pupils->gradeLabel(pupil));
        return *it;
    }

    const RecordLineContext &m_context;
    QByteArray m_ownCode;
    QHash<double, QString> m_dates;
    QHash<qint16, QString> m_pupils;
};
} // namespace

QString recordLine(qint64 number, const ResultRecord &rec, const RecordLineContext &context)
{
    const QByteArray bytes = encodeRecord(rec);
    return LineMaker(context).line(number, bytes.constData());
}

RecordLines buildRecordLines(const ResultWindow &window, const RecordLineContext &context)
{
    RecordLines result;
    result.lines.reserve(window.count());
    result.numbers.reserve(window.count());
    RecordLineContext c = context;
    c.numberWidth = std::max(context.numberWidth, numberWidthFor(window.firstRecord + window.count()));
    LineMaker maker(c);
    for (qint64 i = 0; i < window.count(); ++i) {
        const char *data = window.recordData(i);
        if (RecordView(data).level() == 0) continue;
        const qint64 number = window.firstRecord + i + 1;
        result.lines.append(maker.line(number, data));
        result.numbers.append(number);
    }
    return result;
}

std::optional<qint32> readResultTimeBox(QStringView text)
{
    const IntegerField f = readInteger(text, 0, 99999);
    if (f.status != NumberStatus::Ok) return std::nullopt;
    return qint32(f.value);
}

std::optional<qint16> readPupilBox(QStringView text)
{
    const qsizetype slash = text.indexOf(u'/');
    if (slash < 0) return std::nullopt;
    const IntegerField f = readInteger(text.left(slash), 0, lastPupil);
    if (f.status != NumberStatus::Ok) return std::nullopt;
    return qint16(f.value);
}

} // namespace kemoro
