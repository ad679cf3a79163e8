#include "print/report.h"
#include "recordingsurface.h"
#include "results/resultrecord.h"

#include "testsupport/fixtures.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace kemoro;
using namespace kemoro::report;
using Kind = test::RecordingSurface::Kind;

namespace {
const QDateTime now(QDate(2026, 12, 10), QTime(10, 0));
const Geometry geometry{12000, 9000}; // F = 6000, C = 3000

QString fw(int n)
{
    return QString(n, QChar(0x3000));
}

struct Drill
{
    int pupil;
    int level;
    qint32 time;
    QDate date = QDate(2026, 12, 1);
};

ResultWindow fileOf(const QList<Drill> &drills)
{
    ResultWindow file;
    for (const Drill &d : drills)
        file.bytes += encodeRecord(drillRecord(QDateTime(d.date, QTime(9, 30)), qint16(d.pupil),
                                               qint16(d.level), d.time, u"12345"_s));
    file.totalRecords = file.count();
    return file;
}

BlockInput inputFor(int pupil = 8, double top = 450)
{
    BlockInput in;
    in.pupil = pupil;
    in.level = 1;
    in.levelCount = 3;
    in.now = now;
    in.top = top;
    in.geometry = geometry;
    return in;
}

double xAt(double t, double total)
{
    return 6000 * (0.7 * t / total + 0.2);
}
double yAt(double n, double d, double m)
{
    return n + 3000 * (0.8 - 0.7 * d / m);
}

} // namespace

class TestReport : public QObject
{
    Q_OBJECT
private slots:
    void fields_data();
    void fields();
    void chartTop_data();
    void chartTop();
    void figureRows_data();
    void figureRows();
    void chartPositionsAndBests();
    void recordsOutsideTheWindow();
    void onlyTimeOuts();
    void drillsOlderThanTheFirstPassStayOnTheAxis();
    void gradeBoxHidesTheDrills();
    void blocksAndPages_data();
    void blocksAndPages();
    void bestLabels();
    void rankingValues_data();
    void rankingValues();
    void pupilLines();
};

void TestReport::fields_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("text");
    // clang-format off
    QTest::newRow("right-aligned")          << 37.0   << 5 << u"   37"_s;
    QTest::newRow("zero is blank")          << 0.0    << 5 << u"     "_s;
    QTest::newRow("rounded to zero, blank") << 0.4    << 3 << u"   "_s;
    QTest::newRow("half away from zero")    << 12.5   << 5 << u"   13"_s;
    QTest::newRow("below half down")        << 12.49  << 5 << u"   12"_s;
    QTest::newRow("last digits only")       << 1000.0 << 3 << u"000"_s;
    QTest::newRow("school best none")       << 99999.0 << 5 << u"99999"_s;
    // clang-format on
}

void TestReport::fields()
{
    QFETCH(double, value);
    QFETCH(int, width);
    QFETCH(QString, text);
    QCOMPARE(numberField(value, width), text);
}

void TestReport::chartTop_data()
{
    QTest::addColumn<int>("slowest");
    QTest::addColumn<int>("top");
    // clang-format off
    QTest::newRow("37 to the next ten")      << 37   << 40;
    QTest::newRow("40 to the ten above")     << 40   << 50;
    QTest::newRow("no drill")                << 0    << 10;
    QTest::newRow("1500 limited to 1000")    << 1500 << 1000;
    QTest::newRow("995 just reaches 1000")   << 995  << 1000;
    // clang-format on
}

void TestReport::chartTop()
{
    QFETCH(int, slowest);
    QFETCH(int, top);
    QCOMPARE(report::chartTop(slowest), top);
}

