#include "results/recordlines.h"

#include "platform/oledate.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace kemoro;

namespace {
const QDateTime stamp(QDate(2026, 12, 10), QTime(9, 5, 3));

RecordPupils pupils()
{
    // 2008 births are in 小３ in school year 2026.
    return readRecordPupils(u"12,2017,0,0,山田太郎,0,,\r\n"
                            u"13,2017,0,0,長い名前の生徒さん,1,,\r\n"
                            u"6000,2017,0,0,範囲外,0,,\r\n"
                            u"0,1990,0,0,先生,0,,\r\n"_s,
                            2026);
}
} // namespace

class TestRecordLines : public QObject
{
    Q_OBJECT
private slots:
    void line_data();
    void line();
    void pupilTables();
    void listing();
    void timeBox_data();
    void timeBox();
    void pupilBox_data();
    void pupilBox();
};

void TestRecordLines::line_data()
{
    QTest::addColumn<qint64>("number");
    QTest::addColumn<int>("pupil");
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("code");
    QTest::addColumn<double>("day");
    QTest::addColumn<double>("time");
    QTest::addColumn<QString>("expected");
    const double day = ole::fromDate(stamp.date());
    const double time = ole::fromTimeOfDay(stamp.time());
    const double late = ole::fromTimeOfDay(QTime(12, 0, 0));
    // clang-format off
    QTest::newRow("own school")              << qint64(3)  << 12 << 1  << 45    << u"12345"_s << day << time << u"   3 2026/12/10　  9:05:03ﾚﾍﾞﾙ1　   45秒 　  12 山田太郎　　 小３++ケモロ教室"_s;
    QTest::newRow("another school")          << qint64(3)  << 12 << 1  << 45    << u"99999"_s << day << time << u"   3 2026/12/10　  9:05:03ﾚﾍﾞﾙ1　   45秒 　  12 山田太郎　　 小３++他塾"_s;
    QTest::newRow("long name cut to six")    << qint64(4)  << 13 << 2  << 99999 << u"12345"_s << day << late << u"   4 2026/12/10　 12:00:00ﾚﾍﾞﾙ2　99999秒 　  13 長い名前の生 小３++ケモロ教室"_s;
    QTest::newRow("pupil not in roster")     << qint64(5)  << 77 << 1  << 30    << u"12345"_s << day << time << u"   5 2026/12/10　  9:05:03ﾚﾍﾞﾙ1　   30秒 　  77 　　　　　 ++ケモロ教室"_s;
    QTest::newRow("pupil outside the tables")<< qint64(6)  << -3 << 1  << 30    << u"12345"_s << day << time << u"   6 2026/12/10　  9:05:03ﾚﾍﾞﾙ1　   30秒 　  -3 　　　　　 ++ケモロ教室"_s;
    QTest::newRow("level outside 0..35")     << qint64(7)  << 12 << 40 << 30    << u"12345"_s << day << time << u"   7 2026/12/10　  9:05:03ﾚﾍﾞﾙ40　   30秒 　  12 　　　　　 ++ケモロ教室"_s;
    QTest::newRow("no valid date or time")   << qint64(8)  << 12 << 1  << 30    << u"12345"_s << 1e300 << 1.5 << u"   8 ?\?\?\?/?\?/?\?　 ?\?:?\?:?\?ﾚﾍﾞﾙ1　   30秒 　  12 山田太郎　　 小３++ケモロ教室"_s;
    // clang-format on
}

void TestRecordLines::line()
{
    QFETCH(qint64, number);
    QFETCH(int, pupil);
    QFETCH(int, level);
    QFETCH(int, seconds);
    QFETCH(QString, code);
    QFETCH(double, day);
    QFETCH(double, time);
    QFETCH(QString, expected);
    ResultRecord rec = drillRecord(stamp, qint16(pupil), qint16(level), seconds, code);
    rec.date = day;
    rec.timeOfDay = time;
    const RecordPupils p = pupils();
    RecordLineContext c;
    c.pupils = &p;
    c.schoolCode = u"12345"_s;
    c.schoolName = u"ケモロ教室"_s;
    QCOMPARE(recordLine(number, rec, c), expected);
}

void TestRecordLines::pupilTables()
{
    const RecordPupils p = pupils();
    // Every line of the file in file order, hidden pupils too; numbers past the tables give none.
    QCOMPARE(p.entries, QStringList({u"12 /  山田太郎"_s, u"13 /  長い名前の生徒さん"_s, u"0 /  先生"_s}));
    QCOMPARE(p.gradeLabel(12), u"小３"_s);
    QCOMPARE(p.gradeLabel(0), QString()); // grade outside 0..10: no label
    QCOMPARE(p.name(6000), QString());
}

void TestRecordLines::listing()
{
    QByteArray bytes;
    for (int i = 0; i < 10001; ++i)
        bytes += encodeRecord(drillRecord(stamp, 12, i == 1 ? 0 : 1, 40, u"12345"_s));
    ResultWindow window;
    window.bytes = bytes;
    window.totalRecords = 10001;
    const RecordPupils p = pupils();
    RecordLineContext c;
    c.pupils = &p;
    const RecordLines lines = buildRecordLines(window, c);
    // Level 0 is not listed; every line keeps its record number, and past 9999
    // records the number piece widens so that text order stays record order.
    QCOMPARE(lines.lines.size(), 10000);
    QCOMPARE(lines.numbers.mid(0, 2), QList<qint64>({1, 3}));
    QVERIFY(lines.lines.first().startsWith(u"    1 "_s));
    QVERIFY(lines.lines.last().startsWith(u"10001 "_s));
}

void TestRecordLines::timeBox_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("stored"); // -1: refused
    // clang-format off
    QTest::newRow("whole seconds")        << u"45"_s     << 45;
    QTest::newRow("half rounds to even")  << u"12.5"_s   << 12;
    QTest::newRow("half rounds up to even") << u"13.5"_s << 14;
    QTest::newRow("time-out kept")        << u"99999"_s  << 99999;
    QTest::newRow("too large")            << u"100000"_s << -1;
    QTest::newRow("negative")             << u"-1"_s     << -1;
    QTest::newRow("not a number")         << u"abc"_s    << -1;
    QTest::newRow("empty")                << QString()   << -1;
    // clang-format on
}

void TestRecordLines::timeBox()
{
    QFETCH(QString, text);
    QFETCH(int, stored);
    const std::optional<qint32> got = readResultTimeBox(text);
    QCOMPARE(got.has_value(), stored >= 0);
    if (got) QCOMPARE(*got, stored);
}

void TestRecordLines::pupilBox_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("pupil"); // -1: refused
    // clang-format off
    QTest::newRow("entry of the box")     << u"12 /  山田太郎"_s << 12;
    QTest::newRow("number and slash only")<< u"77 /  "_s         << 77;
    QTest::newRow("first slash counts")   << u"5/6/7"_s          << 5;
    QTest::newRow("no slash")             << u"12"_s             << -1;
    QTest::newRow("outside the tables")   << u"5001 / x"_s       << -1;
    QTest::newRow("no number before it")  << u"山田 / 12"_s      << -1;
    // clang-format on
}

void TestRecordLines::pupilBox()
{
    QFETCH(QString, text);
    QFETCH(int, pupil);
    const std::optional<qint16> got = readPupilBox(text);
    QCOMPARE(got.has_value(), pupil >= 0);
    if (got) QCOMPARE(int(*got), pupil);
}

QTEST_APPLESS_MAIN(TestRecordLines)
#include "tst_recordlines.moc"
