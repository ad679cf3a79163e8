#include "testsupport/installation.h"

#include "platform/cp932.h"
#include "platform/fieldreader.h"
#include "platform/sound.h"
#include "roster/grades.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

using namespace Qt::StringLiterals;

namespace kemoro::test {

QStringList defaultCriteriaLine()
{
    return {u"30"_s, u"60"_s, u"100"_s, u"5"_s, u"1"_s, u"20"_s, u"300"_s, u"7"_s, u"1"_s, {}, {}, {}};
}

QList<QStringList> defaultCriteria()
{
    return QList<QStringList>(24, defaultCriteriaLine());
}

QList<SoundGroup> defaultSounds()
{
    return {
        {u"正解音1"_s, {u"ピンポン1"_s}},       {u"正解音2"_s, {u"ピンポン1"_s}},
        {u"間違い音1"_s, {u"ブー1"_s}},         {u"間違い音2"_s, {u"ブー1"_s}},
        {u"最高音1"_s, {u"ファンファーレ1"_s}}, {u"最高音2"_s, {u"ファンファーレ1"_s}},
        {u"自己最高音1"_s, {u"やったね1"_s}},   {u"自己最高音2"_s, {u"やったね1"_s}},
        {u"自己最高音3"_s, {u"やったね1"_s}},   {u"不合格音1"_s, {u"ざんねん1"_s}},
    };
}

int birthYearOf(const Classroom &classroom, int grade)
{
    return schoolYear(classroom.today, classroom.yearStartMonth) - grade - 6;
}

QByteArray silentWav(int milliseconds)
{
    constexpr int sampleRate = 8000;
    const QByteArray data(sampleRate * milliseconds / 1000 * 2, '\0');
    return monoWav(data, sampleRate);
}

Installation::Installation(const Classroom &classroom) : m_classroom(classroom)
{
    if (!m_dir.isValid()) {
        fail(u"no temporary folder: "_s + m_dir.errorString());
        return;
    }
    for (const QString &folder : {programDir(), dataFolder(), soundFolder()})
        if (!QDir().mkpath(folder)) fail(u"cannot create "_s + folder);
    if (!isValid()) return;

    writeLines(pathFile(), {{u"..\\データ\\"_s}});
    writeLines(dataRoot() + u"共通データ.txt"_s, {{QString::number(classroom.yearStartMonth)},
                                                  {classroom.school},
                                                  {QString::number(classroom.commonSetting3)},
                                                  {u"0"_s},
                                                  {QString()},
                                                  {classroom.password},
                                                  {QString()},
                                                  {QString()},
                                                  {QString()},
                                                  {QString()}});

    QList<QStringList> roster;
    for (const Pupil &p : classroom.pupils)
        roster.append({QString::number(p.number), QString::number(birthYearOf(classroom, p.grade)), u"0"_s,
                       u"0"_s, p.name, QString::number(p.status), QString(), QString()});
    writeLines(rosterFile(), roster);

    QList<QStringList> criteria{{u"目標Time"_s, u"最低Time"_s, u"ｸﾘｱﾎﾟｲﾝﾄ"_s, u"ｸﾘｱ回数"_s, u"ﾎﾟｲﾝﾄ倍率"_s,
                                 u"禁回"_s, u"禁点"_s, u"判期間"_s, u"禁期間"_s, QString(), QString(),
                                 QString()}};
    for (QStringList line : classroom.criteria) {
        // The file is read 12 fields at a time, so a short line would shift
        // every level after it.
        while (line.size() < 12)
            line.append(QString());
        criteria.append(line);
    }
    writeLines(criteriaFile(), criteria);

    QList<QStringList> sounds;
    QStringList waves{u"最高1"_s, u"合格"_s};
    for (const SoundGroup &group : classroom.sounds) {
        sounds.append({group.role});
        for (const QString &file : group.files) {
            sounds.append({file});
            if (!waves.contains(file)) waves.append(file);
        }
        sounds.append({u"*"_s});
    }
    writeLines(soundFolder() + u"新音ファイル.txt"_s, sounds);
    for (const QString &wave : std::as_const(waves))
        writeFile(soundFolder() + wave + u".wav"_s, silentWav());

    if (!classroom.worksheet.isEmpty()) writeLines(programDir() + u"/プロト.csv"_s, classroom.worksheet);
}

QString Installation::root() const
{
    return m_dir.path();
}
QString Installation::programDir() const
{
    return root() + u"/kemoro"_s;
}
QString Installation::dataRoot() const
{
    return root() + u"/データ/"_s;
}
QString Installation::dataFolder() const
{
    return dataRoot() + u"kemoro/"_s;
}
QString Installation::soundFolder() const
{
    return dataRoot() + u"音フォルダ/"_s;
}
QString Installation::pathFile() const
{
    return root() + u"/パスデータ.txt"_s;
}
QString Installation::rosterFile() const
{
    return dataRoot() + u"新名簿.txt"_s;
}
QString Installation::criteriaFile() const
{
    return dataFolder() + u"タイム回数データ.txt"_s;
}
QString Installation::resultFile() const
{
    return dataFolder() + u"成績累積データ.dat"_s;
}

void Installation::fail(const QString &what)
{
    m_error += (m_error.isEmpty() ? QString() : u"; "_s) + what;
}

void Installation::writeLines(const QString &path, const QList<QStringList> &lines)
{
    QString text;
    for (const QStringList &line : lines)
        text += joinLine(line);
    qsizetype bad = -1;
    const std::optional<QByteArray> bytes = cp932::encode(text, &bad);
    if (!bytes) {
        fail(u"%1: character %2 of the text is not in CP932"_s.arg(path).arg(bad));
        return;
    }
    writeFile(path, *bytes);
}

void Installation::writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() ||
        !file.flush())
        fail(u"cannot write %1: %2"_s.arg(path, file.errorString()));
}

} // namespace kemoro::test
