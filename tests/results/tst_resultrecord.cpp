#include "platform/cp932.h"
#include "results/points.h"
#include "results/resultrecord.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace kemoro;

class TestResultRecord : public QObject
{
    Q_OBJECT

private slots:
    void drillRecordBytes();
    void decodeKeepsEveryField();
    void schoolCodeField_data();
    void schoolCodeField();
    void basePoints_data();
    void basePoints();
    void applyPointRate_data();
    void applyPointRate();
    void drillPoints_data();
    void drillPoints();
};

namespace {
// 2026-12-10 09:00:00, pupil 12, level 1, 45 s, school "12345", written by hand
// from the record layout.
QByteArray fixture()
{
    return QByteArray::fromHex("00000000c0a3e640" // date 46366.0
                               "000000000000d83f" // time 0.375
                               "0c00"             // pupil 12
                               "0100"             // level 1
                               "2d000000"         // result time 45
                               "3132333435"       // "12345"
                               "2020202020"       // text field 2: blanks
                               "2030202020"       // text field 3: " 0" and blanks
                               "2020202020");     // text field 4: blanks
}
} // namespace

void TestResultRecord::drillRecordBytes()
{
    const QDateTime now(QDate(2026, 12, 10), QTime(9, 0, 0, 400)); // milliseconds are dropped
    QCOMPARE(encodeRecord(drillRecord(now, 12, 1, 45, u"12345"_s)).toHex(), fixture().toHex());
}

void TestResultRecord::decodeKeepsEveryField()
{
    QByteArray bytes = fixture();
    bytes.replace(record::text4Offset, 5, "ab\x81\x40z"); // whatever another computer left there
    const ResultRecord rec = decodeRecord(bytes.constData());
    QCOMPARE(rec.date, 46366.0);
    QCOMPARE(rec.timeOfDay, 0.375);
    QCOMPARE(rec.pupil, qint16(12));
    QCOMPARE(rec.level, qint16(1));
    QCOMPARE(rec.resultTime, 45);
    QCOMPARE(schoolCodeText(rec), u"12345"_s);
    QCOMPARE(encodeRecord(rec), bytes);
}

void TestResultRecord::schoolCodeField_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QByteArray>("field");
    // clang-format off
    QTest::newRow("five digits")              << u"12345"_s    << QByteArray("12345");
    QTest::newRow("short code padded")        << u"123"_s      << QByteArray("123  ");
    QTest::newRow("empty code blanks")        << QString()     << QByteArray("     ");
    QTest::newRow("long code cut")            << u"1234567"_s  << QByteArray("12345");
    QTest::newRow("double-byte kept whole")   << u"123あ"_s    << QByteArray("123\x82\xa0");
    QTest::newRow("double-byte not split")    << u"1234あ"_s   << QByteArray("1234 ");
    // clang-format on
}

void TestResultRecord::schoolCodeField()
{
    QFETCH(QString, code);
    QFETCH(QByteArray, field);
    const QByteArray bytes =
        encodeRecord(drillRecord(QDateTime(QDate(2026, 1, 5), QTime(8, 0)), 1, 1, 30, code));
    QCOMPARE(bytes.size(), record::size);
    QCOMPARE(bytes.mid(record::schoolCodeOffset, 5), field);
}

void TestResultRecord::basePoints_data()
{
    QTest::addColumn<int>("t");
    QTest::addColumn<int>("target");
    QTest::addColumn<int>("points");
    // clang-format off
    QTest::newRow("half target: (1/2)^3*50+5")   << 30    << 60 << 11;
    QTest::newRow("instant drill")               << 0     << 60 << 55;
    QTest::newRow("on target")                   << 60    << 60 << 5;
    QTest::newRow("just over target")            << 61    << 60 << 4;
    QTest::newRow("just below twice")            << 119   << 60 << 4;
    QTest::newRow("twice target")                << 120   << 60 << 1;
    QTest::newRow("just below ten times")        << 599   << 60 << 1;
    QTest::newRow("ten times target")            << 600   << 60 << 0;
    QTest::newRow("time-out")                    << 99999 << 60 << 0;
    QTest::newRow("99998 counts as time-out")    << 99998 << 200000 << 0;
    QTest::newRow("99997 still scores")          << 99997 << 200000 << 11;
    QTest::newRow("target 0, time 0 on target")  << 0     << 0  << 5;
    QTest::newRow("target 0, time 1 scores 0")   << 1     << 0  << 0;
    QTest::newRow("negative target never scores")<< 0     << -5 << 0;
    // clang-format on
}

void TestResultRecord::basePoints()
{
    QFETCH(int, t);
    QFETCH(int, target);
    QFETCH(int, points);
    QCOMPARE(kemoro::basePoints(t, target), points);
}

void TestResultRecord::applyPointRate_data()
{
    QTest::addColumn<int>("base");
    QTest::addColumn<float>("rate");
    QTest::addColumn<int>("points");
    // clang-format off
    QTest::newRow("11 x 1.5 floors to 16")                  << 11 << 1.5f  << 16;
    QTest::newRow("10 x 0.7 is 7 in single precision")      << 10 << 0.7f  << 7;
    QTest::newRow("5 x 1.1 floors to 5")                    << 5  << 1.1f  << 5;
    QTest::newRow("negative product floors downward")       << 5  << -0.5f << -3;
    QTest::newRow("rate 0 scores nothing")                  << 55 << 0.0f  << 0;
    // clang-format on
}

void TestResultRecord::applyPointRate()
{
    QFETCH(int, base);
    QFETCH(float, rate);
    QFETCH(int, points);
    QCOMPARE(kemoro::applyPointRate(base, rate), points);
}

void TestResultRecord::drillPoints_data()
{
    QTest::addColumn<int>("t");
    QTest::addColumn<int>("target");
    QTest::addColumn<float>("rate");
    QTest::addColumn<int>("points");
    // clang-format off
    QTest::newRow("rate 1.5 turns 11 into 16")        << 30   << 60   << 1.5f << 16;
    QTest::newRow("first three digits: 1500 as 150")  << 1500 << 2000 << 1.0f << 44;
    QTest::newRow("whole time below 1000")            << 999  << 2000 << 1.0f << 11;
    QTest::newRow("over target uses whole time")      << 2500 << 2000 << 1.0f << 4;
    QTest::newRow("6000 scores by the usual rule")    << 6000 << 1000 << 1.0f << 1;
    QTest::newRow("time-out with rate")               << 99999 << 60  << 2.0f << 0;
    // clang-format on
}

void TestResultRecord::drillPoints()
{
    QFETCH(int, t);
    QFETCH(int, target);
    QFETCH(float, rate);
    QFETCH(int, points);
    CriteriaRow row;
    row.targetTime = target;
    row.pointRate = rate;
    QCOMPARE(kemoro::drillPoints(t, row), points);
}

QTEST_APPLESS_MAIN(TestResultRecord)
#include "tst_resultrecord.moc"
