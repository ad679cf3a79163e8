#pragma once

#include "platform/diagnostic.h"
#include "results/resultstore.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace kemoro {

// What the record management screen knows of the roster: every line of the
// file, hidden pupils included, in file order for the pupil box, and the
// trimmed name and stored grade label by pupil number 0..5000.
struct RecordPupils
{
    std::vector<QString> names = std::vector<QString>(5001);
    std::vector<QString> gradeLabels = std::vector<QString>(5001);
    QStringList entries;     // "number /  name", file order
    QList<int> entryNumbers; // the pupil number of each entry

    QString name(int pupil) const;       // empty outside 0..5000
    QString gradeLabel(int pupil) const; // empty outside 0..5000
};

// Reads the roster text 8 fields per pupil; lines whose number lies outside
// 0..5000 give no entry.
RecordPupils readRecordPupils(const QString &rosterText, int schoolYear);
// From the file; a missing one gives a warning naming it and no names.
RecordPupils loadRecordPupils(const QString &path, int schoolYear, Diagnostics &diagnostics);

// The pupil box entry: "12 /  山田太郎".
QString pupilEntry(int number, const QString &name);

// "2026/12/10", or "????/??/??" when the stored day is no date.
QString recordDateText(double day);
// The time of day right-aligned in 9: "  9:05:03", or " ??:??:??".
QString recordTimeText(double fraction);

struct RecordLineContext
{
    const RecordPupils *pupils = nullptr;
    QString schoolCode; // as set: compared with the stored 5 characters
    QString schoolName;
    int numberWidth = 4; // the number piece widens past 9999 records
};

// One line of List1: record number, date, time, level, seconds, pupil, name,
// grade and school, in fixed-width pieces. A pupil outside 0..5000 or a level
// outside 0..35 gets a blank name and no grade.
QString recordLine(qint64 number, const ResultRecord &rec, const RecordLineContext &context);

// The listed records of a read: every whole record whose level is not 0, in
// record order; each line carries its 1-based record number.
struct RecordLines
{
    QStringList lines;
    QList<qint64> numbers;
};
RecordLines buildRecordLines(const ResultWindow &window, const RecordLineContext &context);
int numberWidthFor(qint64 totalRecords);

// The edit panel's boxes. The seconds must read as a number that rounds
// (half to even) into 0..99999; the pupil is the text before the first "/"
// and must round into 0..5000. Nothing when the text does not qualify.
std::optional<qint32> readResultTimeBox(QStringView text);
std::optional<qint16> readPupilBox(QStringView text);

} // namespace kemoro
