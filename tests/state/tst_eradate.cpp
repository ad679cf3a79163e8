#include "state/eradate.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace kemoro;

class TestEraDate : public QObject
{
    Q_OBJECT
private slots:
    void splash_data();
    void splash();
};

void TestEraDate::splash_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("text");
    // clang-format off
    QTest::newRow("today")             << QDate(2026, 12, 10) << u"令和8年 12月 10日（木）"_s;
    QTest::newRow("one-digit month")   << QDate(2027, 1, 5)   << u"令和9年 1月 05日（火）"_s;
    QTest::newRow("first Reiwa day")   << QDate(2019, 5, 1)   << u"令和1年 5月 01日（水）"_s;
    QTest::newRow("last Heisei day")   << QDate(2019, 4, 30)  << u"平成31年 4月 30日（火）"_s;
    QTest::newRow("first Heisei day")  << QDate(1989, 1, 8)   << u"平成1年 1月 08日（日）"_s;
    QTest::newRow("last Showa day")    << QDate(1989, 1, 7)   << u"昭和64年 1月 07日（土）"_s;
    QTest::newRow("first Showa day")   << QDate(1926, 12, 25) << u"昭和1年 12月 25日（土）"_s;
    QTest::newRow("Taisho")            << QDate(1912, 7, 30)  << u"大正1年 7月 30日（火）"_s;
    QTest::newRow("Meiji")             << QDate(1912, 7, 29)  << u"明治45年 7月 29日（月）"_s;
    // clang-format on
}

void TestEraDate::splash()
{
    QFETCH(QDate, date);
    QFETCH(QString, text);
    QCOMPARE(splashDate(date), text);
}

QTEST_APPLESS_MAIN(TestEraDate)
#include "tst_eradate.moc"
