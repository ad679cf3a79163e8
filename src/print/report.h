#pragma once

#include "hub/rankings.h"
#include "platform/printsurface.h"
#include "results/aggregation.h"
#include "results/resultstore.h"
#include "roster/roster.h"

#include <QDateTime>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

// The personal results report: per level a block with the pupil's drill
// times as a chart and a panel of figures beside the school's, three blocks
// to a page, drawn the same way on the screen, on a printer and into a PDF.
namespace kemoro::report {

inline constexpr qint64 firstPassRecords =
    20000; // the newest records the pupil's count and slowest time come from
inline constexpr qint32 plottedTimeLimit = 1800; // slower drills are not counted, only plotted
inline constexpr int windowDays = 3650;
inline constexpr qint32 noSchoolBest = 99999;
inline constexpr int maxBestEntries = 10000;
inline constexpr int rowCount = 10; // rows 1..9 and the average's caption half a step below row 9

// A number in a field of `width` characters: rounded half away from zero, 0
// as an empty text, blank-padded and cut to its last `width` characters.
QString numberField(double value, int width);
// A text in a field: blank-padded and cut to its last `width` characters.
QString textField(const QString &text, int width);
// The chart's top value in seconds from the slowest counted drill: the next
// ten above it, at most 1000.
int chartTop(qint32 slowest);

// The pupil's places and points of one level, from the report's rankings.
// A place of 0 is shown blank (no result, or no line for the pupil).
struct LevelRanks
{
    int timeRank = 0;
    int pointsRank = 0;
    qint64 points = 0;
    qint64 pointsSum = 0; // over the listed pupils with points above 0
    qint64 pointsPupils = 0;
};

// The ranking step of one level: both report rankings (their lines are kept
// by the hidden lists of the report window) and the pupil's values from them.
struct RankingStep
{
    LevelRanks values;
    hub::Ranking points;
    hub::Ranking time;
};
// `hubOptions` carries what the hub's rankings use: the grade box text, the
// marked pupil, whether the level is in use and the points period.
RankingStep rankingStep(const hub::RankedPupils &group, const ResultTables &tables, int level, int pupil,
                        hub::RankingOptions hubOptions);

// The pupil list of the report window: grade label + " /  " + name + "/" +
// number for the pupils of status 0, in the order of their CP932 bytes.
QStringList pupilLines(const Roster &roster);
// The pupil number after the last "/" of a pupil line; 0 when there is none.
int pupilOfLine(const QString &line);
// What a PDF of the reports of `pupils` (in print order) is called before its
// date: the first pupil's name, "ほかN名" after it for the others; `fallback`
// for a pupil without a name.
QString pdfTitle(const Roster &roster, const std::vector<int> &pupils, const QString &fallback);

// Where the blocks of one surface go.
struct Geometry
{
    double width = 0, height = 0; // W, H
    double f() const { return width / 2; }
    double c() const { return height / 3; }
};

struct BlockInput
{
    int pupil = 0;
    int level = 1;
    int levelCount = 1;
    bool gradeMatches = true; // the hub's grade box passes the pupil: the drills are drawn
    QDateTime now;
    double top = 0; // N
    Geometry geometry;
};

struct PlotPoint
{
    double x = 0, y = 0;
    bool best = false;
};

struct BestEntry
{
    double offset = 0; // y - N
    double x = 0, y = 0;
    QString timeText; // "35秒"
    QString date;     // 2026/12/10
};

// What the two passes over the record file give for one block.
struct BlockFigures
{
    // First pass (the newest 20000 records): the pupil's counted drills.
    qint64 count = 0; // T
    qint64 sum = 0;
    qint32 slowest = 0; // S
    int chartTop = 10;  // M
    // Second pass (the whole file).
    qint64 plotted = 0; // t at the end: the x positions are spread over it
    qint64 schoolCount = 0;
    qint64 schoolSum = 0;
    qint32 schoolBest = noSchoolBest;
    std::vector<PlotPoint> points;
    std::vector<BestEntry> bests;
    double lastX = 0;
    QString lastDate; // the newest record of the window, of any pupil and level
};

// Both passes over the records of the whole file. A record counts when its
// level lies in 1..levelCount, its pupil in 1..5000, its date and time of day
// are valid and its date is later than now minus 3650 days; a negative time
// reads as 99999.
BlockFigures blockFigures(const ResultWindow &wholeFile, const BlockInput &input);

// The texts of the figures panel, rows 1 to 9 and the caption half a step
// below row 9; a row left out is an empty text.
QStringList figureRows(const BlockFigures &figures, const LevelRanks &ranks);

struct Style
{
    bool paper = false;
    double baseFontSize = 6;
    QString fontName = QStringLiteral("ＭＳ ゴシック");
};

// The block routine: draws one level's block at input.top.
void drawBlock(PrintSurface &surface, const BlockInput &input, const BlockFigures &figures,
               const LevelRanks &ranks, const QString &pupilName, const QString &title, const Style &style);

// The report driver for one pupil.
struct Request
{
    int pupil = 0;
    QString pupilName;
    std::vector<int> levelItems; // selected items of the level list, 1-based, ascending
    int firstLevel = 1;          // the level of item 1
    int levelCount = 1;
    bool gradeMatches = true;
    QDateTime now;
    Style style;
    std::function<QString(int level)> title;
};

struct Hooks
{
    // The ranking step of a level, run before the level is checked.
    std::function<LevelRanks(int level)> rank;
    // Reads the whole record file (waiting for another computer's lock).
    std::function<std::optional<ResultFileError>(ResultWindow &)> read;
    // After each block: the window shows what was drawn and lets events run.
    std::function<void()> drawn;
};

// Blocks at 0.05, 0.35 and 0.65 x H; a fourth level starts a new page (on
// the screen the picture is cleared). Stops at the first level beyond the
// level count. Returns the read error that stopped it.
std::optional<ResultFileError> drawReport(PrintSurface &surface, const Request &request, const Hooks &hooks);

} // namespace kemoro::report
