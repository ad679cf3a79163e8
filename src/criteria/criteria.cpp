#include "criteria/criteria.h"

#include "platform/cp932.h"
#include "platform/fieldreader.h"
#include "platform/text.h"
#include "platform/textfile.h"

using namespace Qt::StringLiterals;

namespace kemoro {

FreeValue FreeValue::fromField(const QString &text, bool quoted)
{
    FreeValue value;
    value.text = text;
    if (text.isEmpty()) return value;
    if (!quoted) {
        if (const std::optional<double> n = parseNumber(text)) {
            value.kind = Kind::Number;
            value.number = *n;
            return value;
        }
    }
    value.kind = Kind::Text;
    return value;
}

QStringList criteriaHeaderTitles()
{
    return {u"目標Time"_s, u"最低Time"_s, u"ｸﾘｱﾎﾟｲﾝﾄ"_s, u"ｸﾘｱ回数"_s, u"ﾎﾟｲﾝﾄ倍率"_s, u"禁回"_s,
            u"禁点"_s,     u"判期間"_s,   u"禁期間"_s,   QString(),    QString(),      QString()};
}

QString criteriaColumnTitle(int column)
{
    static const QStringList titles = {u"合格基準タイム"_s,        u"合格最低ラインタイム"_s,
                                       u"目標ポイント"_s,          u"目標回数"_s,
                                       u"ポイント倍率"_s,          u"やりすぎ禁止回数"_s,
                                       u"やりすぎ禁止ポイント"_s,  u"合格判定をする日数"_s,
                                       u"やりすぎ判定をする日数"_s};
    return column >= 1 && column <= titles.size() ? titles.at(column - 1) : QString();
}

bool isNumericCriteriaColumn(int column)
{
    return column >= 1 && column <= 9;
}

QString asciiNumberForm(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        const char16_t u = c.unicode();
        if (u >= 0xFF10 && u <= 0xFF19) // full-width digits
            c = QChar(u'0' + (u - 0xFF10));
        else if (u == 0xFF0B)
            c = u'+';
        else if (u == 0xFF0D || u == 0x2212) // full-width hyphen-minus, minus sign
            c = u'-';
        else if (u == 0xFF0E)
            c = u'.';
        else if (u == 0x3000)
            c = u' ';
    }
    return parseNumber(out) ? trimBlanks(out) : text;
}

