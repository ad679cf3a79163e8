#pragma once

#include "results/aggregation.h"
#include "roster/roster.h"

#include <QDateTime>
#include <QStringList>

#include <optional>

namespace kemoro {

struct Session;

// Which two figures each line of the name list shows (the ranking options of
// the name selection screen).
enum class RankingKind {
    Counts = 0, // "回数(今日／今まで）": today's count / count so far
    Points = 1, // "ポイント（今日／今まで）": today's points / points so far
    Today = 2,  // "本日（ポイント／回数）": today's points / today's count
    SoFar = 3,  // "今まで（ポイント／回数）": points so far / count so far
};
inline constexpr int rankingKinds = 4;

// The first line of the name list; choosing it chooses nobody.
QString dashLine();

// A pupil's figures over levels 1..35.
struct PupilFigures
{
    qint64 todayCount = 0;
    qint64 todayPoints = 0;
    qint64 totalCount = 0;
    qint64 totalPoints = 0;
};
PupilFigures pupilFigures(const ResultTables &tables, int pupil);

// The fixed-width pieces of a line. Each keeps its width on the fixed-pitch
// font (a full-width character is two half widths) when the figure is 0, and
// keeps only its last characters when the figure is too wide.
QString todayCountText(qint64 count);   // 3 characters + "回", or five blanks
QString todayPointsText(qint64 points); // 4 characters, or "  　"
QString totalCountText(qint64 count);   // 5 characters + "回", or "     　"
QString totalPointsText(qint64 points); // 7 characters, or seven blanks

// One pupil's line. `text` is what the visible list shows: list label, a
// blank, the trimmed name, full-width padding, left figure, "/", right figure.
// The birth year and the pupil number travel beside it instead of being read
// back out of the text, so a name holding "*" or a year of other than four
// digits cannot change whose line it is.
struct NameLine
{
    QString text;
    qint16 birthYear = 0;
    qint16 pupilNo = 0;

    // The hidden sorted list's line: birth year, text, "*", pupil number.
    QString sortedLine() const;
};
NameLine nameLine(const RosterEntry &entry, int schoolYear, const PupilFigures &figures, RankingKind kind);

// The lists of the name selection screen: list1 is the visible list (dash line
// first), list3[i] is list1[i + 1] followed by "*" and the pupil number, and
// pupils[i] that pupil number.
struct NameList
{
    QStringList list1;
    QStringList list3;
    QList<qint16> pupils;
};

// Lines of the listed pupils, youngest school year of birth first (the lines
// sorted by the ordinal order of their Shift-JIS bytes, read from the last),
// passed through the grade filter.
NameList buildNameList(const Roster &roster, const ResultTables &tables, RankingKind kind,
                       const QString &gradeFilter);

// 名簿表示 as a whole: the school year, a fresh aggregation of the result
// file, the roster load and the lines. `wait` is called while another
// computer locks the result file. When the results cannot be read or the
// roster is missing, the lists hold the dash line only and the reason is in
// `resultError` or `diagnostics` (a fatal one for the roster).
struct NameListRun
{
    NameList list;
    Diagnostics diagnostics;
    std::optional<ResultFileError> resultError;

    bool failed() const { return resultError.has_value() || hasFatal(diagnostics); }
};
NameListRun runNameList(Session &session, ResultStore &results, const QDateTime &now,
                        const WaitFunction &wait, RankingKind kind, const QString &gradeFilter);

} // namespace kemoro
