#include "windows/explanation.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace kemoro;

class TestExplanation : public QObject
{
    Q_OBJECT
private slots:
    void routing_data();
    void routing();
    void resolution_data();
    void resolution();
};

void TestExplanation::routing_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("browser");
    // clang-format off
    QTest::newRow("swf movie goes to the browser")        << u"かけ算.swf"_s   << true;
    QTest::newRow("upper-case SWF as well")                << u"KAKEZAN.SWF"_s  << true;
    QTest::newRow("the ending alone decides, not a dot")   << u"kakezanswf"_s   << true;
    QTest::newRow("html page goes to the browser")         << u"解説.html"_s    << true;
    QTest::newRow("htm in any case")                       << u"解説.HtM"_s     << true;
    QTest::newRow("web address of a page")                 << u"http://example.com/a.html"_s << true;
    QTest::newRow("mp4 is played")                         << u"九九.mp4"_s     << false;
    QTest::newRow("wmv is played")                         << u"九九.WMV"_s     << false;
    QTest::newRow("no extension is played")                << u"九九"_s         << false;
    QTest::newRow("swf only inside the name is played")    << u"swf.mp4"_s      << false;
    // clang-format on
}

void TestExplanation::routing()
{
    QFETCH(QString, file);
    QFETCH(bool, browser);
    QCOMPARE(explanationWindowFor(file) == ExplanationWindow::Browser, browser);
}

void TestExplanation::resolution_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("local");
    QTest::addColumn<QString>("shown"); // local path or address
    const QString data = u"/srv/データ/kemoro/"_s;
    // clang-format off
    QTest::newRow("relative name in the data folder")   << u"解説.html"_s            << true  << data + u"解説.html"_s;
    QTest::newRow("Windows separators of a subfolder")  << u"動画\\九九.wmv"_s       << true  << data + u"動画/九九.wmv"_s;
    QTest::newRow("absolute path as it is")             << u"/home/先生/a.mp4"_s     << true  << u"/home/先生/a.mp4"_s;
    QTest::newRow("file address as it is")              << u"file:///tmp/a%20b.html"_s << true << u"/tmp/a b.html"_s;
    QTest::newRow("FILE: in capitals too")              << u"FILE:///tmp/a.html"_s   << true  << u"/tmp/a.html"_s;
    QTest::newRow("web address stays an address")       << u"http://example.com/a.html"_s << false << u"http://example.com/a.html"_s;
    QTest::newRow("empty stays empty")                  << QString()                 << false << QString();
    // clang-format on
}

void TestExplanation::resolution()
{
    QFETCH(QString, file);
    QFETCH(bool, local);
    QFETCH(QString, shown);
    const QUrl url = resolveExplanationFile(file, u"/srv/データ/kemoro/"_s);
    QCOMPARE(url.isLocalFile(), local);
    QCOMPARE(explanationAddressText(url), shown);
}

QTEST_APPLESS_MAIN(TestExplanation)
#include "tst_explanation.moc"
