#include "print/worksheet.h"

#include "platform/clock.h"
#include "platform/fieldreader.h"
#include "platform/textfile.h"
#include "print/printengine.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace kemoro::print {

namespace {
const QString circledNumbers = u"①②③④⑤⑥⑦⑧⑨⑩⑪⑫⑬⑭⑮⑯⑰⑱⑲⑳"_s;

Diagnostic checkAt(const QString &path, int line, const QString &text)
{
    return Diagnostic{Diagnostic::Severity::Check, path, Diagnostic::lineLocation(line), text};
}

int levelOf(const QString &field)
{
    bool ok = false;
    const double value = field.trimmed().toDouble(&ok);
    return ok && std::isfinite(value) && std::abs(value) < 1e6 ? int(std::lround(value)) : 0;
}

QList<double> columnEdges(int option)
{
    // Element 0 is unused so that column c starts at colLeft[c].
    switch (option) {
    case 2:
    case 4:
        return {0, 0, 0.05, 0.4, 0.6, 0.8, 1};
    case 3:
    case 5:
        return {0, 0, 0.05, 0.4, 0.6, 0.8, 0.9, 1};
    default:
        return {0, 0, 0.05, 0.6, 0.8, 1};
    }
}

// Moves a part out to an answer column, leaving its place empty.
void moveOut(std::array<QString, Worksheet::columnSlots> &row, int from, int to)
{
    row[to] = row[from];
    row[from].clear();
}

// The table's rules and cells, from `firstRow`; the hundred-problem sheet
// adds an answer box after each cell but those of the answers' column.
void drawTable(PrintEngine &engine, const Worksheet &sheet, int firstRow, bool answerBoxes)
{
    engine.baseFontSize = 50;
    engine.cellWidth = 0.32;
    engine.autoFit = true;
    const int rows = std::max(1, sheet.rows);
    engine.rowPitch = 0.9 / rows;
    engine.tableTop = 0.1;
    const auto left = [&](int col) { return sheet.colLeft.value(col, 1.0); };
    for (int row = firstRow; row <= sheet.rows; ++row) {
        for (int col = 1; col <= sheet.cols; ++col) {
            engine.cellLeft = left(col) + 0.01;
            engine.cellWidth = 0.95 * (left(col + 1) - left(col));
            engine.rowTop = 10000 * (row - 1) * engine.rowPitch + 10000 * engine.tableTop;
            engine.cellText(sheet.cell(row, col));
            if (answerBoxes && col != 5)
                engine.box(std::round(10000 * left(col) + 1280), engine.rowTop - 80,
                           std::round(10000 * left(col) + 2050), engine.rowTop + 250, 1, 0);
        }
        engine.line(0, engine.rowTop - 100, 10000, engine.rowTop - 100, 1, 0);
    }
    const double bottom = 10000 * sheet.rows * engine.rowPitch + 10000 * engine.tableTop - 100;
    engine.line(0, bottom, 10000, bottom, 1, 0);
    const double top = 10000 * (engine.tableTop - engine.rowPitch) - 100;
    for (int col = 1; col <= sheet.cols + 1; ++col) {
        const double x = std::round(10000 * left(col));
        engine.line(x, top, x, bottom, 1, 0);
    }
}
} // namespace

