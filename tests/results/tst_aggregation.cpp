#include "results/aggregation.h"
#include "results/drillrecord.h"

#include "testsupport/fixtures.h"

#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;
using namespace kemoro;

namespace {
const QDateTime now(QDate(2026, 12, 10), QTime(9, 0));
const double today = 46366; // 2026-12-10

struct Rec
{
    double date = today;
    double timeOfDay = 0.25;
    int pupil = 1;
    int level = 1;
    int time = 30;
};

QByteArray bytesOf(const QList<Rec> &recs)
{
    QByteArray bytes;
    for (const Rec &r : recs) {
        ResultRecord rec;
        rec.date = r.date;
        rec.timeOfDay = r.timeOfDay;
        rec.pupil = qint16(r.pupil);
        rec.level = qint16(r.level);
        rec.resultTime = r.time;
        bytes += encodeRecord(rec);
    }
    return bytes;
}

// Level 1: target 60, rate 1, judging 7 days, over-practice 1 day; level 2
// the same with target 1000.
CriteriaTable criteria(double judgeDays = 7, double overDays = 1)
{
    CriteriaTable table;
    for (int level = 1; level <= maxLevel; ++level) {
        CriteriaRow &row = table[size_t(level)];
        row.targetTime = level == 2 ? 1000 : 60;
        row.pointRate = 1;
        row.clearCount = 2;
        row.clearPoints = 20;
        row.judgeDays = FreeValue::fromField(QString::number(judgeDays), false);
        row.overDays = FreeValue::fromField(QString::number(overDays), false);
    }
    return table;
}

ResultTables aggregated(const QList<Rec> &recs, const CriteriaTable &table = criteria())
{
    ResultTables tables;
    const QByteArray bytes = bytesOf(recs);
    aggregateRecords(table, now, loadRecords(bytes.constData(), bytes.size() / record::size, tables), tables);
    return tables;
}
} // namespace

Q_DECLARE_METATYPE(Rec)

class TestAggregation : public QObject
{
    Q_OBJECT

private slots:
    void periods_data();
    void periods();
    void triesPointsAndBest_data();
    void triesPointsAndBest();
    void unusableRecords_data();
    void unusableRecords();
    void levelBestOnlyFromFirstThousandPupils();
    void windowKeepsEveryUsableRecord();
    void missingFileIsNoRecords();
    void onePassAgreesWithLoadThenAdd();
    void changedCriteriaScoreAfresh();
    void recordFinishedDrill_data();
    void recordFinishedDrill();
};

void TestAggregation::periods_data()
{
    QTest::addColumn<double>("daysAgo");
    QTest::addColumn<double>("judgeDays");
    QTest::addColumn<int>("judgeTries");
    QTest::addColumn<int>("todayTries");
    // clang-format off
    QTest::newRow("today counts everywhere")          << 0.0  << 7.0 << 1 << 1;
    QTest::newRow("six days ago inside 7 days")       << 6.0  << 7.0 << 1 << 0;
    QTest::newRow("seven days ago outside 7 days")    << 7.0  << 7.0 << 0 << 0;
    QTest::newRow("judgeDays 0 counts nothing")       << 0.0  << 0.0 << 0 << 1;
    QTest::newRow("judgeDays 1 is today only")        << 0.0  << 1.0 << 1 << 1;
    QTest::newRow("yesterday outside 1 day")          << 1.0  << 1.0 << 0 << 0;
    QTest::newRow("future date counts")               << -3.0 << 7.0 << 1 << 0;
    QTest::newRow("now's time of day enters the period") << 6.0 << 6.3 << 0 << 0;
    // clang-format on
}

void TestAggregation::periods()
{
    QFETCH(double, daysAgo);
    QFETCH(double, judgeDays);
    QFETCH(int, judgeTries);
    QFETCH(int, todayTries);
    Rec r;
    r.date = today - daysAgo;
    const ResultTables t = aggregated({r}, criteria(judgeDays, judgeDays));
    QCOMPARE(t.judgeTries(1, 1), judgeTries);
    QCOMPARE(t.judgePoints(1, 1), judgeTries * 11);
    QCOMPARE(t.limitTries(1, 1), judgeTries);
    QCOMPARE(t.todayTries(1, 1), todayTries);
    QCOMPARE(t.totalTries(1, 1), 1);
    QCOMPARE(t.totalPoints(1, 1), 11);
}

