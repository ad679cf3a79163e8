#include "platform/oledate.h"

#include <QTest>

#include <limits>

using namespace kemoro;

class TestOleDate : public QObject
{
    Q_OBJECT
private slots:
    void dates_data();
    void dates();
    void invalidDays_data();
    void invalidDays();
    void timeOfDay_data();
    void timeOfDay();
};

void TestOleDate::dates_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<double>("day");
    QTest::newRow("epoch") << QDate(1899, 12, 30) << 0.0;
    QTest::newRow("1900-03-01") << QDate(1900, 3, 1) << 61.0;
    QTest::newRow("2026-12-10") << QDate(2026, 12, 10) << 46366.0;
    QTest::newRow("first allowed") << QDate(100, 1, 1) << ole::minDay;
    QTest::newRow("last allowed") << QDate(9999, 12, 31) << ole::maxDay;
}

void TestOleDate::dates()
{
    QFETCH(QDate, date);
    QFETCH(double, day);
    QCOMPARE(ole::fromDate(date), day);
    QCOMPARE(ole::toDate(day), std::optional<QDate>(date));
}

void TestOleDate::invalidDays_data()
{
    QTest::addColumn<double>("day");
    QTest::newRow("fraction") << 46366.5;
    QTest::newRow("too early") << ole::minDay - 1;
    QTest::newRow("too late") << ole::maxDay + 1;
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity();
}

void TestOleDate::invalidDays()
{
    QFETCH(double, day);
    QVERIFY(!ole::toDate(day));
}

void TestOleDate::timeOfDay_data()
{
    QTest::addColumn<double>("fraction");
    QTest::addColumn<QString>("time");
    QTest::newRow("9:05:03") << (9 * 3600 + 5 * 60 + 3) / 86400.0 << QStringLiteral("09:05:03");
    QTest::newRow("half second rounds up") << 0.5 / 86400.0 << QStringLiteral("00:00:01");
    QTest::newRow("last half second wraps") << (86400 - 0.4) / 86400.0 << QStringLiteral("00:00:00");
    QTest::newRow("one is not a time") << 1.0 << QString();
    QTest::newRow("negative is not a time") << -0.1 << QString();
}

void TestOleDate::timeOfDay()
{
    QFETCH(double, fraction);
    QFETCH(QString, time);
    const std::optional<QTime> t = ole::toTimeOfDay(fraction);
    QCOMPARE(t ? t->toString(QStringLiteral("HH:mm:ss")) : QString(), time);
}

QTEST_APPLESS_MAIN(TestOleDate)
#include "tst_oledate.moc"