namespace {

// What is wrong with a field that does not read as a number, for `check`.
QString notANumber(const QString &text, NumberStatus status)
{
    if (status == NumberStatus::NotANumber && asciiNumberForm(text) != text)
        return u"%1 is written in full-width digits, which read as 0 (type half-width digits, or save the "
               u"level again in the criteria editor)"_s.arg(quotedField(text));
    return quotedField(text) + u' ' + describe(status);
}

void reportNumber(Diagnostics &diagnostics, const QString &path, int row, int column, const FreeValue &value,
                  int line)
{
    if (row == 0 || !isNumericCriteriaColumn(column) || value.kind != FreeValue::Kind::Text) return;
    diagnostics.append(
        {Diagnostic::Severity::Check, path, Diagnostic::lineLocation(line),
         u"level %1 column %2 (%3) %4"_s.arg(row).arg(column).arg(
             criteriaHeaderTitles().at(column - 1), notANumber(value.text, NumberStatus::NotANumber))});
}

template <typename Read>
auto numberField(Diagnostics &diagnostics, const QString &path, int row, int column,
                 const FieldReader::Field &f, Read read)
{
    const auto value = read(QStringView(f.text));
    if (row > 0 && (value.status == NumberStatus::NotANumber || value.status == NumberStatus::OutOfRange))
        diagnostics.append({Diagnostic::Severity::Check, path, Diagnostic::lineLocation(f.line),
                            u"level %1 column %2 (%3) %4"_s.arg(row).arg(column).arg(
                                criteriaHeaderTitles().at(column - 1), notANumber(f.text, value.status))});
    return value.value;
}

CriteriaRow rowFromFields(const QList<FieldReader::Field> &f, int row, const QString &path, Diagnostics &d)
{
    CriteriaRow r;
    r.targetTime = qint32(numberField(d, path, row, 1, f.at(0), readInt32));
    r.minTime = qint32(numberField(d, path, row, 2, f.at(1), readInt32));
    r.clearPoints = qint32(numberField(d, path, row, 3, f.at(2), readInt32));
    r.clearCount = qint16(numberField(d, path, row, 4, f.at(3), readInt16));
    r.pointRate = float(numberField(d, path, row, 5, f.at(4), readSingle));
    FreeValue *free[] = {&r.overCount, &r.overPoints, &r.judgeDays, &r.overDays,
                         &r.spare1,    &r.spare2,     &r.spare3};
    for (int i = 0; i < 7; ++i) {
        *free[i] = FreeValue::fromField(f.at(5 + i).text, f.at(5 + i).quoted);
        reportNumber(d, path, row, 6 + i, *free[i], f.at(5 + i).line);
    }
    return r;
}

// Reads the file record by record; `take` gets each complete record of 12
// fields with its row index. What the table cannot hold goes into `kept`
// when the caller keeps it (the editor writes it back), else it is dropped.
template <typename Take>
bool readRecords(const QString &text, const QString &path, Diagnostics &diagnostics, QString *kept, Take take)
{
    FieldReader reader(text);
    const QString keptNote =
        kept ? u"; they are kept as they are and written back after the levels on saving"_s : QString();
    int row = 0;
    while (!reader.atEnd() && !reader.onlyBlankLinesLeft()) {
        const int line = reader.line();
        const qsizetype start = reader.position();
        if (row >= levelSlots) {
            diagnostics.append(
                {Diagnostic::Severity::Warning, path, Diagnostic::lineLocation(line),
                 (kept
                      ? u"36行を超えています。この行から後は表に出しませんが、保存するときはそのまま残します "
                        u"(more than 36 lines: only levels up to 35 are shown"_s
                      : u"36行を超えています。この行から後は読みません (more than 36 lines: "
                        u"only levels up to 35 are read"_s) +
                     keptNote + u')'});
            if (kept) *kept = reader.textFrom(start);
            break;
        }
        QList<FieldReader::Field> fields;
        while (fields.size() < criteriaColumns && !reader.atEnd())
            fields.append(reader.next());
        if (fields.size() < criteriaColumns) {
            diagnostics.append(
                {Diagnostic::Severity::Warning, path, Diagnostic::lineLocation(line),
                 (kept
                      ? u"最後の行の項目が足りません。この行は表に出しませんが、保存するときはそのまま残します "_s
                      : u"最後の行の項目が足りません "_s) +
                     u"(incomplete last line: %1 of 12 fields; the lines before it are used%2)"_s
                         .arg(fields.size())
                         .arg(keptNote)});
            if (kept) *kept = reader.textFrom(start);
            break;
        }
        if (fields.first().line != fields.last().line && row > 0)
            diagnostics.append(
                {Diagnostic::Severity::Check, path, Diagnostic::lineLocation(line),
                 u"level %1 does not hold 12 fields on one line; later levels shift"_s.arg(row)});
        take(row, fields);
        ++row;
    }
    if (row == 0)
        diagnostics.append({Diagnostic::Severity::Fatal, path, Diagnostic::fileLocation(),
                            u"見出しの行がありません (the header line is missing)"_s});
    return row > 0;
}

} // namespace

int loadCriteria(const QString &path, CriteriaTable &table, Diagnostics &diagnostics)
{
    const std::optional<QString> text = readTextFile(path, diagnostics);
    return text ? readCriteria(*text, path, table, diagnostics) : 0;
}

int readCriteria(const QString &text, const QString &path, CriteriaTable &table, Diagnostics &diagnostics)
{
    int rows = 0;
    readRecords(text, path, diagnostics, nullptr, [&](int row, const QList<FieldReader::Field> &fields) {
        table[row] = rowFromFields(fields, row, path, diagnostics);
        rows = row + 1;
    });
    return rows;
}

