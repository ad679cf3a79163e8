#pragma once

#include "roster/roster.h"
#include "testsupport/installation.h"

#include <QByteArray>
#include <QDate>
#include <QString>

namespace kemoro::test {

// Writes text as CP932 (use "\r\n" line ends in `text` as the files have them).
bool writeCp932(const QString &path, const QString &text);

// A roster of pupils 1..n, status 0, with the given names and grade numbers
// in school year `schoolYear`.
Roster rosterOf(const QStringList &names, const QList<int> &grades, int schoolYear = 2026);
bool writeBytes(const QString &path, const QByteArray &bytes);
// The journal a deletion of record 0 of the result file `bytes` leaves when
// its computer dies after the journal reached the disk.
QByteArray interruptedDeletion(const QByteArray &bytes);
// Every diagnostic on a line of its own, for the message of a failed
// QVERIFY2 (empty when there are none).
QString diagnosticLines(const Diagnostics &diagnostics);
// The texts of every field of a text, as the sequential reader gives them.
QStringList fieldTexts(const QString &text);
QByteArray readBytes(const QString &path);

} // namespace kemoro::test
