#include "state/session.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace kemoro;

class TestSession : public QObject
{
    Q_OBJECT
private slots:
    void defaultLevelTable();
    void dispatch_data();
    void dispatch();
    void startOfDrillReset();
    void minutesNeverNegative();
    void confirmingAPupil_data();
    void confirmingAPupil();
};

void TestSession::defaultLevelTable()
{
    Session session;
    session.criteria[3].targetTime = 77;
    session.levelCount = 9;
    buildDefaultLevelTable(session);
    const CriteriaTable criteriaBefore = session.criteria;
    const LevelTable first = session.levels;
    buildDefaultLevelTable(session); // twice gives the same table
    QCOMPARE(session.levels.levelName, first.levelName);
    QCOMPARE(session.criteria, criteriaBefore);
    QCOMPARE(session.levelCount, qint16(1));
    QCOMPARE(session.goalLevel, 1.0);
    const QStringList expected = {u"レベル１"_s,     u"レベル１－1"_s,  u"レベル１－２"_s, u"レベル２練習"_s,
                                  u"レベル２－１"_s, u"レベル２－２"_s, u"レベル３練習"_s, u"レベル３－１"_s,
                                  u"レベル３－２"_s, u"レベル４練習"_s, u"レベル４－1"_s,  u"レベル４－２"_s,
                                  u"レベル５練習"_s, u"レベル５－１"_s, u"レベル５－２"_s, u"レベル６練習"_s,
                                  u"レベル６－１"_s, u"レベル６－２"_s, u"レベル７練習"_s, u"レベル７－1"_s,
                                  u"レベル７－２"_s, u"レベル８練習"_s, u"レベル８－１"_s, u"レベル８－２"_s};
    for (int i = 1; i <= 24; ++i) {
        QCOMPARE(session.levels.levelName[i], expected.at(i - 1));
        QCOMPARE(session.levels.levelInUse[i], qint16(1));
    }
    QCOMPARE(session.levels.levelInUse[25], qint16(0));
    QCOMPARE(session.levels.levelInUse[0], qint16(0));
    QVERIFY(isPracticeLevel(session.levels.levelName[4]));
    QVERIFY(!isPracticeLevel(session.levels.levelName[5]));
}

void TestSession::dispatch_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("screen");
    const int none = int(DrillScreen::None), drill = int(DrillScreen::QuestionDrill),
              task = int(DrillScreen::TimedTask);
    QTest::newRow("0") << 0 << none;
    QTest::newRow("1") << 1 << drill;
    QTest::newRow("2") << 2 << task;
    QTest::newRow("19") << 19 << drill;
    QTest::newRow("20") << 20 << task;
    QTest::newRow("21 named but no screen") << 21 << none;
    QTest::newRow("24 named but no screen") << 24 << none;
    QTest::newRow("35") << 35 << none;
    QTest::newRow("-1") << -1 << none;
}

void TestSession::dispatch()
{
    QFETCH(int, level);
    QFETCH(int, screen);
    QCOMPARE(int(drillScreenFor(level)), screen);
}

void TestSession::startOfDrillReset()
{
    DrillState drill;
    drill.drillFinished = 1;
    drill.endStarted = 1;
    drill.correctCount = 7;
    drill.timeUp = 1;
    drill.resultTime = 42;
    resetForDrillStart(drill);
    QCOMPARE(drill.drillFinished, qint16(0));
    QCOMPARE(drill.endStarted, qint16(0));
    QCOMPARE(drill.correctCount, 0);
    QCOMPARE(drill.timeUp, qint16(0));
    QCOMPARE(drill.resultTime, 42);
}

void TestSession::minutesNeverNegative()
{
    Session session;
    session.sessionStartTick = 10 * 60000;
    QCOMPARE(minutesSinceStart(session, 10 * 60000 + 59999), 0);
    QCOMPARE(minutesSinceStart(session, 13 * 60000), 3);
    QCOMPARE(minutesSinceStart(session, 0), 0);
}

void TestSession::confirmingAPupil_data()
{
    QTest::addColumn<QTime>("timeOfDay");
    QTest::addColumn<int>("startTime");

    // clang-format off
    QTest::newRow("whole second")            << QTime(10, 0, 0)        << 36000;
    QTest::newRow("below half rounds down")  << QTime(10, 0, 0, 499)   << 36000;
    QTest::newRow("half rounds up")          << QTime(10, 0, 0, 500)   << 36001;
    QTest::newRow("midnight")                << QTime(0, 0, 0)         << 0;
    QTest::newRow("last half second of day") << QTime(23, 59, 59, 600) << 86400;
    // clang-format on
}

void TestSession::confirmingAPupil()
{
    QFETCH(QTime, timeOfDay);
    QFETCH(int, startTime);
    Session session;
    session.curLevel = 3;
    confirmPupil(session, 8, u"工藤　ゆうと"_s, u"小３"_s, timeOfDay, 123456);
    QCOMPARE(session.curPupilNo, qint16(8));
    QCOMPARE(session.curPupilName, u"工藤　ゆうと"_s);
    QCOMPARE(session.curPupilGrade, u"小３"_s);
    QCOMPARE(session.sessionStartTime, startTime);
    QCOMPARE(session.sessionStartTick, qint64(123456));
    // The level table and the level are the hub's to set up.
    QCOMPARE(session.curLevel, qint16(3));
    QCOMPARE(session.levelCount, qint16(0));
}

QTEST_APPLESS_MAIN(TestSession)
#include "tst_session.moc"
