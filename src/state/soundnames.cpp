#include "state/soundnames.h"

#include "platform/fieldreader.h"
#include "platform/text.h"
#include "platform/textfile.h"

using namespace Qt::StringLiterals;

namespace kemoro {

SoundTable::SoundTable()
{
    for (int c = 1; c <= roles; ++c)
        cell[0][c] = roleName(c);
}

QString SoundTable::roleName(int role)
{
    static const std::array<QString, roles + 1> names = {
        QString(),    u"正解音1"_s,     u"正解音2"_s,     u"間違い音1"_s,   u"間違い音2"_s, u"最高音1"_s,
        u"最高音2"_s, u"自己最高音1"_s, u"自己最高音2"_s, u"自己最高音3"_s, u"不合格音1"_s};
    return role >= 1 && role <= roles ? names[role] : QString();
}

int SoundTable::count(int role) const
{
    return int(readInt16(cell[maxNames + 1][role]).value);
}

QString SoundTable::pick(int role, double random) const
{
    int n = int(random * count(role) + 1);
    n = std::clamp(n, 1, maxNames);
    return cell[n][role];
}

void loadSoundNames(const QString &path, SoundTable &table, Diagnostics &diagnostics)
{
    if (const std::optional<QString> text = readTextFile(path, diagnostics, TextFileKind::settings()))
        readSoundNames(*text, path, table, diagnostics);
}

void readSoundNames(const QString &text, const QString &path, SoundTable &table, Diagnostics &diagnostics)
{
    FieldReader reader(text);
    while (!reader.atEnd()) {
        const FieldReader::Field x = reader.next();
        for (int c = 1; c <= SoundTable::roles; ++c) {
            if (x.text != table.cell[0][c]) continue;
            bool closed = false;
            int r = 1;
            for (; r <= SoundTable::maxNames; ++r) {
                if (reader.atEnd()) break;
                const FieldReader::Field y = reader.next();
                if (y.text == u"*"_s) {
                    table.cell[SoundTable::maxNames + 1][c] = QString::number(r - 1);
                    closed = true;
                    break;
                }
                table.cell[r][c] = y.text;
            }
            if (closed) continue;
            if (r > SoundTable::maxNames) {
                diagnostics.append({Diagnostic::Severity::Check, path, Diagnostic::lineLocation(x.line),
                                    u"group %1 has more than 20 names; its count stays unset"_s.arg(x.text)});
            } else {
                table.cell[SoundTable::maxNames + 1][c] = QString::number(r - 1);
                diagnostics.append({Diagnostic::Severity::Warning, path, Diagnostic::lineLocation(x.line),
                                    u"「%1」の終わりの \"*\" がありません (group %1 has no closing \"*\"); "
                                    u"the %2 names read are used"_s.arg(x.text)
                                        .arg(r - 1)});
            }
        }
    }
}

} // namespace kemoro
