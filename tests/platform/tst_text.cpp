#include "platform/paths.h"
#include "platform/text.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace kemoro;

class TestText : public QObject
{
    Q_OBJECT
private slots:
    void integerFields_data();
    void integerFields();
    void singleFields();
    void val_data();
    void val();
    void trimKeepsFullWidthSpaces();
    void rightAligned();
    void shortestDecimal_data();
    void shortestDecimal();
    void folders_data();
    void folders();
};

void TestText::integerFields_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("value");
    QTest::addColumn<int>("status");
    const int ok = int(NumberStatus::Ok), empty = int(NumberStatus::Empty),
              nan = int(NumberStatus::NotANumber), range = int(NumberStatus::OutOfRange);
    // clang-format off
    QTest::newRow("plain")            << u"123"_s    << qint64(123)  << ok;
    QTest::newRow("blanks and sign")  << u" -42 "_s  << qint64(-42)  << ok;
    QTest::newRow("half to even down")<< u"12.5"_s   << qint64(12)   << ok;
    QTest::newRow("half to even up")  << u"13.5"_s   << qint64(14)   << ok;
    QTest::newRow("exponent")         << u"1e3"_s    << qint64(1000) << ok;
    QTest::newRow("empty is 0")       << QString()   << qint64(0)    << empty;
    QTest::newRow("text is 0")        << u"abc"_s    << qint64(0)    << nan;
    QTest::newRow("digits then text") << u"12ab"_s   << qint64(0)    << nan;
    QTest::newRow("full-width digits")<< u"１２"_s   << qint64(0)    << nan;
    QTest::newRow("beyond 16 bits")   << u"40000"_s  << qint64(0)    << range;
    QTest::newRow("16-bit minimum")   << u"-32768"_s << qint64(-32768) << ok;
    // clang-format on
}

void TestText::integerFields()
{
    QFETCH(QString, text);
    QFETCH(qint64, value);
    QFETCH(int, status);
    const IntegerField f = readInt16(text);
    QCOMPARE(f.value, value);
    QCOMPARE(int(f.status), status);
}

void TestText::singleFields()
{
    QCOMPARE(readSingle(u"1.1"_s).value, double(1.1f));
    QCOMPARE(int(readSingle(u"1e40"_s).status), int(NumberStatus::OutOfRange));
}

void TestText::val_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    // clang-format off
    QTest::newRow("five digits")      << u"12345"_s << 12345.0;
    QTest::newRow("digits then name") << u"12ab"_s  << 12.0;
    QTest::newRow("letters first")    << u"ab123"_s << 0.0;
    QTest::newRow("blank inside")     << u" 1 2"_s  << 12.0;
    QTest::newRow("zeros")            << u"00000"_s << 0.0;
    QTest::newRow("empty")            << QString()  << 0.0;
    // clang-format on
}

void TestText::val()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(kemoro::val(text), value);
}

void TestText::trimKeepsFullWidthSpaces()
{
    QCOMPARE(trimBlanks(u"  山田　 "_s), u"山田　"_s);
}

void TestText::rightAligned()
{
    QCOMPARE(kemoro::rightAligned(u"7"_s, 4), u"   7"_s);
    QCOMPARE(kemoro::rightAligned(u"12345"_s, 4), u"2345"_s);
}

void TestText::shortestDecimal_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("1.5") << 1.5f << u"1.5"_s;
    QTest::newRow("1.1") << 1.1f << u"1.1"_s;
    QTest::newRow("1") << 1.0f << u"1"_s;
    QTest::newRow("0") << 0.0f << u"0"_s;
}

void TestText::shortestDecimal()
{
    QFETCH(float, value);
    QFETCH(QString, text);
    QCOMPARE(kemoro::shortestDecimal(value), text);
}

void TestText::folders_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("folder");
    // clang-format off
    QTest::newRow("windows separators, relative") << u"..\\データ\\"_s  << u"/school/データ/"_s;
    QTest::newRow("no final separator")           << u"../データ"_s     << u"/school/データ/"_s;
    QTest::newRow("absolute posix")               << u"/srv/share/"_s   << u"/srv/share/"_s;
    QTest::newRow("trail byte 0x5C kept")         << u"..\\表\\"_s      << u"/school/表/"_s;
    // clang-format on
}

void TestText::folders()
{
    QFETCH(QString, raw);
    QFETCH(QString, folder);
    QCOMPARE(paths::toFolder(raw, u"/school/prog/"_s), folder);
    QCOMPARE(paths::lastComponent(u"C:\\school\\drill\\"_s), u"drill"_s);
}

QTEST_APPLESS_MAIN(TestText)
#include "tst_text.moc"
