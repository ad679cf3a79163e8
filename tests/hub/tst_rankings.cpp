#include "hub/rankings.h"
#include "roster/grades.h"

#include "testsupport/fixtures.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace kemoro;
using namespace kemoro::hub;

namespace {
// Pupils 1..n of school year 2026; grades given per pupil.
} // namespace

class TestRankings : public QObject
{
    Q_OBJECT
private slots:
    void sortKeepsEqualKeysInOrder();
    void timeRankingLines();
    void gradeFilterKeepsPlacesOfTheWholeGroup();
    void pointsRanking();
    void pointsBeyondAThousandADay();
    void levelNotInUseSortsByMorePoints();
    void ranksAndNames_data();
    void ranksAndNames();
    void reportStyle();
};

void TestRankings::sortKeepsEqualKeysInOrder()
{
    std::vector<qint64> keys{5, 3, 5, 1, 3};
    std::vector<int> items{10, 11, 12, 13, 14};
    sortByKey(keys, items);
    QCOMPARE(items, (std::vector<int>{13, 11, 14, 10, 12}));
}

void TestRankings::timeRankingLines()
{
    const Roster roster = test::rosterOf({u"青木"_s, u"石井"_s, u"上田"_s, u"江藤"_s, u"大野"_s, u"加藤"_s},
                                         {3, 3, 3, 3, 3, 3});
    ResultTables t;
    t.best(1, 1) = 20;
    t.best(1, 2) = 10;
    t.best(1, 3) = 20;
    t.best(1, 4) = 30;
    t.best(1, 5) = 99998; // pupil 6 has no result
    RankingOptions o;
    o.gradeFilter = u"全学年"_s;
    o.currentPupil = 3;
    const Ranking r = buildRanking(roster, t, 1, o);
    QCOMPARE(r.lines, (QStringList{
                          u" 1③石井　　　    10 　"_s,
                          u" 2③青木　　　    20 　"_s,
                          u" 2●上田　　　    20 ●"_s,
                          u" 4③江藤　　　    30 　"_s,
                          u" 5③大野　　　*失敗* 　"_s,
                          u"--③加藤　　　------ 　"_s,
                      }));
    QCOMPARE(r.scrollRow, 1); // the line before the current pupil's
}

void TestRankings::gradeFilterKeepsPlacesOfTheWholeGroup()
{
    const Roster roster = test::rosterOf({u"a"_s, u"b"_s, u"c"_s, u"d"_s}, {1, 2, 2, 3});
    ResultTables t;
    for (int p = 1; p <= 4; ++p)
        t.best(1, p) = 10 * p;
    RankingOptions o;
    o.gradeFilter = u"小３"_s;
    QCOMPARE(buildRanking(roster, t, 1, o).lines, QStringList{u" 4③d　　　　    40 　"_s});
    o.gradeFilter = u"中学生全体"_s;
    QVERIFY(buildRanking(roster, t, 1, o).lines.isEmpty());
}

void TestRankings::pointsRanking()
{
    const Roster roster = test::rosterOf({u"a"_s, u"b"_s, u"c"_s}, {1, 1, 1});
    ResultTables t;
    t.totalPoints(1, 2) = 25;
    t.todayPoints(1, 2) = 5;
    RankingOptions o;
    o.view = RankView::Points;
    o.gradeFilter = u"全学年"_s;
    o.currentPupil = 1;
    QCOMPARE(buildRanking(roster, t, 1, o).lines, (QStringList{
                                                      u" 1①b　　　　  5/   25"_s,
                                                      u" 2●a　　　　  0/    0"_s,
                                                      u" 2①c　　　　  0/    0"_s,
                                                  }));
    t.totalPoints(1, 2) = 0;
    t.todayPoints(1, 2) = 0;
    // Nobody has points: no line shows a rank.
    for (const QString &line : buildRanking(roster, t, 1, o).lines)
        QVERIFY(line.startsWith(u"①"_s) || line.startsWith(u"●"_s));
}

void TestRankings::pointsBeyondAThousandADay()
{
    const Roster roster = test::rosterOf({u"a"_s, u"b"_s}, {1, 1});
    ResultTables t;
    t.totalPoints(1, 1) = 5000;
    t.todayPoints(1, 1) = 1000;
    t.totalPoints(1, 2) = 5000;
    t.todayPoints(1, 2) = 1200;
    RankingOptions o;
    o.view = RankView::Points;
    o.gradeFilter = u"全学年"_s;
    const Ranking r = buildRanking(roster, t, 1, o);
    QCOMPARE(r.pupils[0], 2);         // equal totals: more today first
    QCOMPARE(r.ranks.at(1), u" 1"_s); // same points so far, same rank
}

void TestRankings::levelNotInUseSortsByMorePoints()
{
    const Roster roster = test::rosterOf({u"a"_s, u"b"_s, u"c"_s, u"d"_s}, {1, 1, 1, 1});
    ResultTables t;
    t.best(2, 1) = 300;
    t.best(2, 3) = 900; // pupils 2 and 4 have none
    RankingOptions o;
    o.levelInUse = false;
    o.gradeFilter = u"全学年"_s;
    const Ranking r = buildRanking(roster, t, 2, o);
    QCOMPARE(r.pupils[0], 3);
    QCOMPARE(r.pupils[1], 1);
    QCOMPARE(r.pupils[2], 2);
    QCOMPARE(r.pupils[3], 4);
    QVERIFY(r.lines.at(3).startsWith(u"--"_s));
}

void TestRankings::ranksAndNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("five");
    QTest::newRow("short name padded") << u"林"_s << u"林　　　　"_s;
    QTest::newRow("six characters cut") << u"ながいなまえだ"_s << u"ながいなま"_s;
    QTest::newRow("trailing blanks dropped") << u"森  "_s << u"森　　　　"_s;
}

void TestRankings::ranksAndNames()
{
    QFETCH(QString, name);
    QFETCH(QString, five);
    QCOMPARE(name5(name), five);
    QCOMPARE(rankText(123, 2), u"23"_s);
    QCOMPARE(rankText(7, 2), u" 7"_s);
    QCOMPARE(rankText(0, 2), QString());
}

void TestRankings::reportStyle()
{
    const Roster roster = test::rosterOf({u"a"_s, u"b"_s, u"c"_s}, {1, 1, 1});
    ResultTables t;
    t.todayPoints(1, 3) = 7;
    t.totalPoints(1, 3) = 7;
    RankingOptions o;
    o.view = RankView::Points;
    o.pointRankPeriod = 2;
    o.gradeFilter = u"全学年"_s;
    o.reportStyle = true;
    const Ranking today = buildRanking(roster, t, 1, o);
    QCOMPARE(today.lines, QStringList{u"  1①c　　　　  7/    7"_s}); // only pupils with points today
    t.todayPoints(1, 3) = 0;
    t.totalPoints(1, 3) = 0;
    o.pointRankPeriod = 1;
    QCOMPARE(buildRanking(roster, t, 1, o).ranks.first(),
             u"  1"_s); // the first place is 1 even with no points
    o.view = RankView::Time;
    QCOMPARE(buildRanking(roster, t, 1, o).lines.first(), u"---①a　　　　------ 　"_s);
}

QTEST_APPLESS_MAIN(TestRankings)
#include "tst_rankings.moc"
