#include "classroom.h"
#include "platform/diagnostic.h"
#include "results/resultrecord.h"
#include "roster/namelist.h"
#include "state/session.h"
#include "state/startup.h"
#include "testsupport/fixtures.h"

#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace kemoro;

Q_DECLARE_METATYPE(kemoro::RankingKind)

namespace {

RosterEntry entry(int no, int birthYear, const QString &name)
{
    RosterEntry e;
    e.pupilNo = qint16(no);
    e.birthYear = qint16(birthYear);
    e.name = name.leftJustified(rosterTextLength);
    return e;
}

QString pupilsOf(const NameList &list)
{
    QStringList numbers;
    for (qint16 p : list.pupils)
        numbers.append(QString::number(p));
    return numbers.join(u',');
}

} // namespace

class TestNameList : public QObject
{
    Q_OBJECT
private slots:
    void pieces_data();
    void pieces();
    void lines_data();
    void lines();
    void orderAndFilter_data();
    void orderAndFilter();
    void listsBelongTogether();
    void fromTheInstallation();
};

void TestNameList::pieces_data()
{
    QTest::addColumn<int>("piece");
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QString>("text");
    // Piece 0 today's count, 1 today's points, 2 count so far, 3 points so far.
    // clang-format off
    QTest::newRow("no drills today: five blanks")     << 0 << qint64(0)       << u"     "_s;
    QTest::newRow("today's count right-aligned")      << 0 << qint64(7)       << u"  7回"_s;
    QTest::newRow("today's count keeps last 3")       << 0 << qint64(1234)    << u"234回"_s;
    QTest::newRow("no points today: 2 + full blank")  << 1 << qint64(0)       << u"  　"_s;
    QTest::newRow("today's points right-aligned")     << 1 << qint64(5)       << u"   5"_s;
    QTest::newRow("today's points keeps last 4")      << 1 << qint64(12345)   << u"2345"_s;
    QTest::newRow("no drills so far: 5 + full blank") << 2 << qint64(0)       << u"     　"_s;
    QTest::newRow("count so far right-aligned")       << 2 << qint64(12)      << u"   12回"_s;
    QTest::newRow("count so far keeps last 5")        << 2 << qint64(123456)  << u"23456回"_s;
    QTest::newRow("no points so far: seven blanks")   << 3 << qint64(0)       << u"       "_s;
    QTest::newRow("points so far right-aligned")      << 3 << qint64(1234)    << u"   1234"_s;
    QTest::newRow("points so far keeps last 7")       << 3 << qint64(12345678) << u"2345678"_s;
    // clang-format on
}

void TestNameList::pieces()
{
    QFETCH(int, piece);
    QFETCH(qint64, value);
    QFETCH(QString, text);
    QString (*const pieces[])(qint64) = {todayCountText, todayPointsText, totalCountText, totalPointsText};
    QCOMPARE(pieces[piece](value), text);
}

void TestNameList::lines_data()
{
    QTest::addColumn<RankingKind>("kind");
    QTest::addColumn<int>("birthYear"); // school year 2026
    QTest::addColumn<QString>("name");
    QTest::addColumn<QList<qint64>>("figures"); // today count, today points, count so far, points so far
    QTest::addColumn<QString>("text");
    const QList<qint64> none{0, 0, 0, 0};
    const QList<qint64> some{2, 21, 15, 340};
    // clang-format off
    QTest::newRow("points, nothing yet, a name that fills the column")
        << RankingKind::Points << 2018 << u"青木　さくら"_s << none << u"小2 青木　さくら  　/       "_s;
    QTest::newRow("counts, padding of one full-width blank")
        << RankingKind::Counts << 2017 << u"佐藤　みお"_s << some << u"小3 佐藤　みお　  2回/   15回"_s;
    QTest::newRow("points, both figures")
        << RankingKind::Points << 2017 << u"佐藤　みお"_s << some << u"小3 佐藤　みお　  21/    340"_s;
    QTest::newRow("today: points then count")
        << RankingKind::Today << 2017 << u"佐藤　みお"_s << some << u"小3 佐藤　みお　  21/  2回"_s;
    QTest::newRow("so far: points then count")
        << RankingKind::SoFar << 2017 << u"佐藤　みお"_s << some << u"小3 佐藤　みお　    340/   15回"_s;
    QTest::newRow("pre-school column is 11 wide")
        << RankingKind::Counts << 2020 << u"和田　ここな"_s << none << u"幼3 和田　ここな　　     /     　"_s;
    QTest::newRow("points keep 9 for pre-school")
        << RankingKind::Points << 2020 << u"和田　ここな"_s << none << u"幼3 和田　ここな  　/       "_s;
    QTest::newRow("a name too long gets no padding")
        << RankingKind::Counts << 2016 << u"一二三四五六七"_s << none << u"小4 一二三四五六七     /     　"_s;
    QTest::newRow("middle school label")
        << RankingKind::Points << 2012 << u"森"_s << none << u"中2 森　　　　　  　/       "_s;
    QTest::newRow("adults")
        << RankingKind::Points << 2000 << u"山田先生"_s << none << u"大+ 山田先生　　  　/       "_s;
    QTest::newRow("below 幼1")
        << RankingKind::Counts << 2024 << u"赤ちゃん"_s << none << u"幼- 赤ちゃん　　　　     /     　"_s;
    // clang-format on
}

