#pragma once

#include "platform/diagnostic.h"
#include "state/limits.h"

#include <QList>
#include <QString>

#include <vector>

namespace kemoro {

inline constexpr int rosterFields = 8;       // fields per pupil, wherever the lines break
inline constexpr int maxListedPupils = 5000; // entries of the roster table
inline constexpr int rosterTextLength = 20;  // characters kept of each text field

// One pupil of the roster file ("新名簿.txt"), as read: the four numbers, the
// name and the two spare texts cut to 20 characters and padded with blanks,
// and the status.
struct RosterEntry
{
    qint16 pupilNo = 0;
    qint16 birthYear = 0; // the school year of birth
    qint16 spare1 = 0;
    qint16 spare2 = 0;
    QString name; // 20 characters, blank-padded
    qint16 status = 0;
    QString spare3;
    QString spare4;
    int line = 0; // line of the file on which the pupil starts

    QString trimmedName() const;
};

// The roster tables. The tables by pupil number are never cleared before a
// load, so a pupil who left the file keeps the name of the last load.
struct Roster
{
    // Listed pupils in file order (the roster table; rosterOrder is their
    // pupil numbers, rosterCount their count).
    QList<RosterEntry> entries;
    std::vector<QString> pupilNames = std::vector<QString>(pupilSlots);    // trimmed; set for every line read
    std::vector<qint16> pupilBirthYears = std::vector<qint16>(pupilSlots); // set for every line read
    std::vector<QString> pupilGradeLabels = std::vector<QString>(pupilSlots); // full-width, only grades 0..10
    int schoolYear = 0;

    int rosterCount() const { return int(entries.size()); }
    qint16 rosterOrder(int k) const { return entries.at(k).pupilNo; } // 0-based k
    // GradeNumber of a pupil from the birth year of the last load.
    int gradeOf(int pupil) const;
};

// Whether a status lists the pupil: 0 always, 2 while the school's third
// common setting is 1.
bool isListed(qint16 status, int commonSetting3);

// LoadRoster over the text of the file: reads 8 fields per pupil with the
// sequential-input rules and fills the tables. `path` only names the file in
// diagnostics. A pupil number outside 0..5000 and a listed pupil beyond the
// 5000th are skipped (they would index past the tables); everything odd is a
// Check diagnostic for `kemoro-data check`. roster.schoolYear must be set.
void readRoster(const QString &text, const QString &path, int commonSetting3, Roster &roster,
                Diagnostics &diagnostics);

// LoadRoster from the file. A missing or unreadable file gives a fatal
// diagnostic naming it and returns false; the tables are then unchanged.
bool loadRoster(const QString &path, int commonSetting3, Roster &roster, Diagnostics &diagnostics);

// What `kemoro-data check` reports about the roster file: the diagnostics of
// a load into fresh tables (a missing file, numbers outside 1..5000, a
// 5001st listed pupil, lines that do not hold 8 fields, pupil numbers used
// twice, birth years that are not four digits).
Diagnostics rosterChecks(const QString &path, int commonSetting3, int schoolYear);

} // namespace kemoro
