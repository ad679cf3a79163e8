#include "drill/drillrun.h"

#include <QString>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace kemoro;

Q_DECLARE_METATYPE(DrillEnd::Kind)
Q_DECLARE_METATYPE(DrillEnd::Reason)

namespace {

constexpr int frame = 600; // the bar frame: 2 units a second on a 300 s limit

// The default level table with level 1 at target 30 s, minimum 60 s, and a
// drill run over the session's drill state.
struct Run
{
    Session session;
    DrillRun run{session.drill};

    explicit Run(int minTime = 60, int targetTime = 30)
    {
        buildDefaultLevelTable(session);
        for (CriteriaRow &row : session.criteria) {
            row.minTime = minTime;
            row.targetTime = targetTime;
        }
    }
    DrillStart start(int level = 1)
    {
        resetForDrillStart(session.drill);
        return run.start(level, session, 0, 9 * 3600.0, frame);
    }
    DrillTick tickAt(int seconds) { return run.tick(qint64(seconds) * 1000); }
};

} // namespace

class TestDrillRun : public QObject
{
    Q_OBJECT
private slots:
    void start_data();
    void start();
    void tick_data();
    void tick();
    void answers_data();
    void answers();
    void endsOnce_data();
    void endsOnce();
    void endByLevel_data();
    void endByLevel();
};

void TestDrillRun::start_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<bool>("inLevelSet");
    QTest::addColumn<int>("minTime");
    QTest::addColumn<bool>("inUse");
    QTest::addColumn<int>("timeLimit");
    QTest::addColumn<int>("targetBar");
    QTest::addColumn<int>("minBar");
    QTest::addColumn<QString>("tries");
    // clang-format off
    QTest::newRow("a level of the set: five times minTime")  << 1  << true  << 60 << true  << 300 << 60 << 120 << u"1"_s;
    QTest::newRow("minTime 0: the bars never divide")        << 1  << true  << 0  << true  << 0   << 0  << 0   << u"1"_s;
    QTest::newRow("a practice level counts no attempts")     << 4  << true  << 60 << true  << 300 << 60 << 120 << u"－"_s;
    QTest::newRow("a level not in use keeps the old limit")  << 3  << false << 60 << false << 77  << 0  << 0   << u"1"_s;
    // clang-format on
}

void TestDrillRun::start()
{
    QFETCH(int, level);
    QFETCH(bool, inLevelSet);
    QFETCH(int, minTime);
    QFETCH(bool, inUse);
    QFETCH(int, timeLimit);
    QFETCH(int, targetBar);
    QFETCH(int, minBar);
    QFETCH(QString, tries);
    Run r(minTime);
    r.session.levels.levelInUse[size_t(level)] = inLevelSet ? 1 : 0;
    DrillState &d = r.session.drill;
    d.timeLimit = 77; // left by the drill before
    d.drillFinished = d.endStarted = d.judgeResult = 1;
    d.elapsedSeconds = 40;

    const DrillStart s = r.start(level);
    QCOMPARE(s.inUse, inUse);
    QCOMPARE(s.timeLimit, timeLimit);
    QCOMPARE(d.timeLimit, timeLimit);
    QCOMPARE(s.targetBarWidth, targetBar);
    QCOMPARE(s.minBarWidth, minBar);
    QCOMPARE(s.levelName, r.session.levels.levelName[size_t(level)]);
    QCOMPARE(s.levelTries, tries);
    QCOMPARE(s.dayTries, tries);
    QCOMPARE(s.remaining, 10);
    QCOMPARE(d.questionCount, qint16(10));
    QCOMPARE(d.drillFinished + d.endStarted + d.judgeResult, 0);
    QCOMPARE(d.elapsedSeconds, 0);
    QCOMPARE(d.drillStartTime, 9 * 3600.0);
    QVERIFY(r.run.clockRunning());
}

void TestDrillRun::tick_data()
{
    QTest::addColumn<int>("minTime");
    QTest::addColumn<int>("targetTime");
    QTest::addColumn<qint64>("ms");
    QTest::addColumn<int>("elapsed");
    QTest::addColumn<QString>("lampsOut"); // offsets from lamp 30
    QTest::addColumn<int>("bar");
    QTest::addColumn<bool>("timedOut");
    // clang-format off
    QTest::newRow("early: bar grows, lamps lit")             << 60 << 30 << qint64(10000)  << 10  << u""_s     << 20  << false;
    QTest::newRow("a late tick rounds to the nearest second") << 60 << 30 << qint64(25499) << 25  << u"01234"_s << 50 << false;
    QTest::newRow("one second before the time-out")          << 60 << 30 << qint64(299000) << 299 << u""_s     << 598 << false;
    QTest::newRow("at five times minTime: time-out")         << 60 << 30 << qint64(300000) << 300 << u""_s     << 600 << true;
    QTest::newRow("minTime 0: out at the first tick")        << 0  << 30 << qint64(1000)   << 1   << u""_s     << 0   << true;
    QTest::newRow("minTime below 0: out at the first tick")  << -5 << 5  << qint64(1000)   << 1   << u"012345"_s << 0 << true;
    // clang-format on
}

