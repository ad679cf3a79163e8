#include "platform/paths.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace kemoro::paths {

QString toFolder(const QString &raw, const QString &baseFolder)
{
    QString path = raw;
    path.replace(u'\\', u'/');
    const bool windowsDrive = path.size() >= 2 && path.at(1) == u':' && path.at(0).isLetter();
    if (!QDir::isAbsolutePath(path) && !windowsDrive) path = QDir(baseFolder).filePath(path);
    path = QDir::cleanPath(path);
    if (!path.endsWith(u'/')) path += u'/';
    return path;
}

QString lastComponent(const QString &folder)
{
    QString path = folder;
    path.replace(u'\\', u'/');
    while (path.endsWith(u'/'))
        path.chop(1);
    return path.mid(path.lastIndexOf(u'/') + 1);
}

QString parentFolder(const QString &folder)
{
    return toFolder(u".."_s, folder);
}

} // namespace kemoro::paths