void TestAggregation::triesPointsAndBest_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("time");
    QTest::addColumn<int>("tries");
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("best");
    // clang-format off
    QTest::newRow("30 s on target 60")                  << 1 << 30    << 1 << 11 << 30;
    QTest::newRow("6000 s scores but is no try")        << 2 << 6500  << 0 << 1  << 6500;
    QTest::newRow("5999 s is still a try")              << 2 << 5999  << 1 << 1  << 5999;
    QTest::newRow("time-out: no try, no points, no best") << 1 << 99999 << 0 << 0 << 99999;
    QTest::newRow("negative time reads as a time-out")  << 1 << -86000 << 0 << 0 << 99999;
    // clang-format on
}

void TestAggregation::triesPointsAndBest()
{
    QFETCH(int, level);
    QFETCH(int, time);
    QFETCH(int, tries);
    QFETCH(int, points);
    QFETCH(int, best);
    Rec r;
    r.level = level;
    r.time = time;
    const ResultTables t = aggregated({r, r});
    QCOMPARE(t.totalTries(level, 1), 2 * tries);
    QCOMPARE(t.todayTries(level, 1), 2 * tries);
    QCOMPARE(t.totalPoints(level, 1), 2 * points);
    QCOMPARE(t.best(level, 1), best);
    QCOMPARE(t.levelBest[size_t(level)], best);
}

void TestAggregation::unusableRecords_data()
{
    QTest::addColumn<Rec>("bad");
    QTest::addColumn<int>("bestOfPupil1");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // clang-format off
    QTest::newRow("level 0 given back")          << Rec{today, 0.25, 1, 0, 20}  << 99999;
    QTest::newRow("level 36 skipped, not fatal") << Rec{today, 0.25, 1, 36, 20} << 99999;
    QTest::newRow("negative level skipped")      << Rec{today, 0.25, 1, -2, 20} << 99999;
    QTest::newRow("pupil 0 given back")          << Rec{today, 0.25, 0, 1, 20}  << 99999;
    QTest::newRow("pupil 5001 skipped")          << Rec{today, 0.25, 5001, 1, 20} << 99999;
    QTest::newRow("negative date given back, best kept") << Rec{-1, 0.25, 1, 1, 20} << 20;
    QTest::newRow("NaN date given back")         << Rec{nan, 0.25, 1, 1, 20}    << 20;
    QTest::newRow("date with a fraction")        << Rec{today + 0.5, 0.25, 1, 1, 20} << 20;
    QTest::newRow("date past 9999-12-31")        << Rec{2958466, 0.25, 1, 1, 20} << 20;
    QTest::newRow("time of day 1.0")             << Rec{today, 1.0, 1, 1, 20}   << 20;
    QTest::newRow("negative time of day")        << Rec{today, -0.1, 1, 1, 20}  << 20;
    // clang-format on
}

void TestAggregation::unusableRecords()
{
    QFETCH(Rec, bad);
    QFETCH(int, bestOfPupil1);
    const Rec good{today, 0.5, 2, 1, 30}; // after the bad one: loading went on
    const ResultTables t = aggregated({bad, good});
    QCOMPARE(t.totalTries(1, 2), 1);
    QCOMPARE(t.totalPoints(1, 2), 11);
    QCOMPARE(t.best(1, 1), bestOfPupil1);
    for (int level = 0; level <= maxLevel; ++level)
        for (int pupil : {0, 1, 5000}) {
            QCOMPARE(t.totalTries(level, pupil), 0);
            QCOMPARE(t.totalPoints(level, pupil), 0);
            QCOMPARE(t.judgePoints(level, pupil), 0);
        }
}

