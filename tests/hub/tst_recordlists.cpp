#include "hub/recordlists.h"
#include "platform/oledate.h"
#include "results/resultrecord.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace kemoro;
using namespace kemoro::hub;

namespace {
const QDateTime now(QDate(2026, 12, 10), QTime(15, 0)); // a Thursday

Roster twoPupils()
{
    Roster roster;
    roster.schoolYear = 2026;
    Diagnostics d;
    readRoster(u"1,2017,0,0,山田太郎,0,,\r\n2,2019,0,0,林,0,,\r\n"_s, u"新名簿.txt"_s, 0, roster, d);
    return roster;
}

CriteriaTable criteria()
{
    CriteriaTable c;
    c[1].targetTime = 60;
    c[1].minTime = 120;
    c[1].pointRate = 1.5f;
    return c;
}

struct Records
{
    ResultWindow window;
    void add(int daysAgo, QTime time, int pupil, int level, qint32 seconds)
    {
        ResultRecord rec = drillRecord(QDateTime(now.date().addDays(-daysAgo), time), qint16(pupil),
                                       qint16(level), seconds, u"12345"_s);
        window.bytes += encodeRecord(rec);
    }
    void addRaw(double date, double timeOfDay, int pupil, int level, qint32 seconds)
    {
        ResultRecord rec = drillRecord(now, qint16(pupil), qint16(level), seconds, u"12345"_s);
        rec.date = date;
        rec.timeOfDay = timeOfDay;
        window.bytes += encodeRecord(rec);
    }
};

RecordListOptions options(RecordList kind, RankView view = RankView::Time)
{
    RecordListOptions o;
    o.kind = kind;
    o.view = view;
    o.gradeFilter = u"全学年"_s;
    o.currentPupil = 2;
    o.levelCount = 2;
    o.now = now;
    return o;
}
} // namespace

class TestRecordLists : public QObject
{
    Q_OBJECT
private slots:
    void todayList();
    void periodList_data();
    void periodList();
    void personalList();
    void unusableRecordsAreNotListed();
    void daysBack_data();
    void daysBack();
    void tint();
};

void TestRecordLists::todayList()
{
    Records r;
    r.add(0, QTime(9, 5, 3), 1, 1, 45);
    r.add(0, QTime(10, 0), 2, 1, 99999);
    r.add(1, QTime(10, 0), 1, 1, 30); // yesterday
    const LevelLists lists = buildRecordLists(r.window, twoPupils(), criteria(), options(RecordList::Today));
    // 45 s against a target of 60: (15/60)^3 x 50 + 5 = 5 points, the rate left out.
    QCOMPARE(lists.lines[1], (QStringList{u"  45秒 09:05③山田太郎　③5"_s, u"　　× 10:00●林　　　　●"_s}));
    QCOMPARE(lists.lines[2], QStringList());
    QCOMPARE(lists.tintTime[1], std::optional<qint32>(45));
}

void TestRecordLists::periodList_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("time view") << int(RankView::Time)
                               << QStringList{u"1234秒 12/04③山田太郎　③0"_s, u"　　× 12/10●林　　　　●"_s};
    QTest::newRow("points view") << int(RankView::Points)
                                 << QStringList{u"    0 12/04③山田太郎　③1234秒"_s,
                                                u"    0 12/10●林　　　　●99999秒"_s};
}

void TestRecordLists::periodList()
{
    QFETCH(int, view);
    QFETCH(QStringList, lines);
    Records r;
    r.add(40, QTime(9, 0), 1, 1, 20); // outside one month
    r.add(6, QTime(9, 0), 1, 1, 1234);
    r.add(0, QTime(9, 0), 2, 1, 99999);
    const LevelLists lists =
        buildRecordLists(r.window, twoPupils(), criteria(), options(RecordList::Period, RankView(view)));
    QCOMPARE(lists.lines[1], lines);
    QCOMPARE(lists.tintTime[1], std::optional<qint32>(1234));
}

void TestRecordLists::personalList()
{
    Records r;
    r.add(3, QTime(9, 5, 3), 2, 1, 45);
    r.add(0, QTime(14, 0), 2, 2, 99999);
    r.add(0, QTime(14, 0), 1, 1, 50); // another pupil
    RecordListOptions o = options(RecordList::Personal);
    const LevelLists lists = buildRecordLists(r.window, twoPupils(), criteria(), o);
    QCOMPARE(lists.lines[1], QStringList{u"2026/12/07 9:05:03  45秒"_s});
    QCOMPARE(lists.lines[2], QStringList{u"2026/12/10 14:00:00"_s});
    o.gradeFilter = u"小３"_s; // the pupil is in grade 1
    QVERIFY(buildRecordLists(r.window, twoPupils(), criteria(), o).lines[1].isEmpty());
}

void TestRecordLists::unusableRecordsAreNotListed()
{
    Records r;
    const double today = ole::fromDate(now.date());
    r.addRaw(today + 0.5, 0.4, 1, 1, 10);  // not a whole day
    r.addRaw(today, 1.0, 1, 1, 10);        // not a time of day
    r.addRaw(today, 0.4, 1, 3, 10);        // level beyond the level count
    r.addRaw(today, 0.4, 5001, 1, 10);     // pupil beyond the tables
    r.addRaw(today, 0.4, 2, 1, -5);        // crossed midnight on an old computer: a failure
    r.window.bytes += QByteArray(20, 'x'); // a torn tail is no record
    const LevelLists lists = buildRecordLists(r.window, twoPupils(), criteria(), options(RecordList::Today));
    QCOMPARE(lists.lines[1], QStringList{u"　　× 09:36●林　　　　●"_s});
}

void TestRecordLists::daysBack_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<int>("period");
    QTest::addColumn<int>("days");
    QTest::newRow("this week on a Monday") << QDate(2026, 12, 7) << 1 << 1;
    QTest::newRow("this week on a Thursday") << QDate(2026, 12, 10) << 1 << 4;
    QTest::newRow("this week on a Sunday") << QDate(2026, 12, 13) << 1 << 7;
    QTest::newRow("since last week on a Monday") << QDate(2026, 12, 7) << 2 << 8;
    QTest::newRow("since last week on a Sunday") << QDate(2026, 12, 13) << 2 << 14;
    QTest::newRow("one month") << QDate(2026, 12, 13) << 3 << 30;
    QTest::newRow("one year") << QDate(2026, 12, 13) << 4 << 365;
    QTest::newRow("so far") << QDate(2026, 12, 13) << 5 << 3650;
}

void TestRecordLists::daysBack()
{
    QFETCH(QDate, today);
    QFETCH(int, period);
    QFETCH(int, days);
    QCOMPARE(hub::daysBack(period, today), days);
}

void TestRecordLists::tint()
{
    const CriteriaTable c = criteria();
    QCOMPARE(tintFor(60, c[1]), Tint::Green);
    QCOMPARE(tintFor(61, c[1]), Tint::PaleGreen);
    QCOMPARE(tintFor(121, c[1]), Tint::Silver);
    Records r;
    r.add(0, QTime(9, 0), 1, 1, 30);
    r.add(0, QTime(9, 1), 1, 1, 200); // newest drill that is no failure decides
    r.add(0, QTime(9, 2), 1, 1, 99999);
    QCOMPARE(buildRecordLists(r.window, twoPupils(), c, options(RecordList::Today)).tintTime[1],
             std::optional<qint32>(200));
}

QTEST_APPLESS_MAIN(TestRecordLists)
#include "tst_recordlists.moc"