void TestDrillRun::tick()
{
    QFETCH(int, minTime);
    QFETCH(int, targetTime);
    QFETCH(qint64, ms);
    QFETCH(int, elapsed);
    QFETCH(QString, lampsOut);
    QFETCH(int, bar);
    QFETCH(bool, timedOut);
    Run r(minTime, targetTime);
    r.start();
    const DrillTick t = r.run.tick(ms);
    QVERIFY(t.counted);
    QCOMPARE(t.elapsed, elapsed);
    QCOMPARE(r.session.drill.elapsedSeconds, elapsed);
    QString out;
    for (int k = 0; k < 10; ++k)
        if (t.lampsOut.test(size_t(k))) out += QString::number(k);
    QCOMPARE(out, lampsOut);
    QVERIFY(t.showSeconds);
    QCOMPARE(t.barWidth, bar);
    QCOMPARE(t.timedOut, timedOut);
    QCOMPARE(r.session.drill.timeUp, qint16(timedOut ? 1 : 0));
    QCOMPARE(r.run.clockRunning(), !timedOut);
    QCOMPARE(r.run.closed(), timedOut);
    // A stopped clock changes nothing more.
    if (timedOut) QVERIFY(!r.run.tick(ms + 1000).counted);
}

void TestDrillRun::answers_data()
{
    QTest::addColumn<QString>("answers"); // R right, W wrong
    QTest::addColumn<QList<int>>("remaining");
    QTest::addColumn<bool>("finished");
    // clang-format off
    QTest::newRow("a wrong first answer leaves ten")  << u"W"_s            << QList<int>{10}                                  << false;
    QTest::newRow("ten right finish")                 << u"RRRRRRRRRR"_s   << QList<int>{9, 8, 7, 6, 5, 4, 3, 2, 1, 0}         << true;
    QTest::newRow("a wrong one takes one back")       << u"RRRRRRRRRWRR"_s << QList<int>{9, 8, 7, 6, 5, 4, 3, 2, 1, 2, 1, 0} << true;
    QTest::newRow("a right answer after the end")     << u"RRRRRRRRRRR"_s  << QList<int>{9, 8, 7, 6, 5, 4, 3, 2, 1, 0}         << true;
    // clang-format on
}

void TestDrillRun::answers()
{
    QFETCH(QString, answers);
    QFETCH(QList<int>, remaining);
    QFETCH(bool, finished);
    Run r;
    r.start();
    QList<int> shown;
    bool ended = false;
    for (int i = 0; i < answers.size(); ++i) {
        const bool right = answers.at(i) == u'R';
        const AnswerOutcome a = r.run.answered(right ? Judgement::Right : Judgement::Wrong);
        if (!a.taken) {
            QVERIFY(ended);
            continue;
        }
        QCOMPARE(a.cue, right ? Cue::Right : Cue::Wrong);
        QVERIFY(r.run.inputHeld());
        // While the cue plays a second judgement is not taken.
        QVERIFY(!r.run.answered(Judgement::Right).taken);
        QCOMPARE(r.run.clockRunning(), !a.last);
        const AnswerCount c = r.run.cueEnded();
        QVERIFY(c.taken);
        QVERIFY(!r.run.inputHeld());
        QCOMPARE(c.remaining, r.session.drill.questionCount - r.session.drill.correctCount);
        QCOMPARE(c.nextQuestion, right && !c.finished);
        QCOMPARE(c.finished, a.last);
        shown.append(c.remaining);
        ended = c.finished;
    }
    QCOMPARE(shown, remaining);
    QCOMPARE(ended, finished);
    QCOMPARE(r.session.drill.drillFinished, qint16(finished ? 1 : 0));
}

