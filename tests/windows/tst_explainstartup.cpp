#include "app/navigator.h"
#include "app/options.h"
#include "roster/nameselectionscreen.h"
#include "state/context.h"
#include "state/splashwindow.h"
#include "testsupport/fakes.h"
#include "testsupport/fixtures.h"
#include "testsupport/manualtimers.h"
#include "testsupport/uifakes.h"
#include "tools/demoinstall.h"
#include "windows/browserwindow.h"
#include "windows/videowindow.h"

#include "fakemediaplayer.h"

#include <QImage>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include <memory>

using namespace Qt::StringLiterals;
using namespace kemoro;

// A run with --explain against an installation in `programDir`.
struct ExplainRun
{
    test::FakeClock clock{QDateTime(QDate(2027, 1, 5), QTime(9, 0))};
    test::ManualTimers timers{&clock};
    test::FakeRandom random;
    test::ScriptedMessages messages;
    test::FakeProgramStarter programs;
    AppContext context;
    std::unique_ptr<Navigator> navigator;
    std::unique_ptr<QSignalSpy> finished;
    QPointer<test::FakeMediaPlayer> player;

    explicit ExplainRun(const QString &programDir)
    {
        context.services = {&clock, &random, &messages, &programs};
        context.services.timers = &timers;
        context.session.folders.programDir = programDir;
        navigator = std::make_unique<Navigator>(context);
        context.services.mediaPlayers = [this] { return player = new test::FakeMediaPlayer; };
        finished = std::make_unique<QSignalSpy>(navigator.get(), &Navigator::finished);
    }
};

class TestExplainStartup : public QObject
{
    Q_OBJECT
private slots:
    void options_data();
    void options();
    void pageOpensInsteadOfTheNames();
    void demoPageShowsItsPicture();
    void videoOpensAndClosingEndsTheProgram();
};

void TestExplainStartup::options_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("usable");
    QTest::addColumn<QString>("file");
    // clang-format off
    QTest::newRow("a file name")          << QStringList{u"--explain"_s, u"解説.html"_s} << true  << u"解説.html"_s;
    QTest::newRow("with = and --sound")   << QStringList{u"--explain=a.mp4"_s, u"--sound=off"_s} << true << u"a.mp4"_s;
    QTest::newRow("empty name refused")   << QStringList{u"--explain"_s, QString()} << false << QString();
    QTest::newRow("empty after =")        << QStringList{u"--explain="_s}           << false << QString();
    QTest::newRow("no name at all")       << QStringList{u"--explain"_s}            << false << QString();
    QTest::newRow("twice is refused")     << QStringList{u"--explain=a"_s, u"--explain=b"_s} << false << QString();
    // clang-format on
}

void TestExplainStartup::options()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, usable);
    QFETCH(QString, file);
    const ProgramOptions parsed = parseProgramOptions(QStringList{u"kemoro"_s} + arguments);
    QCOMPARE(parsed.error.isEmpty(), usable);
    if (usable) {
        QVERIFY(parsed.explain);
        QCOMPARE(parsed.explanationFile, file);
    }
}

