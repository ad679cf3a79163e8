#include "platform/mounts.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace kemoro {

namespace {
struct Mount
{
    QString mountPoint;
    QString fsType;
    QStringList options; // the per-mount options, then the super options
};

// The kernel writes a blank, tab, line break or backslash in a path as "\ooo".
QString unescape(const QString &field)
{
    QString out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const auto octal = [&](qsizetype at) {
            return at < field.size() && field.at(at) >= u'0' && field.at(at) <= u'7';
        };
        if (field.at(i) == u'\\' && octal(i + 1) && octal(i + 2) && octal(i + 3)) {
            out += QChar(field.mid(i + 1, 3).toInt(nullptr, 8));
            i += 3;
            continue;
        }
        out += field.at(i);
    }
    return out;
}

// "36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 - ext3 /dev/root rw,errors=continue"
std::optional<Mount> parseLine(const QString &line)
{
    const QStringList fields = line.split(u' ', Qt::SkipEmptyParts);
    const qsizetype separator = fields.indexOf(u"-"_s, 6);
    if (fields.size() < 6 || separator < 0 || separator + 1 >= fields.size()) return std::nullopt;
    Mount mount;
    mount.mountPoint = unescape(fields.at(4));
    mount.fsType = fields.at(separator + 1);
    mount.options = fields.at(5).split(u',');
    if (separator + 3 < fields.size()) mount.options += fields.at(separator + 3).split(u',');
    return mount;
}

bool holds(const QString &mountPoint, const QString &path)
{
    if (mountPoint == u"/"_s || mountPoint == path) return true;
    return path.startsWith(mountPoint) && path.at(mountPoint.size()) == u'/';
}

QString localLockOption(const Mount &mount)
{
    QStringList risky;
    if (mount.fsType == u"cifs"_s || mount.fsType == u"smb3"_s)
        risky = {u"nobrl"_s};
    else if (mount.fsType == u"nfs"_s || mount.fsType == u"nfs4"_s)
        risky = {u"nolock"_s, u"local_lock=all"_s, u"local_lock=posix"_s};
    for (const QString &option : mount.options)
        if (risky.contains(option)) return option;
    return QString();
}
} // namespace

QString readMountInfo()
{
    QFile file(u"/proc/self/mountinfo"_s);
    if (!file.open(QIODevice::ReadOnly)) return QString();
    return QString::fromUtf8(file.readAll());
}

std::optional<LocalLockMount> localLockMount(const QString &mountInfo, const QString &folder)
{
    const QFileInfo info(folder);
    QString path = info.canonicalFilePath();
    if (path.isEmpty()) path = info.absoluteFilePath(); // cleaned by Qt

    std::optional<Mount> holder;
    for (const QString &line : mountInfo.split(u'\n', Qt::SkipEmptyParts)) {
        const std::optional<Mount> mount = parseLine(line);
        // A later mount on the same point covers the earlier one, hence ">=".
        if (mount && holds(mount->mountPoint, path) &&
            (!holder || mount->mountPoint.size() >= holder->mountPoint.size()))
            holder = mount;
    }
    if (!holder) return std::nullopt;
    const QString option = localLockOption(*holder);
    if (option.isEmpty()) return std::nullopt;
    return LocalLockMount{holder->mountPoint, holder->fsType, option};
}

std::optional<Diagnostic> localLockWarning(const QString &mountInfo, const QString &dataFolder,
                                           const QString &resultFile)
{
    const std::optional<LocalLockMount> mount = localLockMount(mountInfo, dataFolder);
    if (!mount) return std::nullopt;
    return Diagnostic{
        Diagnostic::Severity::Warning, resultFile, Diagnostic::fileLocation(),
        u"データフォルダーのマウント %1 (%2, %3) では、ロックがこのコンピューターの中だけで効きます。"
        u"二台のコンピューターが同時に成績を書き込み、あるドリルの記録が別の記録で上書きされることがあります"
        u"。"
        u"%3 を付けずにマウントしてください (locks on the mount %1 (%2, %3) stay on this computer: two "
        u"computers can write the result file at the same moment and one drill's record can overwrite "
        u"another's; mount it without %3)"_s.arg(mount->mountPoint, mount->fsType, mount->option)};
}

} // namespace kemoro
