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
    if (text.isEmpty())
        return value;
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
    return {u"目標Time"_s, u"最低Time"_s, u"ｸﾘｱﾎﾟｲﾝﾄ"_s, u"ｸﾘｱ回数"_s, u"ﾎﾟｲﾝﾄ倍率"_s,
            u"禁回"_s,     u"禁点"_s,     u"判期間"_s,   u"禁期間"_s, QString(),
            QString(),     QString()};
}

namespace {

void reportNumber(Diagnostics &diagnostics, const QString &path, int row, int column,
                  const FreeValue &value, int line)
{
    if (row == 0 || column > 9 || value.kind != FreeValue::Kind::Text)
        return;
    diagnostics.append({Diagnostic::Severity::Check, path, Diagnostic::lineLocation(line),
                        u"level %1 column %2 (%3) \"%4\" is not a number; counts as 0"_s.arg(row).arg(column).arg(
                            criteriaHeaderTitles().at(column - 1), value.text)});
}

template<typename Read>
auto numberField(Diagnostics &diagnostics, const QString &path, int row, int column,
                 const FieldReader::Field &f, Read read)
{
    const auto value = read(QStringView(f.text));
    if (row > 0 && (value.status == NumberStatus::NotANumber || value.status == NumberStatus::OutOfRange))
        diagnostics.append({Diagnostic::Severity::Check, path, Diagnostic::lineLocation(f.line),
                            u"level %1 column %2 (%3) \"%4\" %5"_s.arg(row).arg(column).arg(
                                criteriaHeaderTitles().at(column - 1), f.text, describe(value.status))});
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
    FreeValue *free[] = {&r.overCount, &r.overPoints, &r.judgeDays, &r.overDays, &r.spare1, &r.spare2, &r.spare3};
    for (int i = 0; i < 7; ++i) {
        *free[i] = FreeValue::fromField(f.at(5 + i).text, f.at(5 + i).quoted);
        reportNumber(d, path, row, 6 + i, *free[i], f.at(5 + i).line);
    }
    return r;
}

// Reads the file record by record; `take` gets each complete record of 12
// fields with its row index and returns false to stop.
template<typename Take>
bool readRecords(const QString &path, Diagnostics &diagnostics, Take take)
{
    const std::optional<QString> text = readTextFile(path, diagnostics);
    if (!text)
        return false;
    FieldReader reader(*text);
    int row = 0;
    while (!reader.atEnd() && !reader.onlyBlankLinesLeft()) {
        const int line = reader.line();
        if (row >= levelSlots) {
            diagnostics.append({Diagnostic::Severity::Warning, path, Diagnostic::lineLocation(line),
                                u"36行を超えています。この行から後は読みません (more than 36 lines: "
                                u"only levels up to 35 are read)"_s});
            break;
        }
        QList<FieldReader::Field> fields;
        while (fields.size() < criteriaColumns && !reader.atEnd())
            fields.append(reader.next());
        if (fields.size() < criteriaColumns) {
            diagnostics.append({Diagnostic::Severity::Warning, path, Diagnostic::lineLocation(line),
                                u"最後の行の項目が足りません (incomplete last line: %1 of 12 fields); "
                                u"the lines before it are used"_s.arg(fields.size())});
            break;
        }
        if (fields.first().line != fields.last().line && row > 0)
            diagnostics.append({Diagnostic::Severity::Check, path, Diagnostic::lineLocation(line),
                                u"level %1 does not hold 12 fields on one line; later levels shift"_s.arg(row)});
        if (!take(row, fields))
            break;
        ++row;
    }
    if (row == 0)
        diagnostics.append({Diagnostic::Severity::Fatal, path, Diagnostic::fileLocation(),
                            u"見出しの行がありません (the header line is missing)"_s});
    return row > 0;
}

} // namespace

void loadCriteria(const QString &path, CriteriaTable &table, Diagnostics &diagnostics)
{
    readRecords(path, diagnostics, [&](int row, const QList<FieldReader::Field> &fields) {
        table[row] = rowFromFields(fields, row, path, diagnostics);
        return true;
    });
}

CriteriaGrid readCriteriaGrid(const QString &path, Diagnostics &diagnostics)
{
    CriteriaGrid grid;
    grid.append(QStringList{u"レベル"_s} + criteriaHeaderTitles());
    readRecords(path, diagnostics, [&](int row, const QList<FieldReader::Field> &fields) {
        if (row == 0)
            return true;
        QStringList cells{QString::number(row)};
        for (const FieldReader::Field &f : fields)
            cells.append(f.text);
        grid.append(cells);
        return true;
    });
    return grid;
}

std::optional<Diagnostic> saveCriteria(const QString &path, const CriteriaGrid &grid, CriteriaTable &table,
                                       Diagnostics &reloadDiagnostics)
{
    QString text;
    for (qsizetype r = 0; r < grid.size(); ++r) {
        QStringList fields;
        for (int c = 1; c <= criteriaColumns; ++c) {
            const QString cell = c < grid.at(r).size() ? grid.at(r).at(c) : QString();
            const bool unsafe = cell.contains(u',') || cell.contains(u'"') || cell.contains(u'\r') ||
                                cell.contains(u'\n');
            qsizetype bad = -1;
            if (unsafe || !cp932::encode(cell, &bad))
                return Diagnostic{Diagnostic::Severity::Warning, path, Diagnostic::lineLocation(int(r) + 1),
                                  u"%1行 %2列「%3」は保存できません (row %1 column %2 cannot be saved: %4)"_s.arg(r).arg(c).arg(
                                      cell, unsafe ? u"comma, quote or line break"_s : u"not Shift-JIS"_s)};
            fields.append(cell);
        }
        text += joinLine(fields);
    }
    if (std::optional<Diagnostic> failed = writeTextFileAtomic(path, text))
        return failed;
    loadCriteria(path, table, reloadDiagnostics);
    return std::nullopt;
}

} // namespace kemoro
