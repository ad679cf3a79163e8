#pragma once

#include <QList>
#include <QString>

namespace kemoro {

// A problem found in a data file. Loaders return these instead of failing
// silently; start-up shows the fatal and warning ones, `kemoro-data check`
// prints all of them as "FILE:LOCATION: text".
struct Diagnostic
{
    enum class Severity {
        Fatal,   // the program cannot go on with this file
        Warning, // shown to the user, the program goes on with what was read
        Check,   // a value was counted as 0 or skipped; only `check` reports it
    };

    Severity severity = Severity::Fatal;
    QString filePath; // full path; `fileName()` gives the bare name
    QString location; // "line N", "record N" or "file"
    QString text;

    QString fileName() const;
    // "FILE:LOCATION: text" with the bare file name.
    QString toLine() const;
    // The same with the whole path, for standard error.
    QString toPathLine() const;
    // The text for a message box: names the whole path.
    QString toMessage() const;

    static QString lineLocation(int line) { return QStringLiteral("line %1").arg(line); }
    static QString recordLocation(qint64 record) { return QStringLiteral("record %1").arg(record); }
    static QString fileLocation() { return QStringLiteral("file"); }
};

using Diagnostics = QList<Diagnostic>;

bool hasFatal(const Diagnostics &diagnostics);

// A field of a file in double quotes for a message, cut after 40 characters:
// one runaway line must not make a message box of megabytes.
QString quotedField(const QString &text);

// Order used by `check`: by bare file name, then by location (line and record
// numbers compared as numbers, "file" first).
void sortForReport(Diagnostics &diagnostics);

} // namespace kemoro