void TestNameList::lines()
{
    QFETCH(RankingKind, kind);
    QFETCH(int, birthYear);
    QFETCH(QString, name);
    QFETCH(QList<qint64>, figures);
    QFETCH(QString, text);
    const PupilFigures f{figures.at(0), figures.at(1), figures.at(2), figures.at(3)};
    const NameLine line = nameLine(entry(12, birthYear, name), 2026, f, kind);
    QCOMPARE(line.text, text);
    QCOMPARE(line.sortedLine(), QString::number(birthYear) + text + u"*12"_s);
}

void TestNameList::orderAndFilter_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("pupils");
    // clang-format off
    QTest::newRow("all grades: youngest first, adults last") << u"全学年"_s     << u"6,2,3,8,7,1,4,5"_s;
    QTest::newRow("elementary only")                         << u"小学生全体"_s << u"2,3,8,7,1"_s;
    QTest::newRow("middle school only")                      << u"中学生全体"_s << u"4"_s;
    QTest::newRow("one grade")                               << u"小１"_s       << u"2,3"_s;
    QTest::newRow("an unknown text: the dash line only")     << u"幼稚園"_s     << u""_s;
    // clang-format on
}

void TestNameList::orderAndFilter()
{
    QFETCH(QString, filter);
    QFETCH(QString, pupils);
    auto roster = std::make_unique<Roster>();
    roster->schoolYear = 2026;
    // Within a birth year the names run in descending Shift-JIS order:
    // 石 (0x90CE) before 上 (0x8FE3), and 一 (0x88EA) before 阿 (0x88A2)
    // although Unicode orders the last two the other way.
    roster->entries = {entry(1, 2016, u"青木"_s), entry(2, 2019, u"石井"_s), entry(3, 2019, u"上田"_s),
                       entry(4, 2012, u"森"_s),   entry(5, 2001, u"先生"_s), entry(6, 2021, u"岡田"_s),
                       entry(7, 2018, u"阿部"_s), entry(8, 2018, u"一色"_s)};
    const auto tables = std::make_unique<ResultTables>();
    const NameList list = buildNameList(*roster, *tables, RankingKind::Points, filter);
    QCOMPARE(list.list1.first(), u"－－－－－－"_s);
    QCOMPARE(pupilsOf(list), pupils);
}

void TestNameList::listsBelongTogether()
{
    auto roster = std::make_unique<Roster>();
    roster->schoolYear = 2026;
    roster->entries = {entry(11, 2017, u"星*野"_s), entry(3, 2017, u"上田"_s)};
    auto tables = std::make_unique<ResultTables>();
    tables->todayTries(1, 11) = 1;
    tables->todayTries(35, 11) = 2;
    tables->totalTries(4, 11) = 9;
    const NameList list = buildNameList(*roster, *tables, RankingKind::Counts, u"全学年"_s);
    QCOMPARE(list.list1, (QStringList{u"－－－－－－"_s, u"小3 星*野　　　  3回/    9回"_s,
                                      u"小3 上田　　　　     /     　"_s}));
    QCOMPARE(list.list3,
             (QStringList{u"小3 星*野　　　  3回/    9回*11"_s, u"小3 上田　　　　     /     　*3"_s}));
    QCOMPARE(pupilsOf(list), u"11,3"_s);
}

void TestNameList::fromTheInstallation()
{
    // The classroom above, with three drills of 佐藤　みお (pupil 10, grade 3)
    // at level 1: 15 s today (11 points), a time-out today (no drill, no
    // points) and 30 s yesterday (5 points).
    const QDateTime now(QDate(2027, 1, 5), QTime(9, 0));
    const test::Installation install(test::rosterClassroom(now.date()));
    QVERIFY2(install.isValid(), qPrintable(install.error()));
    auto session = std::make_unique<Session>();
    Diagnostics diagnostics;
    QVERIFY(configure(*session, install.programDir(), now.date(), diagnostics));
    QVERIFY2(diagnostics.isEmpty(), qPrintable(test::diagnosticLines(diagnostics)));
    const QByteArray records = encodeRecord(drillRecord(now.addSecs(-600), 10, 1, 15, u"12345"_s)) +
                               encodeRecord(drillRecord(now.addSecs(-300), 10, 1, 99999, u"12345"_s)) +
                               encodeRecord(drillRecord(now.addDays(-1), 10, 1, 30, u"12345"_s));
    QVERIFY(test::writeBytes(session->folders.resultFile(), records));
    const WaitFunction neverWait = [](int) { return false; };
    ResultStore store(session->folders.resultFile());

    NameListRun counts = runNameList(*session, store, now, neverWait, RankingKind::Counts, u"小３"_s);
    QVERIFY(!counts.failed());
    QCOMPARE(counts.list.list1.size(), 1 + test::thirdGraders);
    QVERIFY(counts.list.list1.contains(u"小3 佐藤　みお　  1回/    2回"_s));
    QCOMPARE(session->roster.schoolYear, 2026);

    NameListRun points = runNameList(*session, store, now, neverWait, RankingKind::Points, u"全学年"_s);
    QVERIFY(points.list.list1.contains(u"小3 佐藤　みお　  11/     16"_s));
    QCOMPARE(points.list.list1.size(), 1 + test::listedPupils);
    QCOMPARE(points.list.list1.at(1).left(3), u"幼2 "_s);
    QCOMPARE(points.list.list1.last().left(3), u"大+ "_s);

    QVERIFY(QFile::remove(session->folders.rosterFile()));
    NameListRun missing = runNameList(*session, store, now, neverWait, RankingKind::Points, u"全学年"_s);
    QVERIFY(missing.failed());
    QCOMPARE(missing.list.list1, QStringList{u"－－－－－－"_s});
    QCOMPARE(missing.diagnostics.first().filePath, session->folders.rosterFile());
}

QTEST_APPLESS_MAIN(TestNameList)
#include "tst_namelist.moc"