void TestReport::figureRows_data()
{
    QTest::addColumn<qint64>("count");
    QTest::addColumn<qint64>("sum");
    QTest::addColumn<int>("schoolBest");
    QTest::addColumn<QString>("lastBest");
    QTest::addColumn<int>("timeRank");
    QTest::addColumn<qint64>("pointsPupils");
    QTest::addColumn<QStringList>("rows");

    const QString row2 = u"タイム  "_s + fw(2) + u' ' + fw(1) + u"    本人 / 塾全体"_s;
    const QString row6 = u"ポイント  "_s + fw(3);
    const QString caption = fw(12) + u" (塾平均)"_s;
    const QString pointsRow = fw(2) + u"順位"_s + fw(4) + u"    1位"_s;
    const QString pointsOwn = fw(2) + u"獲得ポイント"_s + u"   45点"_s;
    // clang-format off
    QTest::newRow("all rows")
        << qint64(4) << qint64(101) << 12 << u"25秒"_s << 2 << qint64(2)
        << QStringList{u"回数"_s + fw(7) + u"  4回"_s, row2,
                       fw(2) + u"順位"_s + fw(4) + u"    2位"_s,
                       fw(2) + u"最高"_s + fw(4) + u"   25秒 /   12秒"_s,
                       fw(2) + u"平均"_s + fw(4) + u"   25秒 /   13秒"_s,
                       row6, pointsRow, pointsOwn,
                       fw(12) + u"/   38点"_s, caption};
    QTest::newRow("count of 1000 shows its last three digits, zeros blank")
        << qint64(1000) << qint64(25000) << 12 << u"8秒"_s << 0 << qint64(2)
        << QStringList{u"回数"_s + fw(7) + u"000回"_s, row2,
                       fw(2) + u"順位"_s + fw(4) + u"     位"_s,
                       fw(2) + u"最高"_s + fw(4) + u"    8秒 /   12秒"_s,
                       fw(2) + u"平均"_s + fw(4) + u"   25秒 /   13秒"_s,
                       row6, pointsRow, pointsOwn,
                       fw(12) + u"/   38点"_s, caption};
    QTest::newRow("no count: no average row; no points pupils: no points average; no school record")
        << qint64(0) << qint64(0) << 99999 << QString() << 0 << qint64(0)
        << QStringList{u"回数"_s + fw(7) + u"   回"_s, row2,
                       fw(2) + u"順位"_s + fw(4) + u"     位"_s,
                       fw(2) + u"最高"_s + fw(4) + u"       /99999秒"_s,
                       QString(), row6, pointsRow, pointsOwn, QString(), caption};
    // clang-format on
}

void TestReport::figureRows()
{
    QFETCH(qint64, count);
    QFETCH(qint64, sum);
    QFETCH(int, schoolBest);
    QFETCH(QString, lastBest);
    QFETCH(int, timeRank);
    QFETCH(qint64, pointsPupils);
    QFETCH(QStringList, rows);
    BlockFigures f;
    f.count = count;
    f.sum = sum;      // 101 / 4 = 25.25: cut to 25
    f.schoolSum = 25; // 25 / 2 = 12.5: rounded to 13
    f.schoolCount = 2;
    f.schoolBest = schoolBest;
    if (!lastBest.isEmpty()) f.bests.push_back({0, 0, 0, lastBest, u"2026/12/01"_s});
    LevelRanks r;
    r.timeRank = timeRank;
    r.pointsRank = 1;
    r.points = 45;
    r.pointsSum = 75; // 75 / 2 = 37.5: rounded to 38
    r.pointsPupils = pointsPupils;
    QCOMPARE(report::figureRows(f, r), rows);
}

