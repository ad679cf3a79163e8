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

QString safeFileName(const QString &name)
{
    static const QString forbidden = u"\\/:*?\"<>|"_s;
    QString safe;
    safe.reserve(name.size());
    for (const QChar ch : name)
        safe.append(ch.unicode() < 0x20 || ch.unicode() == 0x7f || forbidden.contains(ch) ? u'_' : ch);
    // Windows drops blanks and dots at the end of a name; a leading dot hides the file.
    while (!safe.isEmpty() && (safe.front().isSpace() || safe.front() == u'.'))
        safe.remove(0, 1);
    while (!safe.isEmpty() && (safe.back().isSpace() || safe.back() == u'.'))
        safe.chop(1);
    return safe.isEmpty() ? u"ケモロ"_s : safe;
}

} // namespace kemoro::paths