void TestExplainStartup::pageOpensInsteadOfTheNames()
{
    const test::Installation install({.pupils = {{1, u"青木　さくら"_s, 1}}});
    QVERIFY2(install.isValid(), qPrintable(install.error()));
    // A CP932 page that says so, and its picture beside it.
    QVERIFY(test::writeCp932(install.dataFolder() + u"解説.html"_s,
                             u"<html><head><meta charset=\"Shift_JIS\"></head>\r\n"
                             u"<body><h1>九九を逆からとく</h1><img src=\"点.png\"></body></html>\r\n"_s));
    QImage dots(6, 4, QImage::Format_RGB32);
    dots.fill(QColor(0xF0, 0x80, 0x20));
    const QString picture = install.dataFolder() + u"点.png"_s;
    QVERIFY(dots.save(picture));
    ExplainRun run(install.programDir());
    run.navigator->start(ExplanationAtStart{u"解説.html"_s});
    QPointer<SplashWindow> splash = test::openScreen<SplashWindow>();
    QVERIFY(splash);
    run.timers.advance(100);
    QVERIFY(test::openScreen<BrowserWindow>());
    BrowserWindow *browser = test::openScreen<BrowserWindow>();
    QVERIFY(browser->isModal());
    QCOMPARE(run.context.session.explanationFile, u"解説.html"_s);
    QCOMPARE(browser->startingAddress(), u"解説.html"_s);
    QVERIFY(!test::openScreen<NameSelectionScreen>());
    QVERIFY(!test::openScreen<VideoWindow>());
    QVERIFY(!splash);

    auto *view = browser->findChild<QTextBrowser *>(u"brwWebBrowser"_s);
    QVERIFY(view->toPlainText().contains(u"九九を逆からとく"_s)); // the page's CP932 read by its charset
    view->document()->size();
    QCOMPARE(browser->loadedResources().last(), QUrl::fromLocalFile(picture));

    QTest::mouseClick(browser->findChild<QPushButton *>(u"Command1"_s), Qt::LeftButton);
    run.timers.advance(0);
    QCOMPARE(run.finished->size(), 1);
    QCOMPARE(run.finished->first().first().toInt(), 0);
    QCOMPARE(run.messages.shown.size(), 0);
}

// The page `./run demo` installs (README: kemoro --explain 解説.html) finds
// the picture the generator draws beside it.
void TestExplainStartup::demoPageShowsItsPicture()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const Diagnostics made = demo::create(root.path(), QDate(2027, 1, 5));
    QVERIFY2(made.isEmpty(), qPrintable(test::diagnosticLines(made)));
    const demo::Installation install{root.path()};
    ExplainRun run(install.programDir());
    run.navigator->start(ExplanationAtStart{demo::explanationPageName()});
    run.timers.advance(100);
    QVERIFY(test::openScreen<BrowserWindow>());
    BrowserWindow *browser = test::openScreen<BrowserWindow>();
    auto *view = browser->findChild<QTextBrowser *>(u"brwWebBrowser"_s);
    QVERIFY(view->toPlainText().contains(u"九九を逆からとく"_s));
    view->document()->size();
    const QString picture = install.dataFolder() + demo::explanationPictureName();
    QCOMPARE(browser->loadedResources().last(), QUrl::fromLocalFile(picture));
    const QImage image = QImage::fromData(test::readBytes(picture));
    QCOMPARE(image.size(), QSize(184, 144)); // 3 x 4 dots
    QCOMPARE(image.pixelColor(12 + 20, 12 + 20), QColor(0xF0, 0x80, 0x20));
    QCOMPARE(image.pixelColor(2, 2), QColor(Qt::white));
    QCOMPARE(run.messages.shown.size(), 0);
}

void TestExplainStartup::videoOpensAndClosingEndsTheProgram()
{
    const test::Installation install({.pupils = {{1, u"青木　さくら"_s, 1}}});
    QVERIFY2(install.isValid(), qPrintable(install.error()));
    ExplainRun run(install.programDir());
    run.navigator->start(ExplanationAtStart{u"九九.mp4"_s});
    run.timers.advance(100);
    QVERIFY(test::openScreen<VideoWindow>());
    QVERIFY(!test::openScreen<BrowserWindow>());
    QVERIFY(run.player);
    QCOMPARE(run.player->sources, QStringList{install.dataFolder() + u"九九.mp4"_s});
    test::openScreen<VideoWindow>()->close();
    run.timers.advance(0);
    QCOMPARE(run.finished->size(), 1);
    QCOMPARE(run.finished->first().first().toInt(), 0);
}

QTEST_MAIN(TestExplainStartup)
#include "tst_explainstartup.moc"