void TestReport::chartPositionsAndBests()
{
    // Pupil 8 on level 1: 30, 20, 20 (equal: no best), 25, 10; others around.
    const ResultWindow file =
        fileOf({{8, 1, 30}, {9, 1, 7}, {8, 1, 20}, {8, 2, 5}, {8, 1, 20}, {8, 1, 25}, {8, 1, 10}, {9, 2, 3}});
    const BlockFigures f = blockFigures(file, inputFor());
    QCOMPARE(f.count, 5);
    QCOMPARE(f.sum, 105);
    QCOMPARE(f.slowest, 30);
    QCOMPARE(f.chartTop, 40);
    QCOMPARE(f.schoolBest, 7);
    QCOMPARE(f.schoolCount, 6);
    QCOMPARE(f.schoolSum, 112);
    QCOMPARE(f.lastDate, u"2026/12/01"_s);
    const QList<qint32> times{30, 20, 20, 25, 10};
    const QList<bool> best{true, true, false, false, true};
    QCOMPARE(f.points.size(), size_t(5));
    for (int k = 0; k < 5; ++k) {
        QCOMPARE(f.points[size_t(k)].x, xAt(k + 1, 5));
        QCOMPARE(f.points[size_t(k)].y, yAt(450, times.at(k), 40));
        QCOMPARE(f.points[size_t(k)].best, best.at(k));
    }
    QCOMPARE(f.bests.size(), size_t(3));
    QCOMPARE(f.bests.back().timeText, u"10秒"_s);
    QCOMPARE(f.lastX, xAt(5, 5));

    test::RecordingSurface s;
    drawBlock(s, inputFor(), f, {}, u"工藤"_s, u"ケモロ レベル１"_s, Style{});
    const auto points = s.of(Kind::Point);
    QCOMPARE(points.size(), 5);
    QCOMPARE(points.at(2).colour, (Rgb{0, 0, 255})); // the equal time
    QCOMPARE(points.at(4).colour, (Rgb{255, 0, 0}));
    QCOMPARE(points.at(4).lineWidth, 5.0);
    const auto lines = s.of(Kind::Line);
    const QList<Rgb> bestLineColours{lines.at(lines.size() - 2).colour, lines.back().colour};
    QCOMPARE(bestLineColours, (QList<Rgb>{{0, 0, 0}, {0, 0, 0}}));
    QCOMPARE(lines.back().lineWidth, 3.0);
    QCOMPARE(lines.back().to, QPointF(xAt(5, 5), yAt(450, 10, 40)));
}

void TestReport::recordsOutsideTheWindow()
{
    const ResultWindow file = fileOf({
        {8, 1, 15, QDate(2016, 12, 12)}, // 3650 days back: outside
        {8, 1, 40, QDate(2016, 12, 13)}, // the oldest day inside
        {8, 4, 2},                       // level beyond the level count
        {8, 1, -5},                      // a negative time reads as 99999
        {0, 1, 1},                       // nobody
    });
    const BlockFigures f = blockFigures(file, inputFor());
    QCOMPARE(f.count, 1);
    QCOMPARE(f.slowest, 40);
    QCOMPARE(f.schoolBest, 40);
    QCOMPARE(f.points.size(), size_t(2));
    QVERIFY(f.points.back().y < -1000000); // the time-out lands far above the block
    QCOMPARE(f.lastDate, u"2026/12/01"_s); // the level-4 record is outside, the negative time inside
}

void TestReport::onlyTimeOuts()
{
    const ResultWindow file = fileOf({{8, 1, 99999}, {8, 1, 99998}});
    const BlockFigures f = blockFigures(file, inputFor());
    QCOMPARE(f.count, 0);
    QCOMPARE(f.chartTop, 10);
    QCOMPARE(f.plotted, 0);
    QVERIFY(f.bests.empty());
    for (const PlotPoint &p : f.points)
        QCOMPARE(p.x, 0.2 * 6000);
    QCOMPARE(f.schoolBest, 99998);
    QVERIFY(report::figureRows(f, {}).at(4).isEmpty());

    test::RecordingSurface s;
    drawBlock(s, inputFor(), f, {}, u"工藤"_s, u"t"_s, Style{});
    QCOMPARE(s.textOp(u"0秒"_s).kind, Kind::NewPage); // no axis labels without a best
}

void TestReport::drillsOlderThanTheFirstPassStayOnTheAxis()
{
    QList<Drill> drills{{8, 1, 30}, {8, 1, 20}, {8, 1, 25}};
    for (int k = 0; k < int(firstPassRecords); ++k)
        drills.append({9, 2, 50});
    const BlockFigures f = blockFigures(fileOf(drills), inputFor());
    QCOMPARE(f.count, 0);
    QCOMPARE(f.plotted, 3);
    QCOMPARE(f.points.back().x, xAt(3, 3));
    QCOMPARE(f.bests.size(), size_t(2));
}

void TestReport::gradeBoxHidesTheDrills()
{
    BlockInput in = inputFor();
    in.gradeMatches = false;
    const BlockFigures f = blockFigures(fileOf({{8, 1, 30}, {8, 1, 20}}), in);
    QVERIFY(f.points.empty());
    QVERIFY(f.bests.empty());
    QCOMPARE(f.count, 2);
    QCOMPARE(f.schoolCount, 2);
}

