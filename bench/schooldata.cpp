#include "schooldata.h"

#include "platform/cp932.h"
#include "platform/oledate.h"
#include "results/resultrecord.h"
#include "tools/demoinstall.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

using namespace Qt::StringLiterals;

namespace kemoro::bench {

const QDateTime &schoolNow()
{
    static const QDateTime now(QDate(2026, 12, 10), QTime(9, 0));
    return now;
}

namespace {
bool writeAll(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

QByteArray rosterBytes(std::mt19937 &random)
{
    static const char16_t *family[] = {u"青木", u"石井", u"上田", u"江藤", u"大野", u"加藤",
                                       u"木村", u"工藤", u"小林", u"佐藤", u"清水", u"鈴木",
                                       u"田中", u"千葉", u"中村", u"西田"};
    static const char16_t *given[] = {u"さくら", u"はると", u"ゆい",   u"そうた", u"ひな",   u"れん",
                                      u"めい",   u"ゆうと", u"あおい", u"みお",   u"かいと", u"りこ"};
    QString text;
    for (int pupil = 1; pupil <= schoolPupils; ++pupil) {
        const int birthYear = 2010 + int(random() % 10);
        text += u"%1,%2,0,0,%3　%4,0,,\r\n"_s.arg(pupil).arg(birthYear).arg(
            QString::fromUtf16(family[random() % std::size(family)]),
            QString::fromUtf16(given[random() % std::size(given)]));
    }
    return cp932::encodeLossy(text);
}

QByteArray resultBytes(std::mt19937 &random)
{
    const double lastDay = ole::fromDate(schoolNow().date());
    std::vector<int> daysBack(schoolRecords);
    for (int &d : daysBack)
        d = int(random() % (3 * 365));
    std::sort(daysBack.begin(), daysBack.end(), std::greater<>()); // oldest first, as appended
    QByteArray bytes;
    bytes.reserve(qsizetype(schoolRecords) * record::size);
    for (int i = 0; i < schoolRecords; ++i) {
        const int level = 1 + int(random() % 24);
        const int time = random() % 20 == 0 ? 99999 : 15 + int(random() % 200);
        ResultRecord rec =
            drillRecord(QDateTime(), qint16(1 + random() % schoolPupils), qint16(level), time, u"12345"_s);
        rec.date = lastDay - daysBack[size_t(i)];
        rec.timeOfDay = double(8 * 3600 + random() % (9 * 3600)) / 86400.0;
        bytes += encodeRecord(rec);
    }
    return bytes;
}
} // namespace

QString schoolInstallation()
{
    QString root = qEnvironmentVariable("KEMORO_BENCH_DATA");
    if (root.isEmpty()) root = QString::fromUtf8(KEMORO_BENCH_DATA_DIR);
    const demo::Installation install{QDir(root).absolutePath()};
    const QString done = install.root + u"/complete"_s;
    if (QFile::exists(done)) return install.root;

    std::fprintf(stderr, "kemoro-bench: creating school-scale data in %s\n", qPrintable(install.root));
    std::mt19937 random(20261210);
    if (!QDir().mkpath(install.dataFolder()) ||
        !writeAll(install.dataRoot() + u"新名簿.txt"_s, rosterBytes(random)) ||
        !writeAll(install.dataFolder() + u"成績累積データ.dat"_s, resultBytes(random)) ||
        !demo::create(install.root, schoolNow().date()).isEmpty() || !writeAll(done, QByteArray()))
        return QString();
    return install.root;
}

} // namespace kemoro::bench
