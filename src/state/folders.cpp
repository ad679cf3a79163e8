#include "state/folders.h"

#include "platform/paths.h"

using namespace Qt::StringLiterals;

namespace kemoro {

namespace names {
QString pathFile()
{
    return u"パスデータ.txt"_s;
}
QString commonSettings()
{
    return u"共通データ.txt"_s;
}
QString roster()
{
    return u"新名簿.txt"_s;
}
QString criteria()
{
    return u"タイム回数データ.txt"_s;
}
QString results()
{
    return u"成績累積データ.dat"_s;
}
QString resultsJournal()
{
    return u"成績累積データtemp.dat"_s;
}
QString soundFolder()
{
    return u"音フォルダ"_s;
}
QString soundNames()
{
    return u"新音ファイル.txt"_s;
}
} // namespace names

QString Folders::pathFileFor(const QString &programDir)
{
    return paths::parentFolder(programDir) + names::pathFile();
}

QString Folders::commonSettingsFile() const
{
    return dataRoot + names::commonSettings();
}
QString Folders::rosterFile() const
{
    return dataRoot + names::roster();
}
QString Folders::criteriaFile() const
{
    return dataFolder + names::criteria();
}
QString Folders::resultFile() const
{
    return dataFolder + names::results();
}
QString Folders::resultJournalFile() const
{
    return dataFolder + names::resultsJournal();
}
QString Folders::stepFile() const
{
    return dataFolder + u"ステップ.dat"_s;
}
QString Folders::stepTemplateFile() const
{
    return dataFolder + u"ステップ原.dat"_s;
}
QString Folders::soundNameFile() const
{
    return soundFolder + names::soundNames();
}
QString Folders::soundFile(const QString &baseName) const
{
    return soundFolder + baseName + u".wav"_s;
}
QString Folders::worksheetFile() const
{
    return programDir + u"プロト.csv"_s;
}

QString Folders::launcherProgram() const
{
    return paths::parentFolder(programDir) + u"起動/プログラムメニューc.exe"_s;
}

void Folders::derive()
{
    progFolderName = paths::lastComponent(programDir);
    dataFolder = dataRoot + progFolderName + u'/';
    soundFolder = dataRoot + names::soundFolder() + u'/';
}

} // namespace kemoro
