#include "platform/textfile.h"
#include "testsupport/fixtures.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace kemoro;

class TestTextFile : public QObject
{
    Q_OBJECT
private slots:
    void decoding_data();
    void decoding();
    void secretBytesAreNotShown();
    void settingsFilesHaveASizeLimit();
};

namespace {
// "W line 2: text" for a warning, "C …" for a check, "F …" for a fatal one.
QString brief(const Diagnostic &d)
{
    const char16_t mark = d.severity == Diagnostic::Severity::Fatal     ? u'F'
                          : d.severity == Diagnostic::Severity::Warning ? u'W'
                                                                        : u'C';
    return QString(QChar(mark)) + u' ' + d.location + u": "_s + d.text;
}
} // namespace

void TestTextFile::decoding_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<QStringList>("fields");
    // Each problem as the start of its brief form.
    QTest::addColumn<QStringList>("problems");
    const QString fffd(QChar::ReplacementCharacter);
    // clang-format off
    QTest::newRow("bad byte mid-name: the rest is read")
        << u"bad-byte-in-name.txt"_s
        << QStringList{u"1"_s, u"2018"_s, u"0"_s, u"0"_s, u"青木"_s, u"0"_s, QString(), QString(),
                       u"2"_s, u"2018"_s, u"0"_s, u"0"_s, u"井"_s + fffd + u"上"_s, u"0"_s, QString(), QString(),
                       u"3"_s, u"2018"_s, u"0"_s, u"0"_s, u"上"_s + fffd, u"0"_s, QString(), QString()}
        << QStringList{u"W line 2: Shift-JIS でない文字があります。「\uFFFD」として読みました (bytes 0xFF are not "
                       u"Shift-JIS (CP932) text, read as U+FFFD; 2 lines have such bytes)"_s,
                       u"C line 3: bytes 0x85 0x40 are not Shift-JIS (CP932) text, read as U+FFFD"_s};
    QTest::newRow("0x7F is an ordinary character")
        << u"delete-byte.txt"_s
        << QStringList{u"1"_s, u"2018"_s, u"0"_s, u"0"_s, u"A\x7F" u"B"_s, u"0"_s, QString(), QString(),
                       u"2"_s, u"2018"_s, u"0"_s, u"0"_s, u"C"_s, u"0"_s, QString(), QString()}
        << QStringList{};
    QTest::newRow("0x1A at the end ends the file quietly")
        << u"ctrl-z-at-end.txt"_s << QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s} << QStringList{};
    QTest::newRow("0x1A mid-file ends the file")
        << u"ctrl-z-mid-file.txt"_s << QStringList{u"a"_s, u"b"_s}
        << QStringList{u"C line 2: the end-of-file mark (Ctrl-Z, 0x1A) stops the reading here"_s};
    QTest::newRow("UTF-8 with a byte-order mark")
        << u"utf8-bom.txt"_s << QStringList{u"青木"_s, u"さくら"_s}
        << QStringList{u"W file: UTF-8 で保存されています。"_s};
    QTest::newRow("UTF-8 that is not Shift-JIS")
        << u"utf8.txt"_s << QStringList{u"ケモロ"_s, u"さくら"_s}
        << QStringList{u"W file: UTF-8 で保存されています。"_s};
    QTest::newRow("Notepad's Unicode (UTF-16)")
        << u"utf16.txt"_s << QStringList{u"青木"_s, u"さくら"_s}
        << QStringList{u"W file: UTF-16 で保存されています。"_s};
    QTest::newRow("lone lead byte at the end")
        << u"lone-lead-byte-at-end.txt"_s << QStringList{u"a"_s, u"b"_s, u"c"_s, fffd}
        << QStringList{u"W line 2: Shift-JIS でない文字があります。「\uFFFD」として読みました (bytes 0x81 are not "
                       u"Shift-JIS (CP932) text, read as U+FFFD)"_s};
    // clang-format on
}

void TestTextFile::decoding()
{
    QFETCH(QString, fixture);
    QFETCH(QStringList, fields);
    QFETCH(QStringList, problems);
    const QString path = QFINDTESTDATA(u"textfiles/"_s + fixture);
    QVERIFY(!path.isEmpty());
    Diagnostics diagnostics;
    const std::optional<QString> text = readTextFile(path, diagnostics);
    QVERIFY(text);
    QCOMPARE(test::fieldTexts(*text), fields);
    QCOMPARE(diagnostics.size(), problems.size());
    for (qsizetype i = 0; i < problems.size(); ++i) {
        QVERIFY2(brief(diagnostics.at(i)).startsWith(problems.at(i)), qPrintable(brief(diagnostics.at(i))));
        QCOMPARE(diagnostics.at(i).fileName(), fixture);
    }
}

void TestTextFile::secretBytesAreNotShown()
{
    Diagnostics diagnostics;
    const QString text = decodeTextFile("4\r\nschool\r\n0\r\n0\r\n\r\npass\xFFword\r\n", u"共通データ.txt"_s,
                                        diagnostics, TextFileKind::secretSettings());
    QVERIFY(text.contains(u"pass\uFFFDword"_s));
    QCOMPARE(diagnostics.size(), 1);
    QCOMPARE(diagnostics.first().location, Diagnostic::lineLocation(6));
    QVERIFY2(!diagnostics.first().text.contains(u"0xFF"_s), qPrintable(diagnostics.first().text));
}

void TestTextFile::settingsFilesHaveASizeLimit()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"パスデータ.txt"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(TextFileKind::settingsFileLimit, 'x'));
    file.close();
    Diagnostics diagnostics;
    QVERIFY(readTextFile(path, diagnostics, TextFileKind::settings())); // exactly the limit is read
    QVERIFY(diagnostics.isEmpty());
    QVERIFY(file.open(QIODevice::Append));
    file.write("\r\n");
    file.close();
    QVERIFY(!readTextFile(path, diagnostics, TextFileKind::settings()));
    QCOMPARE(diagnostics.size(), 1);
    QCOMPARE(diagnostics.first().severity, Diagnostic::Severity::Fatal);
    QVERIFY(diagnostics.first().text.contains(u"larger than 1 MiB"_s));
    diagnostics.clear();
    QVERIFY(readTextFile(path, diagnostics, TextFileKind::data())); // data files have no limit
}

QTEST_APPLESS_MAIN(TestTextFile)
#include "tst_textfile.moc"
