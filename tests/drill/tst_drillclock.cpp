#include "drill/drillclock.h"

#include <QString>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace kemoro;

class TestDrillClock : public QObject
{
    Q_OBJECT
private slots:
    void elapsed_data();
    void elapsed();
    void redLamps_data();
    void redLamps();
    void bar_data();
    void bar();
    void timeOut_data();
    void timeOut();
};

void TestDrillClock::elapsed_data()
{
    QTest::addColumn<qint64>("ms");
    QTest::addColumn<int>("seconds");
    // clang-format off
    QTest::newRow("at the start")                  << qint64(0)     << 0;
    QTest::newRow("just under half a second")      << qint64(499)   << 0;
    QTest::newRow("half a second rounds up")       << qint64(500)   << 1;
    QTest::newRow("one tick late still one")       << qint64(1499)  << 1;
    QTest::newRow("five minutes")                  << qint64(300000) << 300;
    QTest::newRow("a reading before the start is 0") << qint64(-86000000) << 0;
    // clang-format on
}

void TestDrillClock::elapsed()
{
    QFETCH(qint64, ms);
    QFETCH(int, seconds);
    const qint64 start = 5000000;
    QCOMPARE(elapsedSeconds(start, start + ms), seconds);
}

void TestDrillClock::redLamps_data()
{
    QTest::addColumn<int>("elapsed");
    QTest::addColumn<int>("targetTime");
    QTest::addColumn<int>("minTime");
    QTest::addColumn<QString>("out"); // offsets from lamp 30, left to right
    // clang-format off
    QTest::newRow("more than nine seconds to target")    << 20 << 30  << 60  << u""_s;
    QTest::newRow("nine seconds to target: lamp 30")     << 21 << 30  << 60  << u"0"_s;
    QTest::newRow("five seconds to target")              << 25 << 30  << 60  << u"01234"_s;
    QTest::newRow("at target all ten")                   << 30 << 30  << 60  << u"0123456789"_s;
    QTest::newRow("past target none newly")              << 31 << 30  << 60  << u""_s;
    QTest::newRow("target below ten: out at first tick") << 1  << 5   << 60  << u"012345"_s;
    QTest::newRow("minimum countdown, nine to go: 30")   << 51 << 100 << 60  << u"0"_s;
    QTest::newRow("minimum countdown, at minTime: 39")   << 60 << 100 << 60  << u"9"_s;
    QTest::newRow("minimum countdown, four to go")       << 56 << 100 << 60  << u"5"_s;
    QTest::newRow("both countdowns in one second")       << 25 << 30  << 26  << u"012348"_s;
    // clang-format on
}

void TestDrillClock::redLamps()
{
    QFETCH(int, elapsed);
    QFETCH(int, targetTime);
    QFETCH(int, minTime);
    QFETCH(QString, out);
    std::bitset<10> expected;
    for (QChar c : out)
        expected.set(size_t(c.digitValue()));
    QCOMPARE(redLampsOut(elapsed, targetTime, minTime).to_string(), expected.to_string());
}

void TestDrillClock::bar_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<int>("timeLimit");
    QTest::addColumn<int>("width");
    // clang-format off
    QTest::newRow("nothing elapsed")              << 0   << 300 << 0;
    QTest::newRow("half the limit, half the frame") << 150 << 300 << 190;
    QTest::newRow("the whole limit fills it")     << 300 << 300 << 380;
    QTest::newRow("a mark past the limit stops at the frame") << 400 << 300 << 380;
    QTest::newRow("a limit of 0 never divides")   << 10  << 0   << 0;
    QTest::newRow("a negative limit stays empty") << 10  << -5  << 0;
    // clang-format on
}

void TestDrillClock::bar()
{
    QFETCH(int, seconds);
    QFETCH(int, timeLimit);
    QFETCH(int, width);
    QCOMPARE(barWidth(seconds, timeLimit, 380), width);
}

void TestDrillClock::timeOut_data()
{
    QTest::addColumn<int>("minTime");
    QTest::addColumn<int>("elapsed");
    QTest::addColumn<bool>("over");
    // clang-format off
    QTest::newRow("one second before five times minTime") << 60 << 299 << false;
    QTest::newRow("at five times minTime")                << 60 << 300 << true;
    QTest::newRow("minTime 0 ends at the first tick")     << 0  << 1   << true;
    // clang-format on
}

void TestDrillClock::timeOut()
{
    QFETCH(int, minTime);
    QFETCH(int, elapsed);
    QFETCH(bool, over);
    QCOMPARE(timedOut(elapsed, timeLimitFor(minTime)), over);
}

QTEST_APPLESS_MAIN(TestDrillClock)
#include "tst_drillclock.moc"
