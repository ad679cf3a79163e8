#pragma once

#include "platform/diagnostic.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

namespace kemoro {

inline constexpr int levelSlots = 36; // level index 0..35; slot 0 is never played
inline constexpr int maxLevel = 35;
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
// row is a warning and the rows read so far stay.
void loadCriteria(const QString &path, CriteriaTable &table, Diagnostics &diagnostics);

// The editor's grid: row 0 the header, rows 1..N the levels; each row has
// 13 cells, cell 0 the level number and cells 1..12 the fields as text.
using CriteriaGrid = QList<QStringList>;

// Reads the file into the editor's grid: the first 12 fields (the header line)
// are dropped and the header row comes from the titles.
CriteriaGrid readCriteriaGrid(const QString &path, Diagnostics &diagnostics);

// SaveCriteria: writes rows 0..N of the grid, cells 1..12 unchanged, comma
// separated, CR LF, then reloads the table. A cell that holds a comma, a
// double quote or a line break, or a character CP932 lacks, refuses the save
// with a diagnostic naming row and column; the old file then stays as it was.
std::optional<Diagnostic> saveCriteria(const QString &path, const CriteriaGrid &grid, CriteriaTable &table,
                                       Diagnostics &reloadDiagnostics);

} // namespace kemoro
