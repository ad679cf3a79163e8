#include "platform/mounts.h"

#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace kemoro;

namespace {
// Lines as the kernel writes them; the root is an ordinary disk.
const QString root = u"29 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw,errors=remount-ro\n"_s;
const QString cifsNobrl =
    u"41 29 0:45 / /mnt/school rw,relatime shared:140 - cifs //srv/school rw,vers=3.1.1,"
    u"cache=strict,username=kyoshitsu,uid=0,noforceuid,gid=0,noforcegid,addr=192.168.1.5,"
    u"file_mode=0755,dir_mode=0755,soft,nounix,serverino,mapposix,nobrl,rsize=4194304,"
    u"wsize=4194304,bsize=1048576,echo_interval=60,actimeo=1\n"_s;
const QString cifsLocking =
    u"41 29 0:45 / /mnt/school rw,relatime shared:140 - cifs //srv/school rw,vers=3.1.1,"
    u"cache=strict,username=kyoshitsu,addr=192.168.1.5,soft,nounix,serverino,mapposix,"
    u"rsize=4194304,wsize=4194304,actimeo=1\n"_s;
const QString nfsNolock =
    u"52 29 0:52 / /srv/share rw,relatime shared:150 - nfs 192.168.1.5:/export rw,vers=3,"
    u"rsize=1048576,wsize=1048576,namlen=255,hard,nolock,proto=tcp,timeo=600,retrans=2,"
    u"sec=sys,mountaddr=192.168.1.5,mountvers=3,mountport=20048,mountproto=udp,"
    u"local_lock=all,addr=192.168.1.5\n"_s;
QString nfs4(const QString &mountPoint, const QString &localLock)
{
    return u"60 29 0:60 / %1 rw,relatime shared:160 - nfs4 srv:/export rw,vers=4.2,rsize=1048576,"
           u"wsize=1048576,namlen=255,hard,proto=tcp,timeo=600,retrans=2,sec=sys,clientaddr=192.168.1.20,"
           u"local_lock=%2,addr=192.168.1.5\n"_s.arg(mountPoint, localLock);
}
} // namespace

class TestMounts : public QObject
{
    Q_OBJECT
private slots:
    void localLocks_data();
    void localLocks();
    void readsTheKernelsTable();
};

