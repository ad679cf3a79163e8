#include "platform/programstarter.h"

#include <QFileInfo>
#include <QProcess>

using namespace Qt::StringLiterals;

namespace kemoro {

QString SystemProgramStarter::startDetached(const QString &program, const QStringList &arguments)
{
    const QFileInfo info(program);
    if (!info.exists()) return u"プログラムがありません (not found)"_s;
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(info.absolutePath());
    if (!process.startDetached()) return u"起動できません (cannot be started): "_s + process.errorString();
    return QString();
}

} // namespace kemoro