void TestReport::blocksAndPages_data()
{
    QTest::addColumn<bool>("paper");
    QTest::addColumn<QList<int>>("items");
    QTest::addColumn<int>("levelCount");
    QTest::addColumn<QList<double>>("ruleTops"); // upper rules as parts of H
    QTest::addColumn<int>("newPages");
    QTest::addColumn<int>("names");
    QTest::addColumn<QList<int>>("ranked");
    // clang-format off
    QTest::newRow("three levels fill one page")
        << true << QList<int>{1, 2, 3} << 3 << QList<double>{0.05, 0.35, 0.65} << 0 << 1 << QList<int>{1, 2, 3};
    QTest::newRow("a fourth level on a new page, with the name again")
        << true << QList<int>{1, 2, 3, 4} << 4 << QList<double>{0.05, 0.35, 0.65, 0.05} << 1 << 2 << QList<int>{1, 2, 3, 4};
    QTest::newRow("screen: cleared first, and again for the fourth")
        << false << QList<int>{1, 2, 3, 4} << 4 << QList<double>{0.05, 0.35, 0.65, 0.05} << 2 << 2 << QList<int>{1, 2, 3, 4};
    QTest::newRow("unselected levels leave no gap")
        << true << QList<int>{2, 4} << 4 << QList<double>{0.05, 0.35} << 0 << 1 << QList<int>{2, 4};
    QTest::newRow("ranked, then stopped beyond the level count")
        << true << QList<int>{1, 2, 3} << 2 << QList<double>{0.05, 0.35} << 0 << 1 << QList<int>{1, 2, 3};
    // clang-format on
}

void TestReport::blocksAndPages()
{
    QFETCH(bool, paper);
    QFETCH(QList<int>, items);
    QFETCH(int, levelCount);
    QFETCH(QList<double>, ruleTops);
    QFETCH(int, newPages);
    QFETCH(int, names);
    QFETCH(QList<int>, ranked);
    test::RecordingSurface s;
    Request r;
    r.pupil = 8;
    r.pupilName = u"工藤　ゆうと"_s;
    r.levelItems.assign(items.begin(), items.end());
    r.levelCount = levelCount;
    r.now = now;
    r.style.paper = paper;
    r.title = [](int level) { return u"ケモロ L%1"_s.arg(level); };
    QList<int> rankedLevels;
    Hooks h;
    h.rank = [&](int level) {
        rankedLevels.append(level);
        return LevelRanks();
    };
    h.read = [](ResultWindow &file) {
        file = fileOf({{8, 1, 30}});
        return std::optional<ResultFileError>();
    };
    QVERIFY(!drawReport(s, r, h));
    QCOMPARE(rankedLevels, ranked);

    QList<double> tops;
    for (const auto &op : s.of(Kind::Line))
        if (op.colour == Rgb{1, 0, 0} && op.lineWidth == 2 && op.from.x() == 0 && op.to.x() == 12000)
            tops.append(op.from.y() / 9000);
    QCOMPARE(tops.size(), 2 * ruleTops.size()); // upper rule and the rule under the title
    for (int k = 0; k < ruleTops.size(); ++k)
        QVERIFY2(qAbs(tops.at(2 * k) - ruleTops.at(k)) < 1e-9, qPrintable(QString::number(tops.at(2 * k))));
    QCOMPARE(s.of(Kind::NewPage).size(), newPages);
    int nameCount = 0;
    for (const auto &op : s.of(Kind::Text)) {
        if (op.text == r.pupilName) {
            ++nameCount;
            QCOMPARE(op.from, QPointF(0.01 * 6000, 0.02 * 3000));
            QCOMPARE(op.fontSize, 18.0);
        }
    }
    QCOMPARE(nameCount, names);
    const auto title = s.textOp(u"ケモロ L%1"_s.arg(items.first()));
    QCOMPARE(title.fontSize, paper ? 18.0 : 12.0);
    const auto row1 = s.textOp(u"回数"_s + fw(7) + u"  1回"_s);
    const double step = (paper ? 0.06 : 0.08) * 3000;
    if (items.first() == 1) QCOMPARE(row1.from, QPointF(1.05 * 6000, 0.05 * 9000 + 0.05 * 3000 + step));
    QCOMPARE(s.textOp(fw(12) + u" (塾平均)"_s).from.y() - s.textOp(u"ポイント  "_s + fw(3)).from.y(),
             3.5 * step);
}

