#pragma once

#include "platform/diagnostic.h"
#include "state/limits.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

namespace kemoro {

inline constexpr int criteriaColumns = 12;

// A criteria column that holds whatever the file says: nothing, a number or a
// text. Where a number is needed an empty value or a text counts as 0.
struct FreeValue
{
    enum class Kind { Empty, Number, Text };
    Kind kind = Kind::Empty;
    double number = 0;
    QString text; // the field as read

    static FreeValue fromField(const QString &text, bool quoted);
    double asNumber() const { return kind == Kind::Number ? number : 0.0; }
    bool operator==(const FreeValue &) const = default;
};

struct CriteriaRow
{
    qint32 targetTime = 0;  // 目標Time: pass criterion time, seconds
    qint32 minTime = 0;     // 最低Time: minimum pass line; the time-out is 5x this
    qint32 clearPoints = 0; // ｸﾘｱﾎﾟｲﾝﾄ: points that clear the level (9999: no points goal)
    qint16 clearCount = 0;  // ｸﾘｱ回数: passes that clear the level
    float pointRate = 0;    // ﾎﾟｲﾝﾄ倍率: points multiplier, single precision as stored
    FreeValue overCount;    // 禁回: drills after which the level is barred
    FreeValue overPoints;   // 禁点: points after which the level is barred
    FreeValue judgeDays;    // 判期間: days that count toward passing
    FreeValue overDays;     // 禁期間: days that count toward over-practice
    FreeValue spare1, spare2, spare3;

    bool operator==(const CriteriaRow &) const = default;
};

// Row 0 holds the header line; row k the criteria of level k.
using CriteriaTable = std::array<CriteriaRow, levelSlots>;

// The nine column titles of the header line; columns 10 to 12 have none.
QStringList criteriaHeaderTitles();

// LoadCriteria: reads the file 12 fields at a time (wherever the lines break)
// into rows 0, 1, 2, ... Rows beyond the last one read keep what they held.
// A missing file or header is fatal; more than 36 rows or an incomplete last
// row is a warning and the rows read so far stay. Returns the number of rows
// read (the header row included).
int loadCriteria(const QString &path, CriteriaTable &table, Diagnostics &diagnostics);
// The same over the decoded text; `path` names the file in diagnostics.
int readCriteria(const QString &text, const QString &path, CriteriaTable &table, Diagnostics &diagnostics);

// The editor's title of a column (the first line of its help): "合格基準タイム"
// for column 1 … "やりすぎ判定をする日数" for column 9; empty for the others.
QString criteriaColumnTitle(int column);

// Columns 1 to 9 hold numbers; 10 to 12 are kept as they are.
bool isNumericCriteriaColumn(int column);
// The ASCII form of a number typed with the Japanese input method on:
// full-width digits, signs, points and blanks become their ASCII forms.
// Any other text is returned unchanged.
QString asciiNumberForm(const QString &text);

// What `kemoro-data check` reports about the times of the levels in use: a
// target or minimum time of 0 or below makes every drill of the level time
// out at once. `rowsRead` is what loadCriteria returned; `timedLevels`
// marks the levels in use that are timed drills (not practice).
Diagnostics criteriaTimeChecks(const QString &path, const CriteriaTable &table, int rowsRead,
                               const std::array<bool, levelSlots> &timedLevels);

// The editor's grid: row 0 the header, rows 1..N the levels; each row has
// 13 cells, cell 0 the level number and cells 1..12 the fields as text.
using CriteriaGrid = QList<QStringList>;

// Reads the file into the editor's grid: the first 12 fields (the header line)
// are dropped and the header row comes from the titles. What the grid cannot
// hold (lines past the 35th level line, an incomplete last line) goes into
// `keptText` exactly as read, to be written back after the grid's rows.
CriteriaGrid readCriteriaGrid(const QString &path, Diagnostics &diagnostics, QString *keptText = nullptr);
// The same over the decoded text; `path` names the file in diagnostics.
CriteriaGrid criteriaGridFromText(const QString &text, const QString &path, Diagnostics &diagnostics,
                                  QString *keptText = nullptr);

// Before a save: the numbers of numeric columns typed in full-width forms
// become ASCII in the grid; any other text in a numeric column refuses the
// save with a diagnostic naming the level and the column title.
std::optional<Diagnostic> prepareCriteriaGrid(const QString &path, CriteriaGrid &grid);

// SaveCriteria: writes rows 0..N of the grid (prepared as above), cells 1..12
// comma separated, CR LF, then `keptText` as it was read, then reloads the
// table. A cell that holds a comma, a double quote or a line break, or a
// character CP932 lacks, refuses the save with a diagnostic naming row and
// column; the old file then stays as it was.
std::optional<Diagnostic> saveCriteria(const QString &path, const CriteriaGrid &grid, CriteriaTable &table,
                                       Diagnostics &reloadDiagnostics, const QString &keptText = QString());

} // namespace kemoro
