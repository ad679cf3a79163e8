#include "testsupport/fixtures.h"

#include "platform/cp932.h"
#include "platform/fieldreader.h"
#include "results/journal.h"

#include <QFile>

using namespace Qt::StringLiterals;

namespace kemoro::test {

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

bool writeCp932(const QString &path, const QString &text)
{
    const std::optional<QByteArray> bytes = cp932::encode(text);
    return bytes && writeBytes(path, *bytes);
}

QString diagnosticLines(const Diagnostics &diagnostics)
{
    QStringList lines;
    for (const Diagnostic &d : diagnostics)
        lines.append(d.toLine());
    return lines.join(u'\n');
}

QStringList fieldTexts(const QString &text)
{
    FieldReader reader(text);
    QStringList out;
    while (!reader.atEnd())
        out.append(reader.next().text);
    return out;
}

Roster rosterOf(const QStringList &names, const QList<int> &grades, int schoolYear)
{
    QString text;
    for (int i = 0; i < names.size(); ++i)
        text += u"%1,%2,0,0,%3,0,,\r\n"_s.arg(i + 1).arg(schoolYear - grades.at(i) - 6).arg(names.at(i));
    Roster roster;
    roster.schoolYear = schoolYear;
    Diagnostics diagnostics;
    readRoster(text, u"新名簿.txt"_s, 0, roster, diagnostics);
    return roster;
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray interruptedDeletion(const QByteArray &bytes)
{
    journal::Mark mark;
    mark.sequence = 1;
    mark.record = 0;
    mark.oldLength = bytes.size() - bytes.size() % journal::slot;
    const Bytes body = bytes.left(mark.oldLength).toStdString();
    return QByteArray::fromStdString(journal::header() + journal::encodeMark(mark, body) +
                                     Bytes(size_t(journal::slot), '\0') + body);
}

} // namespace kemoro::test