void TestDrillRun::endsOnce_data()
{
    // E a tick at 299 s, T the tick at the time-out (300 s), A the last right
    // answer, C the end of its cue, F the finish button, X the window closed
    // (the drill given up).
    QTest::addColumn<QString>("steps");
    QTest::addColumn<bool>("timeUp");
    QTest::addColumn<int>("resultTime");
    QTest::addColumn<bool>("recorded"); // false: given up, nothing ends
    // clang-format off
    QTest::newRow("last answer, then the time-out")          << u"EACT"_s << false << 299         << true;
    QTest::newRow("time-out while the last cue still plays") << u"EATC"_s << false << 299         << true;
    QTest::newRow("time-out before the last answer")         << u"ETAC"_s << true  << int(noTime) << true;
    QTest::newRow("finish button, then the time-out")        << u"EFT"_s  << false << 299         << true;
    QTest::newRow("time-out, then the finish button")        << u"ETF"_s  << true  << int(noTime) << true;
    QTest::newRow("finish button twice before a tick")       << u"FF"_s   << false << 0           << true;
    QTest::newRow("given up: the time-out ends nothing")     << u"EXT"_s  << false << 0           << false;
    QTest::newRow("given up while the last cue plays")       << u"EAXC"_s << false << 0           << false;
    QTest::newRow("the end has begun: no give-up")           << u"EFX"_s  << false << 299         << true;
    // clang-format on
}

void TestDrillRun::endsOnce()
{
    QFETCH(QString, steps);
    QFETCH(bool, timeUp);
    QFETCH(int, resultTime);
    QFETCH(bool, recorded);
    Run r;
    r.start();
    r.session.drill.correctCount = 9;
    bool givenUp = false;
    QList<DrillEnd> ends;
    // What a drill screen does after each step that may end the drill.
    const auto endIf = [&](bool ending) {
        if (!ending) return;
        const DrillEnd e = r.run.end();
        if (e.kind != DrillEnd::Kind::AlreadyEnded) ends.append(e);
    };
    for (const QChar step : steps) {
        switch (step.unicode()) {
        case u'E':
            endIf(r.tickAt(299).timedOut);
            break;
        case u'T':
            endIf(r.tickAt(300).timedOut);
            break;
        case u'A':
            r.run.answered(Judgement::Right);
            break;
        case u'C':
            endIf(r.run.cueEnded().finished);
            break;
        case u'F':
            endIf(r.run.finish());
            break;
        case u'X':
            givenUp = r.run.abandon();
            break;
        }
    }
    QCOMPARE(givenUp, !recorded && steps.contains(u'X'));
    QCOMPARE(r.session.drill.timeUp, qint16(timeUp ? 1 : 0));
    QCOMPARE(r.session.drill.endStarted, qint16(1));
    QVERIFY(!r.run.clockRunning());
    if (!recorded) {
        QCOMPARE(ends.size(), 0);
        QCOMPARE(r.run.cueEnded().taken, false);
        QCOMPARE(r.run.end().kind, DrillEnd::Kind::AlreadyEnded);
        return;
    }
    QCOMPARE(ends.size(), 1);
    QCOMPARE(ends.first().kind, DrillEnd::Kind::Record);
    QCOMPARE(ends.first().timeUp, timeUp);
    QCOMPARE(ends.first().resultTime, resultTime);
    QCOMPARE(r.session.drill.resultTime, resultTime);
    QCOMPARE(r.run.end().kind, DrillEnd::Kind::AlreadyEnded);
}

void TestDrillRun::endByLevel_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<bool>("inLevelSet");
    QTest::addColumn<DrillEnd::Kind>("kind");
    QTest::addColumn<DrillEnd::Reason>("reason");
    using K = DrillEnd::Kind;
    using R = DrillEnd::Reason;
    // clang-format off
    QTest::newRow("a level of the set is recorded")       << 1  << true  << K::Record         << R::None;
    QTest::newRow("a practice level returns")             << 4  << true  << K::PracticeReturn << R::None;
    QTest::newRow("practice comes before the level set")  << 7  << false << K::PracticeReturn << R::None;
    QTest::newRow("a level not in use is not playable")   << 3  << false << K::NotPlayable    << R::LevelNotInUse;
    QTest::newRow("a level outside the table")            << 36 << false << K::NotPlayable    << R::LevelOutOfRange;
    // clang-format on
}

void TestDrillRun::endByLevel()
{
    QFETCH(int, level);
    QFETCH(bool, inLevelSet);
    QFETCH(DrillEnd::Kind, kind);
    QFETCH(DrillEnd::Reason, reason);
    Run r;
    if (level <= maxLevel) r.session.levels.levelInUse[size_t(level)] = inLevelSet ? 1 : 0;
    r.session.drill.resultTime = 1234;
    r.session.drill.timeLimit = 300; // a level outside the set keeps the limit it finds
    r.start(level);
    r.tickAt(42);
    QVERIFY(r.run.finish());
    const DrillEnd e = r.run.end();
    QCOMPARE(e.kind, kind);
    QCOMPARE(e.reason, reason);
    QVERIFY(!e.timeUp);
    // Only a recorded drill has a result time.
    QCOMPARE(r.session.drill.resultTime, kind == DrillEnd::Kind::Record ? 42 : 1234);
    QVERIFY(!r.run.clockRunning());
}

QTEST_APPLESS_MAIN(TestDrillRun)
#include "tst_drillrun.moc"