void TestReport::bestLabels()
{
    // Eight bests; dates chosen so that entry 3 shares the year of entry 2,
    // entry 6 does not share the year of entry 5, and the last shares the year of entry 7.
    const QList<QDate> dates{QDate(2025, 1, 5), QDate(2025, 2, 5), QDate(2025, 3, 5), QDate(2025, 4, 5),
                             QDate(2025, 5, 5), QDate(2026, 6, 5), QDate(2026, 7, 5), QDate(2026, 8, 5)};
    QList<Drill> drills;
    for (int k = 0; k < 8; ++k)
        drills.append({8, 1, 80 - 10 * k, dates.at(k)});
    const BlockInput in = inputFor(8, 450);
    const BlockFigures f = blockFigures(fileOf(drills), in);
    QCOMPARE(f.bests.size(), size_t(8));
    test::RecordingSurface s;
    drawBlock(s, in, f, {}, u"工藤"_s, u"t"_s, Style{});

    const double m = 90; // slowest 80
    auto x = [](int k) { return xAt(k, 8) - 0.025 * 6000; };
    auto y = [&](int k) { return yAt(450, 80 - 10 * (k - 1), m); };
    QCOMPARE(s.textOp(u"0秒"_s).from, QPointF(0.12 * 6000, 450 + 0.79 * 3000));
    QCOMPARE(s.textOp(u"90秒"_s).from, QPointF(0.12 * 6000, 450 + 0.1 * 3000));
    QCOMPARE(s.textOp(u"80秒"_s).from, QPointF(0.12 * 6000, y(1) - 0.01 * 3000));
    QCOMPARE(s.textOp(u"2025/01/05"_s).from, QPointF(x(1), 450 + 0.815 * 3000));
    QCOMPARE(s.textOp(u"60秒"_s).from, QPointF(x(3), y(3) + 0.01 * 3000));
    QCOMPARE(s.textOp(u"03/05"_s).from, QPointF(x(3), y(3) + 0.03 * 3000));
    QCOMPARE(s.textOp(u"30秒"_s).from, QPointF(x(6), y(6) + 0.01 * 3000));
    QCOMPARE(s.textOp(u"2026/06/05"_s).from, QPointF(x(6), y(6) + 0.03 * 3000));
    QCOMPARE(s.textOp(u"10秒"_s).from, QPointF(x(8), y(8) + 0.04 * 3000));
    QCOMPARE(s.textOp(u"08/05"_s).from, QPointF(x(8), y(8) + 0.07 * 3000));
    // The newest record's date under the last point.
    QCOMPARE(s.textOp(u"2026/08/05"_s).from, QPointF(x(8), 450 + 0.815 * 3000));
    for (const QString &unlabelled : {u"70秒"_s, u"50秒"_s, u"40秒"_s, u"20秒"_s})
        QCOMPARE(s.textOp(unlabelled).kind, Kind::NewPage);
    int blackLines = 0;
    for (const auto &op : s.of(Kind::Line))
        blackLines += op.colour == Rgb{0, 0, 0} && op.lineWidth == 3;
    QCOMPARE(blackLines, 7);
}