void TestAggregation::levelBestOnlyFromFirstThousandPupils()
{
    const ResultTables t =
        aggregated({{today, 0.2, 1001, 1, 10}, {today, 0.2, 1000, 1, 25}, {today, 0.2, 4, 3, 99999}});
    QCOMPARE(t.best(1, 1001), 10);
    QCOMPARE(t.totalTries(1, 1001), 1);
    QCOMPARE(t.levelBest[1], 25);
    QCOMPARE(t.levelBest[3], 99999);
}

void TestAggregation::windowKeepsEveryUsableRecord()
{
    // 25000 records: the oldest 5000 (level 2) fall outside the window; of
    // the newest 20000, 15000 are usable (level 1) and 5000 are level 0.
    QList<Rec> recs;
    for (int i = 0; i < 5000; ++i)
        recs.append({today, 0.1, 1, 2, 30});
    for (int i = 0; i < 20000; ++i)
        recs.append({today, 0.1, 1 + i % 3, i % 4 == 3 ? 0 : 1, 30});
    QTemporaryDir dir;
    const QString path = dir.filePath(u"成績累積データ.dat"_s);
    QVERIFY(test::writeBytes(path, bytesOf(recs) + "torn"));

    ResultTables t;
    ResultStore store(path);
    QVERIFY(!aggregate(criteria(), now, store, {}, t));
    QCOMPARE(t.totalTries(1, 1) + t.totalTries(1, 2) + t.totalTries(1, 3), 15000);
    QCOMPARE(t.totalTries(1, 3), 5000); // the newest pupil-3 records were not dropped
    QCOMPARE(t.totalTries(2, 1), 0);
    QCOMPARE(t.best(2, 1), 99999);
}

void TestAggregation::onePassAgreesWithLoadThenAdd()
{
    // The screens' single pass and the loader + adder of kemoro-data must give
    // the same tables on awkward data: every level, pupil, period and time kind.
    QList<Rec> recs;
    quint32 seed = 12345;
    auto next = [&seed](quint32 n) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % n;
    };
    const qint32 times[] = {0, 5, 59, 60, 61, 119, 120, 599, 600, 1234, 5999, 6000, 99998, 99999, -7};
    for (int i = 0; i < 6000; ++i) {
        Rec r;
        r.date = today - double(next(40)) + (next(50) == 0 ? 0.5 : 0.0);
        r.timeOfDay = next(60) == 0 ? 1.5 : double(next(86400)) / 86400.0;
        r.pupil = next(30) == 0 ? int(next(6000)) - 100 : 1 + int(next(1200));
        r.level = next(30) == 0 ? int(next(50)) - 5 : int(next(36));
        r.time = times[next(std::size(times))];
        recs.append(r);
    }
    const CriteriaTable table = criteria(5, 2);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"成績累積データ.dat"_s);
    QVERIFY(test::writeBytes(path, bytesOf(recs)));
    ResultTables onePass;
    ResultStore store(path);
    QVERIFY(!aggregate(table, now, store, {}, onePass));
    const ResultTables twoSteps = aggregated(recs, table);
    for (int level = 0; level < levelSlots; ++level) {
        QCOMPARE(onePass.levelBest[size_t(level)], twoSteps.levelBest[size_t(level)]);
        for (int pupil = 0; pupil < pupilSlots; ++pupil) {
            const auto cells = [&](const ResultTables &t) {
                return std::array<qint32, 9>{
                    t.todayTries(level, pupil),  t.todayPoints(level, pupil), t.totalTries(level, pupil),
                    t.totalPoints(level, pupil), t.judgeTries(level, pupil),  t.judgePoints(level, pupil),
                    t.limitTries(level, pupil),  t.limitPoints(level, pupil), t.best(level, pupil)};
            };
            if (cells(onePass) != cells(twoSteps))
                QFAIL(qPrintable(u"level %1 pupil %2 differ"_s.arg(level).arg(pupil)));
        }
    }
}