Diagnostics criteriaTimeChecks(const QString &path, const CriteriaTable &table, int rowsRead,
                               const std::array<bool, levelSlots> &timedLevels)
{
    Diagnostics out;
    for (int k = 1; k <= maxLevel; ++k) {
        if (!timedLevels[size_t(k)]) continue;
        if (k >= rowsRead) {
            out.append(
                {Diagnostic::Severity::Check, path, Diagnostic::fileLocation(),
                 u"level %1 has no line: its targetTime and minTime are 0, so every drill of the level "
                 u"times out at once"_s.arg(k)});
            continue;
        }
        auto report = [&](const QString &name, qint32 value) {
            out.append(
                {Diagnostic::Severity::Check, path, Diagnostic::lineLocation(k + 1),
                 u"level %1 %2 is %3: every drill of the level times out at once"_s.arg(k).arg(name).arg(
                     value)});
        };
        if (table[size_t(k)].targetTime <= 0) report(u"targetTime (目標Time)"_s, table[size_t(k)].targetTime);
        if (table[size_t(k)].minTime <= 0) report(u"minTime (最低Time)"_s, table[size_t(k)].minTime);
    }
    return out;
}

CriteriaGrid readCriteriaGrid(const QString &path, Diagnostics &diagnostics, QString *keptText)
{
    if (const std::optional<QString> text = readTextFile(path, diagnostics))
        return criteriaGridFromText(*text, path, diagnostics, keptText);
    return {QStringList{u"レベル"_s} + criteriaHeaderTitles()};
}

CriteriaGrid criteriaGridFromText(const QString &text, const QString &path, Diagnostics &diagnostics,
                                  QString *keptText)
{
    CriteriaGrid grid;
    grid.append(QStringList{u"レベル"_s} + criteriaHeaderTitles());
    QString kept;
    readRecords(text, path, diagnostics, &kept, [&](int row, const QList<FieldReader::Field> &fields) {
        if (row == 0) return;
        QStringList cells{QString::number(row)};
        for (const FieldReader::Field &f : fields)
            cells.append(f.text);
        grid.append(cells);
    });
    if (keptText) *keptText = kept;
    return grid;
}

std::optional<Diagnostic> prepareCriteriaGrid(const QString &path, CriteriaGrid &grid)
{
    for (qsizetype r = 1; r < grid.size(); ++r) {
        for (int c = 1; c < grid.at(r).size() && c <= criteriaColumns; ++c) {
            if (!isNumericCriteriaColumn(c)) continue;
            QString &cell = grid[r][c];
            cell = asciiNumberForm(cell);
            if (trimBlanks(cell).isEmpty() || parseNumber(cell)) continue;
            const QString title = criteriaColumnTitle(c);
            return Diagnostic{Diagnostic::Severity::Warning, path, Diagnostic::lineLocation(int(r) + 1),
                              u"レベル%1の「%2」(%3)に数字でないもの %4 があります。数字を入れてください "
                              u"(level %1, column %2: not a number; nothing was saved)"_s.arg(r)
                                  .arg(title, criteriaHeaderTitles().at(c - 1), quotedField(cell))};
        }
    }
    return std::nullopt;
}

std::optional<Diagnostic> saveCriteria(const QString &path, const CriteriaGrid &grid, CriteriaTable &table,
                                       Diagnostics &reloadDiagnostics, const QString &keptText)
{
    CriteriaGrid prepared = grid;
    if (std::optional<Diagnostic> refused = prepareCriteriaGrid(path, prepared)) return refused;
    QString text;
    for (qsizetype r = 0; r < prepared.size(); ++r) {
        QStringList fields;
        for (int c = 1; c <= criteriaColumns; ++c) {
            const QString cell = c < prepared.at(r).size() ? prepared.at(r).at(c) : QString();
            const bool unsafe =
                cell.contains(u',') || cell.contains(u'"') || cell.contains(u'\r') || cell.contains(u'\n');
            qsizetype bad = -1;
            if (unsafe || !cp932::encode(cell, &bad))
                return Diagnostic{
                    Diagnostic::Severity::Warning, path, Diagnostic::lineLocation(int(r) + 1),
                    u"%1行 %2列「%3」は保存できません (row %1 column %2 cannot be saved: %4)"_s.arg(r)
                        .arg(c)
                        .arg(cell, unsafe ? u"comma, quote or line break"_s : u"not Shift-JIS"_s)};
            fields.append(cell);
        }
        text += joinLine(fields);
    }
    if (std::optional<Diagnostic> failed = writeTextFileAtomic(path, text + keptText)) return failed;
    loadCriteria(path, table, reloadDiagnostics);
    return std::nullopt;
}

} // namespace kemoro