void TestReport::rankingValues_data()
{
    QTest::addColumn<QList<int>>("bests");
    QTest::addColumn<QList<int>>("totals");
    QTest::addColumn<QList<int>>("todays");
    QTest::addColumn<int>("period");
    QTest::addColumn<QString>("grade");
    QTest::addColumn<int>("pupil");
    QTest::addColumn<QList<qint64>>("values"); // timeRank, pointsRank, points, sum, pupils
    QTest::addColumn<QString>("firstPointsLine");
    // Pupils 1..4: grades 3, 3, 3, 4.
    // clang-format off
    QTest::newRow("ties share a place: 2, 2, 4")
        << QList<int>{10, 20, 20, 30} << QList<int>{9, 0, 30, 30} << QList<int>{0, 0, 0, 0} << 1 << u"全学年"_s << 4
        << QList<qint64>{4, 1, 30, 69, 3} << u"  1③上田　　　  0/   30"_s;
    QTest::newRow("no result: no time place")
        << QList<int>{10, 99999, 20, 30} << QList<int>{9, 0, 30, 30} << QList<int>{0, 0, 0, 0} << 1 << u"全学年"_s << 2
        << QList<qint64>{0, 4, 0, 69, 3} << u"  1③上田　　　  0/   30"_s;
    QTest::newRow("today: pupils without points today are not listed")
        << QList<int>{10, 20, 20, 30} << QList<int>{9, 5, 30, 30} << QList<int>{4, 0, 0, 6} << 2 << u"全学年"_s << 2
        << QList<qint64>{2, 0, 0, 39, 2} << u"  1④大野　　　  6/   30"_s;
    QTest::newRow("nobody has points: still the first place")
        << QList<int>{10, 20, 20, 30} << QList<int>{0, 0, 0, 0} << QList<int>{0, 0, 0, 0} << 1 << u"全学年"_s << 3
        << QList<qint64>{2, 1, 0, 0, 0} << u"  1③青木　　　  0/    0"_s;
    QTest::newRow("grade box: other grades neither listed nor counted")
        << QList<int>{10, 20, 20, 30} << QList<int>{9, 5, 30, 30} << QList<int>{0, 0, 0, 0} << 1 << u"小３"_s << 4
        << QList<qint64>{0, 0, 0, 44, 3} << u"  1③上田　　　  0/   30"_s;
    // clang-format on
}

void TestReport::rankingValues()
{
    QFETCH(QList<int>, bests);
    QFETCH(QList<int>, totals);
    QFETCH(QList<int>, todays);
    QFETCH(int, period);
    QFETCH(QString, grade);
    QFETCH(int, pupil);
    QFETCH(QList<qint64>, values);
    QFETCH(QString, firstPointsLine);
    const Roster roster = test::rosterOf({u"青木"_s, u"石井"_s, u"上田"_s, u"大野"_s}, {3, 3, 3, 4});
    ResultTables t;
    for (int p = 1; p <= 4; ++p) {
        t.best(1, p) = bests.at(p - 1);
        t.totalPoints(1, p) = totals.at(p - 1);
        t.todayPoints(1, p) = todays.at(p - 1);
    }
    hub::RankingOptions o;
    o.gradeFilter = grade;
    o.pointRankPeriod = period;
    const RankingStep step = rankingStep(hub::rankedPupils(roster), t, 1, pupil, o);
    const LevelRanks &v = step.values;
    QCOMPARE((QList<qint64>{v.timeRank, v.pointsRank, v.points, v.pointsSum, v.pointsPupils}), values);
    QCOMPARE(step.points.lines.value(0), firstPointsLine);
}

void TestReport::pupilLines()
{
    // Two names alike in their first five characters; a pupil of status 1.
    const QString text = u"1,2017,0,0,やまだはなこさん,0,,\r\n2,2017,0,0,やまだはなこちゃん,0,,\r\n"
                         u"3,2018,0,0,あべ,0,,\r\n4,2017,0,0,いない,1,,\r\n"_s;
    Roster roster;
    roster.schoolYear = 2026;
    Diagnostics d;
    readRoster(text, u"新名簿.txt"_s, 0, roster, d);
    const QStringList lines = report::pupilLines(roster);
    QCOMPARE(lines, (QStringList{u"小２ /  あべ/3"_s, u"小３ /  やまだはなこさん/1"_s,
                                 u"小３ /  やまだはなこちゃん/2"_s}));
    QCOMPARE(pupilOfLine(lines.at(2)), 2);

    // The long names' places are found by number, not by their first five characters.
    ResultTables t;
    t.best(1, 1) = 30;
    t.best(1, 2) = 20;
    t.best(1, 3) = 10;
    hub::RankingOptions o;
    o.gradeFilter = u"全学年"_s;
    QCOMPARE(rankingStep(hub::rankedPupils(roster), t, 1, 1, o).values.timeRank, 3);
    QCOMPARE(rankingStep(hub::rankedPupils(roster), t, 1, 2, o).values.timeRank, 2);
}

QTEST_APPLESS_MAIN(TestReport)
#include "tst_report.moc"
