#include "platform/fieldreader.h"
#include "testsupport/fixtures.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace kemoro;

class TestFieldReader : public QObject
{
    Q_OBJECT
private slots:
    void fields_data();
    void fields();
    void lineNumbersFollowTheLines();
    void blankLinesAtTheEnd();
};

void TestFieldReader::fields_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");
    // clang-format off
    QTest::newRow("comma and line end separate") << u"a,b\r\nc\r\n"_s        << QStringList{u"a"_s, u"b"_s, u"c"_s};
    QTest::newRow("trailing commas give empties") << u"h1,h2,,,\r\nx\r\n"_s  << QStringList{u"h1"_s, u"h2"_s, QString(), QString(), QString(), u"x"_s};
    QTest::newRow("blanks around are dropped")   << u"  a  , b\t\r\n"_s     << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("full-width space is kept")    << u"　山田　,x\r\n"_s      << QStringList{u"　山田　"_s, u"x"_s};
    QTest::newRow("quoted taken literally")      << u"\" a,b \",c\r\n"_s    << QStringList{u" a,b "_s, u"c"_s};
    QTest::newRow("text after closing quote")    << u"\"a\"zz,b\r\n"_s      << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("unclosed quote ends at line") << u"\"a,b\r\nc,d\r\n"_s   << QStringList{u"a,b"_s, u"c"_s, u"d"_s};
    QTest::newRow("lone CR and LF end lines")    << u"a\rb\nc"_s            << QStringList{u"a"_s, u"b"_s, u"c"_s};
    QTest::newRow("empty line is one field")     << u"a\r\n\r\nb\r\n"_s     << QStringList{u"a"_s, QString(), u"b"_s};
    QTest::newRow("ctrl-z ends the file")        << u"a,b\r\n\x1A" u"c\r\n"_s << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("no final line end")           << u"a,b"_s                << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("empty file")                  << QString()               << QStringList{};
    // clang-format on
}

void TestFieldReader::fields()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    QCOMPARE(test::fieldTexts(text), expected);
}

void TestFieldReader::lineNumbersFollowTheLines()
{
    FieldReader reader(u"a,b\r\n\"c\r\nd,\r\ne"_s);
    QList<int> lines;
    while (!reader.atEnd())
        lines.append(reader.next().line);
    QCOMPARE(lines, (QList<int>{1, 1, 2, 3, 3, 4}));
}

void TestFieldReader::blankLinesAtTheEnd()
{
    FieldReader reader(u"a\r\n\r\n  \r\n"_s);
    reader.next();
    QVERIFY(!reader.atEnd());
    QVERIFY(reader.onlyBlankLinesLeft());
}

QTEST_APPLESS_MAIN(TestFieldReader)
#include "tst_fieldreader.moc"
