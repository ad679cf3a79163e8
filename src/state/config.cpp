#include "state/config.h"

#include "platform/fieldreader.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "platform/textfile.h"

using namespace Qt::StringLiterals;

namespace kemoro {

SchoolName splitSchoolCode(const QString &field)
{
    if (val(QStringView(field).left(5)) != 0) return {field.left(5), field.mid(5)};
    return {QString(), field};
}

quint32 seasonColour(int month)
{
    switch (month) {
    case 1:
    case 2:
        return 33023;
    case 3:
    case 4:
    case 5:
    case 12:
        return 12648384;
    case 6:
    case 7:
    case 8:
        return 12632064;
    default:
        return 16576;
    }
}

namespace {
Diagnostic shortFile(const QString &path, int line, const QString &what)
{
    return {Diagnostic::Severity::Fatal, path, Diagnostic::lineLocation(line),
            u"項目が足りません (too short): "_s + what};
}
} // namespace

void readPathFile(Folders &folders, Diagnostics &diagnostics)
{
    const QString path = folders.pathFile();
    if (const std::optional<QString> text = readTextFile(path, diagnostics, TextFileKind::settings()))
        parsePathFile(*text, path, folders, diagnostics);
}

void parsePathFile(const QString &text, const QString &path, Folders &folders, Diagnostics &diagnostics)
{
    FieldReader reader(text);
    const FieldReader::Field root = reader.next();
    if (trimBlanks(root.text).isEmpty()) {
        diagnostics.append(shortFile(path, root.line, u"field 1 (the shared data folder) is empty"_s));
        return;
    }
    folders.dataRoot = paths::toFolder(root.text, folders.programDir);
    folders.pathList.clear();
    for (int i = 0; i < 9 && !reader.atEnd(); ++i)
        folders.pathList.append(reader.next().text);
    folders.derive();
}

CommonSettings readCommonSettings(const QString &path, Diagnostics &diagnostics)
{
    const std::optional<QString> text = readTextFile(path, diagnostics, TextFileKind::secretSettings());
    return text ? parseCommonSettings(*text, path, diagnostics) : CommonSettings();
}

CommonSettings parseCommonSettings(const QString &text, const QString &path, Diagnostics &diagnostics)
{
    CommonSettings settings;
    // Any field may be the teacher password once the lines shift, so no
    // message quotes a field of this file: they are named by number.
    FieldReader reader(text);
    QList<FieldReader::Field> fields;
    for (int i = 0; i < 10 && !reader.atEnd(); ++i)
        fields.append(reader.next());
    // Fields 1 to 4 and 6 are required; 5 and 7..10 are kept when present.
    if (fields.size() < 6) {
        const QStringList what = {
            u"1 (school-year start month)"_s, u"2 (school name)"_s, u"3"_s, u"4"_s, u"5"_s,
            u"6 (teacher password)"_s};
        diagnostics.append(
            shortFile(path, reader.line(), u"field "_s + what.at(fields.size()) + u" is missing"_s));
        return settings;
    }
    auto number = [&](int index, const QString &what) {
        const FieldReader::Field &f = fields.at(index);
        const IntegerField value = readInt16(f.text);
        if (value.status == NumberStatus::NotANumber || value.status == NumberStatus::OutOfRange)
            diagnostics.append({Diagnostic::Severity::Check, path, Diagnostic::lineLocation(f.line),
                                u"field %1 (%2) %3"_s.arg(index + 1).arg(what, describe(value.status))});
        return int(value.value);
    };
    settings.yearStartMonth = number(0, u"school-year start month"_s);
    if (settings.yearStartMonth < 1 || settings.yearStartMonth > 12)
        diagnostics.append({Diagnostic::Severity::Check, path, Diagnostic::lineLocation(fields.at(0).line),
                            u"field 1 (school-year start month) is not a month 1..12"_s});
    const SchoolName school = splitSchoolCode(fields.at(1).text);
    settings.schoolCode = school.code;
    settings.schoolName = school.name;
    settings.commonSetting3 = number(2, u"roster display option"_s);
    settings.commonSetting4 = number(3, u"name selection option"_s);
    settings.commonList = QStringList(7);
    settings.commonList[1] = fields.at(4).text;
    settings.teacherPassword = fields.at(5).text;
    if (settings.teacherPassword.isEmpty())
        diagnostics.append({Diagnostic::Severity::Warning, path, Diagnostic::lineLocation(fields.at(5).line),
                            u"パスワードが設定されていません。先生の画面は開けません (field 6, the teacher "
                            u"password, is empty: the teacher screens stay closed)"_s});
    for (int i = 6; i < fields.size(); ++i)
        settings.commonList[i - 3] = fields.at(i).text;
    return settings;
}

} // namespace kemoro