void TestAggregation::changedCriteriaScoreAfresh()
{
    // The tables remember points between aggregations; an edited target time
    // or rate must not keep the old ones.
    QTemporaryDir dir;
    const QString path = dir.filePath(u"成績累積データ.dat"_s);
    QVERIFY(test::writeBytes(path, bytesOf({{today, 0.1, 1, 1, 30}})));
    CriteriaTable table = criteria();
    ResultTables t;
    ResultStore store(path);
    QVERIFY(!aggregate(table, now, store, {}, t));
    QCOMPARE(t.totalPoints(1, 1), 11); // (30/60)^3 x 50 + 5
    table[1].targetTime = 30;
    QVERIFY(!aggregate(table, now, store, {}, t));
    QCOMPARE(t.totalPoints(1, 1), 5); // on target
    table[1].pointRate = 1.5f;
    QVERIFY(!aggregate(table, now, store, {}, t));
    QCOMPARE(t.totalPoints(1, 1), 7);
}

void TestAggregation::missingFileIsNoRecords()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"成績累積データ.dat"_s);
    ResultTables t = aggregated({{today, 0.1, 1, 1, 30}});
    ResultStore store(path);
    QVERIFY(!aggregate(criteria(), now, store, {}, t));
    QCOMPARE(t.totalTries(1, 1), 0);
    QCOMPARE(t.best(1, 1), 99999);
    QVERIFY(!QFile::exists(path));
}

void TestAggregation::recordFinishedDrill_data()
{
    QTest::addColumn<int>("time");
    QTest::addColumn<int>("earlierDrills"); // of 30 s (11 points each) in the file
    QTest::addColumn<int>("otherPupilBest");
    QTest::addColumn<bool>("clearedBefore");
    QTest::addColumn<bool>("personalBest");
    QTest::addColumn<bool>("levelBest");
    // clang-format off
    QTest::newRow("first drill is both bests")       << 40    << 0 << 99999 << false << true  << true;
    QTest::newRow("slower than before: nothing")     << 40    << 1 << 99999 << false << false << false;
    QTest::newRow("personal best, not level best")   << 25    << 1 << 20    << false << true  << false;
    QTest::newRow("equal to level best is no best")  << 20    << 0 << 20    << false << true  << false;
    QTest::newRow("cleared before: 2 tries, 22 points") << 50 << 2 << 99999 << true  << false << false;
    QTest::newRow("time-out never a best")           << 99999 << 0 << 99999 << false << false << false;
    // clang-format on
}

void TestAggregation::recordFinishedDrill()
{
    QFETCH(int, time);
    QFETCH(int, earlierDrills);
    QFETCH(int, otherPupilBest);
    QFETCH(bool, clearedBefore);
    QFETCH(bool, personalBest);
    QFETCH(bool, levelBest);

    QTemporaryDir dir;
    const QString path = dir.filePath(u"成績累積データ.dat"_s);
    QList<Rec> recs;
    for (int i = 0; i < earlierDrills; ++i)
        recs.append({today - 1, 0.5, 7, 1, 30});
    if (otherPupilBest != 99999) recs.append({today - 1, 0.5, 8, 1, otherPupilBest});
    QVERIFY(test::writeBytes(path, bytesOf(recs)));

    Session session;
    session.criteria = criteria();
    session.curPupilNo = 7;
    session.settings.schoolCode = u"12345"_s;
    session.drill.resultTime = time;
    ResultStore file(path);
    QVERIFY(!aggregate(session.criteria, now, file, {}, session.results));

    const QDateTime finished(QDate(2026, 12, 10), QTime(9, 5, 0));
    const DrillRecordOutcome outcome = kemoro::recordFinishedDrill(session, 1, finished, file, {});
    QVERIFY(!outcome.error);
    QCOMPARE(outcome.clearedBefore, clearedBefore);
    QCOMPARE(outcome.newPersonalBest, personalBest);
    QCOMPARE(outcome.newLevelBest, levelBest);
    QCOMPARE(session.results.newPersonalBest, personalBest);
    QCOMPARE(session.results.newLevelBest, levelBest);
    QCOMPARE(session.results.clearedBefore, clearedBefore);

    const QByteArray bytes = test::readBytes(path);
    QCOMPARE(bytes.size(), (recs.size() + 1) * record::size);
    QCOMPARE(bytes.right(record::size), encodeRecord(drillRecord(finished, 7, 1, time, u"12345"_s)));
}

QTEST_APPLESS_MAIN(TestAggregation)
#include "tst_aggregation.moc"
