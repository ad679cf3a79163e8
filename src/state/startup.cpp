#include "state/startup.h"

#include "platform/paths.h"

using namespace Qt::StringLiterals;

namespace kemoro {

bool configure(Session &session, const QString &programDir, QDate today, Diagnostics &diagnostics,
               const MountInfoSource &mountInfo)
{
    session.folders = Folders();
    session.folders.programDir = paths::toFolder(programDir, programDir);
    session.seasonColour = seasonColour(today.month());

    readPathFile(session.folders, diagnostics);
    if (hasFatal(diagnostics)) return false;
    session.settings = readCommonSettings(session.folders.commonSettingsFile(), diagnostics);
    if (hasFatal(diagnostics)) return false;

    session.programTitle = u"ケモロ"_s;
    session.teacherPrintEnabled = 0;
    session.allLevelsSelectable = 1;

    loadCriteria(session.folders.criteriaFile(), session.criteria, diagnostics);
    if (hasFatal(diagnostics)) return false;
    loadSoundNames(session.folders.soundNameFile(), session.sounds, diagnostics);
    if (hasFatal(diagnostics)) return false;
    if (auto warning =
            localLockWarning(mountInfo(), session.folders.dataFolder, session.folders.resultFile()))
        diagnostics.append(*warning);
    return true;
}

} // namespace kemoro
