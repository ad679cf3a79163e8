#include "platform/cp932.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace kemoro;

class TestCp932 : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
    void linuxInputIsMappedToTheCodePage();
    void unmappableCharacterIsNamed();
    void badBytesAreFlagged();
    void fixedFieldCutsAtCharacterBoundary_data();
    void fixedFieldCutsAtCharacterBoundary();
};

void TestCp932::roundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    // clang-format off
    QTest::newRow("circled 1 (NEC row 13)") << u"①"_s << QByteArray("\x87\x40");
    QTest::newRow("circled 20")             << u"⑳"_s << QByteArray("\x87\x53");
    QTest::newRow("roman numerals")         << u"ⅠⅡⅢ"_s << QByteArray("\x87\x54\x87\x55\x87\x56");
    QTest::newRow("full-width tilde")       << u"～"_s << QByteArray("\x81\x60");
    QTest::newRow("half-width katakana")    << u"ﾚﾍﾞﾙ"_s << QByteArray("\xDA\xCD\xDE\xD9");
    QTest::newRow("trail byte 0x5C")        << u"表"_s << QByteArray("\x95\x5C");
    QTest::newRow("ascii backslash")        << u"\\"_s << QByteArray("\x5C");
    QTest::newRow("control 0x7F")           << u"a\x7F" u"b"_s << QByteArray("a\x7F" "b");
    QTest::newRow("control 0x1C")           << u"a\x1C" u"b"_s << QByteArray("a\x1C" "b");
    QTest::newRow("control 0x1A")           << u"a\x1A" u"b"_s << QByteArray("a\x1A" "b");
    // clang-format on
}

void TestCp932::roundTrip()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(cp932::encode(text).value_or(QByteArray("<none>")), bytes);
    const cp932::Decoded decoded = cp932::decode(bytes);
    QVERIFY(decoded.clean());
    QCOMPARE(decoded.text, text);
}

void TestCp932::linuxInputIsMappedToTheCodePage()
{
    // U+301C is what Linux input methods type for the wave dash.
    QCOMPARE(cp932::encode(u"〜−"_s).value_or(QByteArray()), QByteArray("\x81\x60\x81\x7C"));
}

void TestCp932::unmappableCharacterIsNamed()
{
    qsizetype bad = -1;
    QVERIFY(!cp932::encode(u"ab😀c"_s, &bad));
    QCOMPARE(bad, 2);
}

void TestCp932::badBytesAreFlagged()
{
    QVERIFY(!cp932::decode(QByteArray("ab\x81")).clean()); // lead byte at the end
    QCOMPARE(cp932::decode(QByteArray("ab\x81")).text, u"ab\uFFFD"_s);
    // A lead byte before a delimiter never takes the delimiter with it.
    const cp932::Decoded decoded = cp932::decode(QByteArray("\x81,\xA0\x85\x40z"));
    QCOMPARE(decoded.text, u"\uFFFD,\uFFFD\uFFFDz"_s);
    QCOMPARE(decoded.bad.size(), 3);
    QCOMPARE(decoded.bad.at(2).offset, 3);
    QCOMPARE(decoded.bad.at(2).bytes, QByteArray("\x85\x40"));
}

void TestCp932::fixedFieldCutsAtCharacterBoundary_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("field");
    // clang-format off
    QTest::newRow("short is blank padded")    << u"12"_s       << QByteArray("12   ");
    QTest::newRow("long is cut")              << u"1234567"_s  << QByteArray("12345");
    QTest::newRow("no half character at end") << u"12あい"_s   << QByteArray("12\x82\xA0 ");
    QTest::newRow("empty")                    << QString()     << QByteArray("     ");
    // clang-format on
}

void TestCp932::fixedFieldCutsAtCharacterBoundary()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, field);
    QCOMPARE(cp932::fixedField(text, 5), field);
}

QTEST_APPLESS_MAIN(TestCp932)
#include "tst_cp932.moc"
