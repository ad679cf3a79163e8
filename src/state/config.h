#pragma once

#include "platform/diagnostic.h"
#include "state/folders.h"

#include <QDate>
#include <QString>
#include <QStringList>

namespace kemoro {

// The school's common settings ("共通データ.txt"), shared by the product family.
struct CommonSettings
{
    int yearStartMonth = 4;
    QString schoolName;
    QString schoolCode;      // five characters split off the school name, or empty
    int commonSetting3 = 0;  // 1: roster lines of status 2 are listed too
    int commonSetting4 = 0;  // name-selection option, kept
    QStringList commonList;  // elements 1..6 (index 0 unused); kept, not used
    QString teacherPassword; // unlocks the teacher functions
};

struct SchoolName
{
    QString code;
    QString name;
};
// When the first five characters of the field read as a number other than 0,
// they are the school code and the rest is the name.
SchoolName splitSchoolCode(const QString &field);

// Background colour by month, as a stored colour number (blue high, red low).
quint32 seasonColour(int month);

// Reads the path file beside the program folder: field 1 is the data root
// (resolved against the program folder when relative), fields 2..10 are kept.
// Fills folders.dataRoot, pathList and the derived folders.
void readPathFile(Folders &folders, Diagnostics &diagnostics);
// The same over the decoded text; `path` names the file in diagnostics.
void parsePathFile(const QString &text, const QString &path, Folders &folders, Diagnostics &diagnostics);

CommonSettings readCommonSettings(const QString &path, Diagnostics &diagnostics);
CommonSettings parseCommonSettings(const QString &text, const QString &path, Diagnostics &diagnostics);

} // namespace kemoro