void TestMounts::localLocks_data()
{
    QTest::addColumn<QString>("mountInfo");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("mountPoint"); // empty: no warning
    QTest::addColumn<QString>("fsType");
    QTest::addColumn<QString>("option");
    const QString data = u"/mnt/school/データ/kemoro/"_s;
    // clang-format off
    QTest::newRow("ordinary disk")           << root << u"/home/school/データ/kemoro/"_s << QString() << QString() << QString();
    QTest::newRow("cifs with nobrl")         << root + cifsNobrl << data << u"/mnt/school"_s << u"cifs"_s << u"nobrl"_s;
    QTest::newRow("cifs that locks")         << root + cifsLocking << data << QString() << QString() << QString();
    QTest::newRow("smb3 with nobrl")         << root + u"41 29 0:45 / /mnt/school rw - smb3 //srv/school rw,nobrl\n"_s
                                             << data << u"/mnt/school"_s << u"smb3"_s << u"nobrl"_s;
    QTest::newRow("nobrl in mount options")  << root + u"41 29 0:45 / /mnt/school rw,nobrl - cifs //srv/school rw\n"_s
                                             << data << u"/mnt/school"_s << u"cifs"_s << u"nobrl"_s;
    QTest::newRow("nobrl on ext4 is no risk")<< root + u"41 29 8:2 / /mnt/school rw - ext4 /dev/sdb1 rw,nobrl\n"_s
                                             << data << QString() << QString() << QString();
    QTest::newRow("nfs4 local_lock=posix")   << root + nfs4(u"/mnt/school"_s, u"posix"_s) << data
                                             << u"/mnt/school"_s << u"nfs4"_s << u"local_lock=posix"_s;
    QTest::newRow("nfs4 local_lock=all")     << root + nfs4(u"/mnt/school"_s, u"all"_s) << data
                                             << u"/mnt/school"_s << u"nfs4"_s << u"local_lock=all"_s;
    QTest::newRow("nfs4 local_lock=none")    << root + nfs4(u"/mnt/school"_s, u"none"_s) << data << QString() << QString() << QString();
    QTest::newRow("nfs4 local_lock=flock")   << root + nfs4(u"/mnt/school"_s, u"flock"_s) << data << QString() << QString() << QString();
    QTest::newRow("nfs with nolock")         << root + nfsNolock << u"/srv/share/kemoro"_s
                                             << u"/srv/share"_s << u"nfs"_s << u"nolock"_s;
    QTest::newRow("folder is the mount")     << root + nfsNolock << u"/srv/share"_s << u"/srv/share"_s << u"nfs"_s << u"nolock"_s;
    QTest::newRow("inner ordinary decides")  << root + cifsNobrl + u"70 41 8:17 / /mnt/school/データ rw - ext4 /dev/sdb1 rw\n"_s
                                             << data << QString() << QString() << QString();
    QTest::newRow("inner nobrl decides")     << root + u"30 29 8:2 / /mnt rw - ext4 /dev/sda2 rw\n"_s + cifsNobrl
                                             << data << u"/mnt/school"_s << u"cifs"_s << u"nobrl"_s;
    QTest::newRow("later mount on top")      << root + cifsNobrl + cifsLocking << data << QString() << QString() << QString();
    QTest::newRow("not a whole component")   << root + cifsNobrl << u"/mnt/schoolhouse/kemoro"_s << QString() << QString() << QString();
    QTest::newRow("escaped blank")           << root + u"41 29 0:45 / /mnt/school\\040share rw - cifs //srv/s rw,nobrl\n"_s
                                             << u"/mnt/school share/kemoro/"_s << u"/mnt/school share"_s << u"cifs"_s << u"nobrl"_s;
    QTest::newRow("on the root only")        << u"20 1 0:20 / / rw - nfs 192.168.1.5:/diskless rw,vers=3,nolock\n"_s
                                             << data << u"/"_s << u"nfs"_s << u"nolock"_s;
    QTest::newRow("dots in the folder")     << root + cifsNobrl << u"/mnt/other/../school/./kemoro"_s
                                             << u"/mnt/school"_s << u"cifs"_s << u"nobrl"_s;
    QTest::newRow("no mount table")          << QString() << data << QString() << QString() << QString();
    QTest::newRow("broken lines skipped")    << u"garbage\n41 29 0:45 / /mnt/school rw cifs nobrl\n"_s + root
                                             << data << QString() << QString() << QString();
    // clang-format on
}

void TestMounts::localLocks()
{
    QFETCH(QString, mountInfo);
    QFETCH(QString, folder);
    QFETCH(QString, mountPoint);
    QFETCH(QString, fsType);
    QFETCH(QString, option);
    const std::optional<LocalLockMount> found = localLockMount(mountInfo, folder);
    const QStringList got =
        found ? QStringList{found->mountPoint, found->fsType, found->option} : QStringList();
    const QStringList expected =
        mountPoint.isEmpty() ? QStringList() : QStringList{mountPoint, fsType, option};
    QCOMPARE(got, expected);
}

// The kernel's file reports a size of 0, so a reader that trusts the size gets nothing.
void TestMounts::readsTheKernelsTable()
{
    if (!QFile::exists(u"/proc/self/mountinfo"_s)) QSKIP("no /proc/self/mountinfo here");
    bool root = false;
    for (const QString &line : readMountInfo().split(u'\n', Qt::SkipEmptyParts))
        root = root || line.section(u' ', 4, 4) == u"/"_s;
    QVERIFY(root);
}

QTEST_APPLESS_MAIN(TestMounts)
#include "tst_mounts.moc"
