#include "platform/cp932.h"
#include "testsupport/fixtures.h"
#include "tools/demoinstall.h"
#include "windows/browserwindow.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>

using namespace Qt::StringLiterals;
using namespace kemoro;

class TestBrowserWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void opening_data();
    void opening();
    void closeButtonEndsTheDialog();

private:
    QTemporaryDir m_data;
    QString folder() const { return m_data.path() + u'/'; }
};

void TestBrowserWindow::initTestCase()
{
    QVERIFY(m_data.isValid());
    QVERIFY(test::writeBytes(folder() + u"九九.html"_s,
                             u"<html><body><h1>九九の表</h1><img src=\"点.png\">"
                             "<img src=\"http://example.com/remote.png\"></body></html>"_s.toUtf8()));
    QVERIFY(test::writeBytes(folder() + u"点.png"_s, demo::dotsPng(2, 3)));
    // As a Windows editor of the classroom saves it: CP932 and no charset.
    QVERIFY(test::writeCp932(folder() + u"古い.htm"_s, u"<html><body><p>かけ算の逆</p></body></html>\r\n"_s));
    QVERIFY(test::writeBytes(folder() + u"動く.swf"_s, QByteArray("FWS\x09", 4)));
}

void TestBrowserWindow::opening_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("text");       // the browser's plain text
    QTest::addColumn<QStringList>("loaded"); // files read, by name
    const QString data = folder();
    // clang-format off
    QTest::newRow("local page shows its text and local picture only")
        << u"九九.html"_s << u"九九の表"_s << QStringList{u"九九.html"_s, u"点.png"_s};
    QTest::newRow("CP932 page without charset")
        << u"古い.htm"_s << u"かけ算の逆"_s << QStringList{u"古い.htm"_s};
    QTest::newRow("absolute path")
        << data + u"九九.html"_s << u"九九の表"_s << QStringList{u"九九.html"_s, u"点.png"_s};
    QTest::newRow("empty name shows nothing")
        << QString() << QString() << QStringList{};
    QTest::newRow("missing file is named")
        << u"ない.html"_s << u"表示できません："_s + data + u"ない.html"_s << QStringList{};
    QTest::newRow("swf is not played, though it exists")
        << u"動く.swf"_s << u"表示できません："_s + data + u"動く.swf"_s << QStringList{};
    QTest::newRow("web address is not fetched")
        << u"http://example.com/a.html"_s << u"表示できません：http://example.com/a.html"_s << QStringList{};
    // clang-format on
}

void TestBrowserWindow::opening()
{
    QFETCH(QString, file);
    QFETCH(QString, text);
    QFETCH(QStringList, loaded);
    BrowserWindow window(file, folder());
    window.show();
    QCOMPARE(window.objectName(), u"frmBrowser"_s);
    QCOMPARE(window.startingAddress(), file);
    auto *browser = window.findChild<QTextBrowser *>(u"brwWebBrowser"_s);
    QVERIFY(browser);
    QCOMPARE(browser->toPlainText().remove(QChar::ObjectReplacementCharacter).trimmed(),
             text);              // pictures aside
    browser->document()->size(); // lays the page out, which asks for its pictures
    QStringList names;
    for (const QUrl &url : window.loadedResources()) {
        QVERIFY(url.isLocalFile());
        names.append(url.fileName());
    }
    QCOMPARE(names, loaded);
}

void TestBrowserWindow::closeButtonEndsTheDialog()
{
    BrowserWindow window(u"九九.html"_s, folder());
    window.show();
    QSignalSpy finished(&window, &QDialog::finished);
    auto *done = window.findChild<QPushButton *>(u"Command1"_s);
    QCOMPARE(done->text(), u"解説終わり"_s);
    QTest::mouseClick(done, Qt::LeftButton);
    QCOMPARE(finished.size(), 1);
    QVERIFY(!window.isVisible());
}

QTEST_MAIN(TestBrowserWindow)
#include "tst_browserwindow.moc"