QuestionFile parseQuestionFile(const QString &text, const QString &path)
{
    QuestionFile file;
    FieldReader reader(text);
    QStringList group;
    int groupLine = 0;
    int lineFields = 0;
    int lineStart = 0;
    auto finishGroup = [&] {
        WorksheetQuestion q;
        q.level = levelOf(group.value(0));
        for (int i = 0; i < 3; ++i)
            q.parts[i] = group.value(i + 1);
        q.line = groupLine;
        if (q.level >= 1 && q.level <= worksheetLevels)
            file.questions.append(q);
        else
            file.diagnostics.append(
                checkAt(path, groupLine,
                        u"level \"%1\" is outside 1..8 (the question is not used)"_s.arg(group.value(0))));
        group.clear();
    };
    // A line's last field may be empty: only blank lines after a finished line end the file.
    while (!reader.atEnd() && (lineFields > 0 || !reader.onlyBlankLinesLeft())) {
        const FieldReader::Field field = reader.next();
        if (lineFields == 0) lineStart = field.line;
        ++lineFields;
        if (group.isEmpty()) groupLine = field.line;
        group.append(field.text);
        if (group.size() == worksheetFieldsPerQuestion) finishGroup();
        if (field.lastOnLine) {
            if (lineFields != worksheetFieldsPerQuestion)
                file.diagnostics.append(
                    checkAt(path, lineStart,
                            u"%1 fields, 9 expected (the questions after it are read shifted)"_s.arg(
                                field.emptyLine ? 0 : lineFields)));
            lineFields = 0;
        }
    }
    // A last question cut short is kept with what it has.
    if (!group.isEmpty()) finishGroup();
    return file;
}

QuestionFile readQuestionFile(const QString &path)
{
    QuestionFile file;
    const std::optional<QString> text = readTextFile(path, file.diagnostics);
    if (!text) {
        file.missing = true;
        return file;
    }
    QuestionFile parsed = parseQuestionFile(*text, path);
    parsed.diagnostics = file.diagnostics + parsed.diagnostics;
    return parsed;
}

void rebuildWorksheet(Worksheet &sheet, const QList<WorksheetQuestion> &questions,
                      const WorksheetChoice &choice, RandomSource &random)
{
    QList<const WorksheetQuestion *> kept;
    for (const WorksheetQuestion &q : questions)
        if (q.level >= 1 && q.level <= worksheetLevels && choice.levels[size_t(q.level - 1)]) kept.append(&q);
    const int n = int(kept.size());

    sheet.cells = QList<std::array<QString, Worksheet::columnSlots>>(std::max(n, worksheetPrintedRows) + 1);
    for (int i = 1; i <= n; ++i)
        for (int part = 0; part < 3; ++part)
            sheet.cells[i][size_t(part + 2)] = kept[i - 1]->parts[size_t(part)];
    sheet.loaded = n;

    if (choice.shuffle) {
        for (int k = 0; k < 2 * n; ++k) {
            const int r1 = random.pick(n, 1);
            const int r2 = random.pick(n, 1);
            for (int col = 2; col <= 4; ++col)
                std::swap(sheet.cells[r1][size_t(col)], sheet.cells[r2][size_t(col)]);
        }
    }

    for (int i = 1; i <= n; ++i) {
        auto &row = sheet.cells[i];
        switch (choice.option) {
        case 2:
            moveOut(row, random.pick(3, 2), 5);
            break;
        case 3: {
            const int keep = random.pick(3, 2);
            int to = 5;
            for (int col = 2; col <= 4; ++col)
                if (col != keep) moveOut(row, col, to++);
            break;
        }
        case 4:
            moveOut(row, random.pick(2, 3), 5);
            break;
        case 5:
            moveOut(row, 3, 5);
            moveOut(row, 4, 6);
            break;
        default:
            break;
        }
    }

    sheet.colLeft = columnEdges(choice.option);
    sheet.cols = int(sheet.colLeft.size()) - 2;
    auto &header = sheet.cells[0];
    header[2] = u"１列目"_s;
    header[3] = u"２列目"_s;
    header[4] = u"３列目"_s;
    if (sheet.cols >= 5) header[5] = u"４列目"_s;
    sheet.rows = worksheetPrintedRows;
    for (int i = 1; i <= worksheetPrintedRows; ++i)
        sheet.cells[i][1] = circledNumbers.at(i - 1);
}

void setWorksheetJob(PrintJob &job)
{
    if (job.docType != PrintJob::HundredSheet) job.docType = PrintJob::QuestionTable;
    job.orientation = 1;
    job.extraValue = 1;
    job.coverFlag = 0;
    job.autoFlag = 0;
}

