#include "roster/roster.h"

#include "platform/fieldreader.h"
#include "platform/text.h"
#include "platform/textfile.h"
#include "roster/grades.h"

#include <QSet>

#include <limits>

using namespace Qt::StringLiterals;

namespace kemoro {

QString RosterEntry::trimmedName() const
{
    return trimBlanks(name);
}

int Roster::gradeOf(int pupil) const
{
    return gradeNumber(schoolYear, pupilBirthYears.at(size_t(pupil)));
}

bool isListed(qint16 status, int commonSetting3)
{
    return status == 0 || (status == 2 && commonSetting3 == 1);
}

namespace {

bool isFourDigits(const QString &text)
{
    if (text.size() != 4) return false;
    for (QChar c : text)
        if (c < u'0' || c > u'9') return false;
    return true;
}

class RosterReader
{
public:
    RosterReader(const QString &path, Diagnostics &diagnostics) : m_path(path), m_diagnostics(diagnostics) {}

    void check(int line, const QString &text)
    {
        m_diagnostics.append({Diagnostic::Severity::Check, m_path, Diagnostic::lineLocation(line), text});
    }

    // A number field of the roster; text where a number is needed reads as 0.
    qint16 number(const FieldReader::Field &f, const char16_t *what, bool report)
    {
        const IntegerField value = readInt16(f.text);
        if (report && (value.status == NumberStatus::NotANumber || value.status == NumberStatus::OutOfRange))
            check(f.line,
                  u"%1 %2 %3"_s.arg(QString::fromUtf16(what), quotedField(f.text), describe(value.status)));
        return qint16(value.value);
    }

    // Counts the fields of each physical line as they go by: a line that does
    // not hold exactly 8 shifts every later pupil's fields.
    void countField(const FieldReader::Field &f)
    {
        ++m_onLine;
        if (!f.lastOnLine) return;
        if (m_onLine != rosterFields)
            check(f.line, f.emptyLine
                              ? u"empty line: a pupil needs 8 fields, the following pupils shift"_s
                              : u"%1 fields on this line: a pupil needs 8, the following pupils shift"_s.arg(
                                    m_onLine));
        m_onLine = 0;
    }

private:
    QString m_path;
    Diagnostics &m_diagnostics;
    int m_onLine = 0;
};

} // namespace

void readRoster(const QString &text, const QString &path, int commonSetting3, Roster &roster,
                Diagnostics &diagnostics)
{
    RosterReader rr(path, diagnostics);
    FieldReader reader(text);
    roster.entries.clear();
    QSet<int> seen;
    QList<FieldReader::Field> f;
    f.reserve(rosterFields);
    while (!reader.atEnd() && !reader.onlyBlankLinesLeft()) {
        f.resize(0);
        // A comma just before the end of the file still opens one more
        // (empty) field.
        while (f.size() < rosterFields && (!reader.atEnd() || (!f.isEmpty() && !f.last().lastOnLine))) {
            f.append(reader.next());
            rr.countField(f.last());
        }
        const int line = f.first().line;
        if (f.size() < rosterFields) {
            rr.check(line, u"the last pupil has only %1 of 8 fields; skipped"_s.arg(f.size()));
            break;
        }

        // The number is read wide so that a number past the tables can be
        // told from a 0 and skipped instead of indexing past them.
        const IntegerField no =
            readInteger(f.at(0).text, std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max());
        if (no.status == NumberStatus::NotANumber)
            rr.check(line, u"pupil number %1 is not a number; counts as 0"_s.arg(quotedField(f.at(0).text)));
        if (no.status == NumberStatus::OutOfRange || no.value < 0 || no.value > maxPupil) {
            rr.check(line, u"pupil number %1 is outside 1..5000; line skipped"_s.arg(f.at(0).text.left(20)));
            continue;
        }
        RosterEntry e;
        e.line = line;
        e.pupilNo = qint16(no.value);
        e.birthYear = rr.number(f.at(1), u"birth year", false);
        if (!isFourDigits(f.at(1).text))
            rr.check(f.at(1).line,
                     u"birth year %1 is not four digits; counts as %2"_s.arg(quotedField(f.at(1).text))
                         .arg(e.birthYear));
        e.spare1 = rr.number(f.at(2), u"spare", false);
        e.spare2 = rr.number(f.at(3), u"spare", false);
        e.name = f.at(4).text.leftJustified(rosterTextLength, u' ', true);
        e.status = rr.number(f.at(5), u"status", true);
        e.spare3 = f.at(6).text.leftJustified(rosterTextLength, u' ', true);
        e.spare4 = f.at(7).text.leftJustified(rosterTextLength, u' ', true);

        const int n = e.pupilNo;
        const QString name = e.trimmedName();
        if (seen.contains(n))
            rr.check(line, u"pupil number %1 is used twice; this line's name %2 wins"_s.arg(n).arg(
                               quotedField(name)));
        seen.insert(n);
        roster.pupilNames[size_t(n)] = name;
        roster.pupilBirthYears[size_t(n)] = e.birthYear;
        if (const std::optional<QString> label =
                storedGradeLabel(gradeNumber(roster.schoolYear, e.birthYear)))
            roster.pupilGradeLabels[size_t(n)] = *label;

        if (!isListed(e.status, commonSetting3)) continue;
        if (roster.entries.size() >= maxListedPupils) {
            rr.check(line, u"more than 5000 listed pupils; pupil %1 is not listed"_s.arg(n));
            continue;
        }
        if (n == 0) rr.check(line, u"pupil number 0 is listed, but drills of pupil 0 are never counted"_s);
        roster.entries.append(e);
    }
    if (roster.entries.isEmpty())
        diagnostics.append(
            {Diagnostic::Severity::Warning, path, Diagnostic::fileLocation(),
             u"名簿に表示する生徒がいません (no pupil to list: no pupil of the file has a status "
             u"that lists it)"_s});
}

bool loadRoster(const QString &path, int commonSetting3, Roster &roster, Diagnostics &diagnostics)
{
    const std::optional<QString> text = readTextFile(path, diagnostics);
    if (!text) return false;
    readRoster(*text, path, commonSetting3, roster, diagnostics);
    return true;
}

Diagnostics rosterChecks(const QString &path, int commonSetting3, int schoolYear)
{
    Diagnostics diagnostics;
    Roster roster;
    roster.schoolYear = schoolYear;
    loadRoster(path, commonSetting3, roster, diagnostics);
    return diagnostics;
}

} // namespace kemoro
