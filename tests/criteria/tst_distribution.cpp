#include "criteria/distribution.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace kemoro;

struct Rec
{
    int pupil, level, time;
};
Q_DECLARE_METATYPE(Rec)

namespace {
ResultWindow windowOf(const QList<Rec> &recs)
{
    ResultWindow w;
    for (const Rec &r : recs)
        w.bytes += encodeRecord(drillRecord(QDateTime(QDate(2026, 12, 10), QTime(9, 0)), qint16(r.pupil),
                                            qint16(r.level), r.time, u"12345"_s));
    w.totalRecords = recs.size();
    return w;
}
} // namespace

class TestDistribution : public QObject
{
    Q_OBJECT
private slots:
    void distribution_data();
    void distribution();
};

void TestDistribution::distribution_data()
{
    QTest::addColumn<QList<Rec>>("records");
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("allHeader");
    QTest::addColumn<QString>("bestHeader");
    QTest::addColumn<QStringList>("allBars"); // "bucket:stars" lines that must be there
    QTest::addColumn<QStringList>("bestBars");
    // clang-format off
    QTest::newRow("no results: empty count, unit 1")
        << QList<Rec>{{1, 1, 30}} << 3 << u"レベル3 今まで回  （★=1）"_s << u"レベル3 （★=1）"_s
        << QStringList{u"   0～"_s, u"1000～"_s} << QStringList{u"  30～"_s};
    QTest::newRow("time-out: bucket 100, best bucket 30")
        << QList<Rec>{{1, 1, 99999}} << 1 << u"レベル1 今まで1回  （★=1）"_s << u"レベル1 （★=1）"_s
        << QStringList{u"1000～★"_s, u"   0～"_s} << QStringList{u" 300～★"_s, u"1000～"_s};
    QTest::newRow("best is each pupil's smallest, as a number")
        << QList<Rec>{{1, 1, 100}, {1, 1, 95}, {2, 1, 45}, {1, 2, 5}} << 1 << u"レベル1 今まで3回  （★=1）"_s << u"レベル1 （★=1）"_s
        << QStringList{u"  90～★"_s, u" 100～★"_s, u"  40～★"_s} << QStringList{u"  90～★"_s, u" 100～"_s, u"  40～★"_s};
    QTest::newRow("negative time reads as 99999")
        << QList<Rec>{{1, 1, -5}} << 1 << u"レベル1 今まで1回  （★=1）"_s << u"レベル1 （★=1）"_s
        << QStringList{u"1000～★"_s} << QStringList{u" 300～★"_s};
    QTest::newRow("levels outside 1..35 are skipped")
        << QList<Rec>{{1, 60, 30}, {1, 0, 30}} << 1 << u"レベル1 今まで回  （★=1）"_s << u"レベル1 （★=1）"_s
        << QStringList{u"  30～"_s} << QStringList{u"  30～"_s};
    QTest::newRow("unit: a tenth of the largest bucket, stars rounded")
        << QList<Rec>(25, {1, 1, 31}) + QList<Rec>(3, {1, 1, 52}) << 1 << u"レベル1 今まで28回  （★=2）"_s << u"レベル1 （★=1）"_s
        << QStringList{u"  30～★★★★★★★★★★★★★"_s, u"  50～★★"_s} << QStringList{u"  30～★"_s};
    // clang-format on
}

void TestDistribution::distribution()
{
    QFETCH(QList<Rec>, records);
    QFETCH(int, level);
    QFETCH(QString, allHeader);
    QFETCH(QString, bestHeader);
    QFETCH(QStringList, allBars);
    QFETCH(QStringList, bestBars);
    const Distribution d = buildDistribution(windowOf(records), level);
    QCOMPARE(d.allResults.size(), 102);
    QCOMPARE(d.bestTimes.size(), 102);
    QCOMPARE(d.allResults.first(), allHeader);
    QCOMPARE(d.bestTimes.first(), bestHeader);
    for (const QString &bar : allBars)
        QVERIFY2(d.allResults.contains(bar), qPrintable(bar));
    for (const QString &bar : bestBars)
        QVERIFY2(d.bestTimes.contains(bar), qPrintable(bar));
}

QTEST_APPLESS_MAIN(TestDistribution)
#include "tst_distribution.moc"
