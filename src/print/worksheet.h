#pragma once

#include "platform/diagnostic.h"

#include <QList>
#include <QString>

#include <array>

namespace kemoro {
class RandomSource;
}

namespace kemoro::print {

class PrintEngine;
struct PrintJob;

inline constexpr int worksheetLevels = 8;
inline constexpr int worksheetFieldsPerQuestion = 9;
inline constexpr int worksheetPrintedRows = 15;

// One question of "プロト.csv": its level and the three parts printed in
// table columns 2, 3 and 4 (fields 5..9 are read and not used).
struct WorksheetQuestion
{
    int level = 0;
    std::array<QString, 3> parts;
    int line = 0; // the line the question starts on
};

struct QuestionFile
{
    QList<WorksheetQuestion> questions; // every question with a level 1..8
    Diagnostics diagnostics;
    bool missing = false; // the file could not be read at all
};

// Reads the question file nine fields at a time, wherever the lines break.
// Questions whose level is not 1..8 are skipped and lines with other than
// nine fields reported, both as check diagnostics naming their line.
QuestionFile readQuestionFile(const QString &path);
QuestionFile parseQuestionFile(const QString &text, const QString &path);

// The blanking options of the print selection screen.
enum class Blanking {
    PrintAll = 1,   // すべて印刷
    OnePart = 2,    // 問題一カ所
    TwoParts = 3,   // 問題二カ所
    OneOfLast = 4,  // ことわざ部分を一つ消す
    BothOfLast = 5, // ことわざ部分を二つ消す
};

struct WorksheetChoice
{
    std::array<bool, worksheetLevels> levels{}; // levels[i]: level i + 1 is used
    bool shuffle = true;
    int option = 1; // 1..5, Blanking
};

// The question table: row 0 the header, rows 1.. the questions; column 1 the
// circled number, 2..4 the parts, 5 and 6 the parts moved out as answers.
struct Worksheet
{
    static constexpr int columnSlots = 7;
    QList<std::array<QString, columnSlots>> cells;
    int rows = 0;
    int cols = 4;
    QList<double> colLeft; // colLeft[c] for c = 1..cols + 1; [0] unused
    int loaded = 0;

    QString cell(int row, int col) const
    {
        return row >= 0 && row < cells.size() && col >= 0 && col < columnSlots ? cells[row][col] : QString();
    }
};

// RebuildWorksheet: the table afresh from the questions of the chosen levels,
// shuffled and blanked by the option with `random`. Rows past the questions
// hold only their number.
void rebuildWorksheet(Worksheet &sheet, const QList<WorksheetQuestion> &questions,
                      const WorksheetChoice &choice, RandomSource &random);
// The print job a rebuild leaves: the worksheet documents keep whichever of
// them the preview shows.
void setWorksheetJob(PrintJob &job);

// Document 2 "３列以上": the table ruled, each cell fitted to its row.
void drawQuestionTable(PrintEngine &engine, const Worksheet &sheet);
// Document 6 "百問計算": the table under a title, a date, name and time line,
// with an answer box in every cell but the answers' column.
void drawHundredSheet(PrintEngine &engine, const Worksheet &sheet);
// The sheet's date, name and time line (39 characters).
QString hundredSheetHeading();

// Test page 1 "いろいろ表示" and test page 4 "ラベルを配置".
void drawSamplePage(PrintEngine &engine);
void drawLabelPage(PrintEngine &engine);

} // namespace kemoro::print
