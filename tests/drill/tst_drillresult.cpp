#include "drill/drillresult.h"
#include "state/session.h"

#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace kemoro;

class TestDrillResult : public QObject
{
    Q_OBJECT
private slots:
    void scoreAndTexts_data();
    void scoreAndTexts();
    void triesTexts();
    void outcome_data();
    void outcome();
    void passedAndGoal_data();
    void passedAndGoal();
    void overLimit_data();
    void overLimit();
    void bannerAndPassCue_data();
    void bannerAndPassCue();
    void reveal_data();
    void reveal();
};

void TestDrillResult::scoreAndTexts_data()
{
    QTest::addColumn<int>("resultTime");
    QTest::addColumn<bool>("timeUp");
    QTest::addColumn<float>("rate");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("points");
    // Target time 30 seconds throughout.
    // clang-format off
    QTest::newRow("on target gives 5")            << 30    << false << 1.0f << u"今の成績：30秒"_s  << u"獲得ポイント：5点×1→5点"_s;
    QTest::newRow("twice the target gives 1")     << 60    << false << 1.0f << u"今の成績：60秒"_s  << u"獲得ポイント：1点×1→1点"_s;
    QTest::newRow("just below twice gives 4")     << 59    << false << 1.0f << u"今の成績：59秒"_s  << u"獲得ポイント：4点×1→4点"_s;
    QTest::newRow("ten times the target gives 0") << 300   << false << 1.0f << u"今の成績：300秒"_s << u"獲得ポイント：0点×1→0点"_s;
    QTest::newRow("just below ten times gives 1") << 299   << false << 1.0f << u"今の成績：299秒"_s << u"獲得ポイント：1点×1→1点"_s;
    QTest::newRow("an instant drill gives 55")    << 0     << false << 1.0f << u"今の成績：0秒"_s   << u"獲得ポイント：55点×1→55点"_s;
    QTest::newRow("rate 1.5 on base 11 gives 16") << 15    << false << 1.5f << u"今の成績：15秒"_s  << u"獲得ポイント：11点×1.5→16点"_s;
    QTest::newRow("rate 1.1 shown as 1.1")        << 30    << false << 1.1f << u"今の成績：30秒"_s  << u"獲得ポイント：5点×1.1→5点"_s;
    QTest::newRow("a time-out: no record, 0")     << 99999 << true  << 1.5f << u"記録なし"_s       << u"獲得ポイント：0点×1.5→0点"_s;
    // clang-format on
}

void TestDrillResult::scoreAndTexts()
{
    QFETCH(int, resultTime);
    QFETCH(bool, timeUp);
    QFETCH(float, rate);
    QFETCH(QString, result);
    QFETCH(QString, points);
    CriteriaRow row;
    row.targetTime = 30;
    row.minTime = 60;
    row.pointRate = rate;
    QCOMPARE(resultText(resultTime, timeUp), result);
    QCOMPARE(pointsText(scoreDrill(resultTime, row), row.pointRate), points);
}

void TestDrillResult::triesTexts()
{
    QCOMPARE(levelTriesText(3), u" (このレベル　3回目)"_s);
    QCOMPARE(dayTriesText(12), u"（12回目)"_s);
}

void TestDrillResult::outcome_data()
{
    QTest::addColumn<bool>("timeUp");
    QTest::addColumn<bool>("personalBest");
    QTest::addColumn<bool>("levelBest");
    QTest::addColumn<int>("resultTime");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("cue"); // -1 none
    const int none = -1, pb = int(Cue::PersonalBest), lb = int(Cue::LevelBest), fail = int(Cue::Fail);
    // minTime 60 throughout.
    // clang-format off
    QTest::newRow("a time-out plays nothing")              << true  << false << false << 99999 << u"時間切れ"_s               << none;
    QTest::newRow("a personal best")                       << false << true  << false << 40    << u"新記録おめでとう"_s       << pb;
    QTest::newRow("a level best that is a personal best")  << false << true  << true  << 20    << u"！！！最高新記録！！！"_s << lb;
    QTest::newRow("a level best alone")                    << false << false << true  << 20    << u"！！！最高新記録！！！"_s << lb;
    QTest::newRow("no record within the minimum time")     << false << false << false << 59    << QString()                   << fail;
    QTest::newRow("no record at the minimum time")         << false << false << false << 60    << QString()                   << fail;
    QTest::newRow("no record slower than the minimum")     << false << false << false << 61    << QString()                   << none;
    // clang-format on
}

void TestDrillResult::outcome()
{
    QFETCH(bool, timeUp);
    QFETCH(bool, personalBest);
    QFETCH(bool, levelBest);
    QFETCH(int, resultTime);
    QFETCH(QString, text);
    QFETCH(int, cue);
    const Outcome o = drillOutcome(timeUp, personalBest, levelBest);
    QCOMPARE(outcomeText(o), text);
    const std::optional<Cue> played = outcomeCue(o, resultTime, 60);
    QCOMPARE(played ? int(*played) : -1, cue);
}

void TestDrillResult::passedAndGoal_data()
{
    QTest::addColumn<int>("tries");
    QTest::addColumn<int>("points");
    QTest::addColumn<bool>("passed");
    // clearCount 5, clearPoints 100.
    // clang-format off
    QTest::newRow("both reached")            << 5 << 100 << true;
    QTest::newRow("points short by one")     << 9 << 99  << false;
    QTest::newRow("tries short by one")      << 4 << 500 << false;
    QTest::newRow("nothing yet")             << 0 << 0   << false;
    // clang-format on
}