void drawQuestionTable(PrintEngine &engine, const Worksheet &sheet)
{
    engine.clearPreview();
    drawTable(engine, sheet, 0, false);
}

QString hundredSheetHeading()
{
    return u"　月　日　　名前（     　　     　）　タイム＝  　　分  　　秒 "_s;
}

void drawHundredSheet(PrintEngine &engine, const Worksheet &sheet)
{
    engine.clearPreview();
    const double answers = 10000 * sheet.colLeft.value(5, 1.0);
    engine.text(200, 100, u"百問計算"_s, 30);
    engine.text(2800, 150, hundredSheetHeading(), 12);
    engine.text(answers + 600, 150, u"　答え"_s, 15);
    engine.text(answers + 200, 400, u"　切り取るか裏に折って使いましょう"_s, 6);
    engine.line(0, 1, 10000, 1, 1, 0);
    engine.line(0, 500, 10000, 500, 1, 0);
    engine.line(0, 10000, 10000, 10000, 1, 0);
    engine.line(std::round(answers + 200), 0, std::round(answers + 200), 10000, 1, 0);
    drawTable(engine, sheet, 1, true);
}

void drawSamplePage(PrintEngine &engine)
{
    engine.marginX = 0;
    engine.marginY = 0;
    engine.clearPreview();
    constexpr double white = 0xffffff;
    engine.rectangle(0, 0, 10000, 10000, 0, white, 1, 1);
    engine.text(1000, 100, u"印刷実験"_s, 40);
    engine.picture(6500, 50, 2200);
    for (int i = 1; i < 10; ++i) {
        engine.line(1000 * i, 0, 1000 * i, 10000, 1, 0xc0c0c0);
        engine.line(0, 1000 * i, 10000, 1000 * i, 1, 0xc0c0c0);
    }
    struct Box
    {
        double left, top, width, height;
        QString text;
    };
    const Box boxes[] = {
        {0.1, 0.1, 0.8, 0.1,
         u"かけ算の九九を逆にたどると、答えから二つの数をさがす遊びになります。"
         u"ケモロでは、積を見て二つのキーをおします。"_s},
        {0.1, 0.5, 0.3, 0.1, u"毎日少しずつ続けることが、いちばんの近道です。"_s},
        {0.5, 0.5, 0.4, 0.3,
         u"印刷した問題は、答えの列を折り返してから使いましょう。"
         u"時間を計って、前の記録と比べてみるのもよい方法です。"
         u"まちがえた問題には印をつけ、次の日にもう一度ためしてみましょう。"_s},
    };
    for (const Box &b : boxes) {
        engine.rectangle(10000 * b.left, 10000 * b.top, 10000 * (b.left + b.width),
                         10000 * (b.top + b.height), 0, white, 1, 2);
        engine.baseFontSize = 30;
        engine.autoFit = true;
        engine.cellLeft = b.left + 0.01;
        engine.cellWidth = 0.95 * b.width;
        engine.rowPitch = b.height;
        engine.rowTop = 10000 * b.top + 50;
        engine.cellText(b.text);
    }
    engine.baseFontSize = 50;
}

void drawLabelPage(PrintEngine &engine)
{
    constexpr double white = 0xffffff;
    int size = 40;
    engine.label3(6000, 1000, 500, 700, 0, white, 1, 1, u"答え"_s, answerGreen, size, 1);
    size = 40;
    engine.label3(7000, 1000, 500, 4000, 0, white, 1, 1, u"縦長の箱"_s, 0, size, 1);
    size = 40;
    engine.label3(8000, 1000, 500, 1000, 0, white, 1, 1, u"ケモロ"_s, 0xff0000, size, 1);
    engine.label(1000, 2000, 0, white, 1, 1, u"ラベル"_s, 0, 20, 1);
    engine.label(1000, 4000, 0, white, 1, 2, u"３．１４"_s, 0x0000ff, 30, 1);
    engine.label(1000, 6500, 0, white, 1, 1, u"かけ算"_s, 0, 40, 0);
}

} // namespace kemoro::print
