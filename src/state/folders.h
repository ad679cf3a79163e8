#pragma once

#include <QString>
#include <QStringList>

namespace kemoro {

// Where everything lives. All folders end with "/".
struct Folders
{
    QString programDir;     // the program's own folder (appPathSlash)
    QString dataRoot;       // shared data folder of the product family
    QStringList pathList;   // fields 2..10 of the path file, kept only
    QString progFolderName; // last component of the program folder
    QString dataFolder;     // dataRoot + progFolderName + "/"
    QString soundFolder;    // dataRoot + "音フォルダ/"

    static QString pathFileFor(const QString &programDir);
    QString pathFile() const { return pathFileFor(programDir); }
    QString commonSettingsFile() const;
    QString rosterFile() const;
    QString criteriaFile() const;
    QString resultFile() const;
    QString resultJournalFile() const;
    QString stepFile() const;
    QString stepTemplateFile() const;
    QString soundNameFile() const;
    QString soundFile(const QString &baseName) const; // soundFolder + name + ".wav"
    QString worksheetFile() const;
    QString launcherProgram() const;

    // Fills progFolderName, dataFolder and soundFolder from programDir and dataRoot.
    void derive();
};

namespace names {
QString pathFile();
QString commonSettings();
QString roster();
QString criteria();
QString results();
QString resultsJournal();
QString soundFolder();
QString soundNames();
} // namespace names

} // namespace kemoro