void TestDrillResult::passedAndGoal()
{
    QFETCH(int, tries);
    QFETCH(int, points);
    QFETCH(bool, passed);
    auto session = std::make_unique<Session>();
    session->curPupilNo = 7;
    session->goalLevel = 3;
    session->criteria[3].clearCount = 5;
    session->criteria[3].clearPoints = 100;
    session->results.judgeTries(3, 7) = tries;
    session->results.judgePoints(3, 7) = points;
    QCOMPARE(levelPassed(session->results, session->criteria, 3, 7), passed);
    QCOMPARE(goalCleared(*session), passed);
    session->goalLevel = 1; // level 1 needs nothing in this table: 0 >= 0
    QVERIFY(goalCleared(*session));
    QVERIFY(!levelPassed(session->results, session->criteria, 3, 8)); // another pupil
}

void TestDrillResult::overLimit_data()
{
    QTest::addColumn<QString>("overCount");
    QTest::addColumn<QString>("overPoints");
    QTest::addColumn<int>("tries");
    QTest::addColumn<int>("points");
    QTest::addColumn<bool>("over");
    // clang-format off
    QTest::newRow("0 and 0 are no limits")       << u"0"_s  << u"0"_s   << 50 << 5000 << false;
    QTest::newRow("empty limits are no limits")  << QString() << QString() << 50 << 5000 << false;
    QTest::newRow("drills reach the count")      << u"20"_s << u"300"_s << 20 << 0    << true;
    QTest::newRow("one drill short")             << u"20"_s << u"300"_s << 19 << 299  << false;
    QTest::newRow("points reach the limit")      << u"20"_s << u"300"_s << 1  << 300  << true;
    QTest::newRow("a text limit counts as none") << u"abc"_s << u"0"_s  << 50 << 50   << false;
    // clang-format on
}

void TestDrillResult::overLimit()
{
    QFETCH(QString, overCount);
    QFETCH(QString, overPoints);
    QFETCH(int, tries);
    QFETCH(int, points);
    QFETCH(bool, over);
    CriteriaRow row;
    row.overCount = FreeValue::fromField(overCount, false);
    row.overPoints = FreeValue::fromField(overPoints, false);
    auto tables = std::make_unique<ResultTables>();
    tables->limitTries(2, 9) = tries;
    tables->limitPoints(2, 9) = points;
    QCOMPARE(overPracticeLimit(*tables, row, 2, 9), over);
}

void TestDrillResult::bannerAndPassCue_data()
{
    QTest::addColumn<bool>("cleared");
    QTest::addColumn<bool>("goalLevel");
    QTest::addColumn<bool>("clearedBefore");
    QTest::addColumn<int>("levelWith9999"); // 0 none
    QTest::addColumn<bool>("banner");
    QTest::addColumn<bool>("passCue");
    // clang-format off
    QTest::newRow("goal cleared now")                   << true  << true  << false << 0  << true  << true;
    QTest::newRow("goal cleared before: banner, no cue") << true  << true  << true  << 0  << true  << false;
    QTest::newRow("a level never clearable: no banner") << true  << true  << false << 35 << false << true;
    QTest::newRow("another level cleared")              << true  << false << false << 0  << false << false;
    QTest::newRow("goal level not cleared")             << false << true  << false << 0  << false << false;
    // clang-format on
}

void TestDrillResult::bannerAndPassCue()
{
    QFETCH(bool, cleared);
    QFETCH(bool, goalLevel);
    QFETCH(bool, clearedBefore);
    QFETCH(int, levelWith9999);
    QFETCH(bool, banner);
    QFETCH(bool, passCue);
    CriteriaTable criteria;
    if (levelWith9999) criteria[size_t(levelWith9999)].clearCount = 9999;
    QCOMPARE(showGoalBanner(cleared, goalLevel, criteria), banner);
    QCOMPARE(playPassCue(cleared, goalLevel, clearedBefore), passCue);
}

void TestDrillResult::reveal_data()
{
    QTest::addColumn<bool>("over");
    QTest::addColumn<bool>("cleared");
    QTest::addColumn<bool>("goalLevel");
    QTest::addColumn<bool>("goalCleared");
    QTest::addColumn<bool>("again");
    QTest::addColumn<int>("banner");
    const int keep = int(Reveal::Banner::Keep), hide = int(Reveal::Banner::ClearAndHide),
              moveOn = int(Reveal::Banner::MoveOn);
    // clang-format off
    QTest::newRow("within the limit")                          << false << true  << false << false << true  << keep;
    QTest::newRow("over but not cleared")                      << true  << false << false << false << true  << keep;
    QTest::newRow("over and cleared on the goal level")        << true  << true  << true  << false << true  << hide;
    QTest::newRow("over and cleared, goal not cleared: move on") << true << true  << false << false << false << moveOn;
    QTest::newRow("over and cleared, goal cleared")            << true  << true  << false << true  << true  << keep;
    // clang-format on
}

void TestDrillResult::reveal()
{
    QFETCH(bool, over);
    QFETCH(bool, cleared);
    QFETCH(bool, goalLevel);
    QFETCH(bool, goalCleared);
    QFETCH(bool, again);
    QFETCH(int, banner);
    const Reveal r = revealAfterTimer(over, cleared, goalLevel, goalCleared);
    QCOMPARE(r.again, again);
    QCOMPARE(int(r.banner), banner);
}

QTEST_APPLESS_MAIN(TestDrillResult)
#include "tst_drillresult.moc"
