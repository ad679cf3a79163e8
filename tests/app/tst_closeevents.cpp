#include "app/navigator.h"
#include "criteria/criteriaeditor.h"
#include "drill/recordingsound.h"
#include "platform/messages.h"
#include "results/resultrecord.h"
#include "results/resultstore.h"
#include "state/context.h"
#include "testsupport/fakes.h"
#include "testsupport/fixtures.h"
#include "testsupport/installation.h"
#include "testsupport/manualtimers.h"
#include "testsupport/uifakes.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;
using namespace kemoro;

namespace {

constexpr int pupil = 3;

// The object names of the windows shown, in order.
QStringList shownWindows()
{
    QStringList names;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible()) names.append(w->objectName());
    names.sort();
    return names;
}

// A close as the window manager asks for it (the title-bar button, Alt+F4):
// the event goes to the screen's window, which hands it to the widget.
// Returns whether the close was accepted.
bool closeByWindowManager(QWidget *screen)
{
    QCloseEvent close;
    QCoreApplication::sendEvent(screen->windowHandle(), &close);
    return close.isAccepted();
}

QWidget *shownWindow(const QString &name)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->objectName() == name) return w;
    qWarning("no window %s shown", qPrintable(name));
    return nullptr;
}

// A configured session of one pupil with one drill stored earlier, so the
// result file exists before any screen opens.
struct Run
{
    test::Installation install{{.pupils = {{pupil, u"山田　花子"_s, 3}}, .today = QDate(2026, 12, 10)}};
    test::FakeClock clock{QDateTime(QDate(2026, 12, 10), QTime(10, 0))};
    test::ManualTimers timers{&clock};
    test::FakeRandom random;
    test::ScriptedMessages messages;
    test::FakeProgramStarter programs;
    test::RecordingSound sound;
    AppContext context;
    std::unique_ptr<Navigator> navigator;
    std::unique_ptr<QSignalSpy> finished;
    QString error;

    Run()
    {
        context.services = {&clock, &random, &messages, &programs, &sound};
        context.services.timers = &timers;
        context.session.folders.programDir = install.programDir();
        navigator = std::make_unique<Navigator>(context);
        finished = std::make_unique<QSignalSpy>(navigator.get(), &Navigator::finished);
        if (!install.isValid()) {
            error = install.error();
            return;
        }
        if (!navigator->configure() || !messages.shown.isEmpty()) error = u"the configuration failed"_s;
        Session &s = context.session;
        s.curPupilNo = pupil;
        s.curPupilName = u"山田　花子"_s;
        s.sessionStartTick = clock.monotonicMs();
        buildDefaultLevelTable(s);
        const ResultRecord earlier = drillRecord(clock.now().addSecs(-600), pupil, 1, 40, u"12345"_s);
        if (ResultStore(resultFile()).append(earlier, [](int) { return false; }))
            error += u"; cannot write "_s + resultFile();
    }
    ~Run() { navigator.reset(); }

    QString resultFile() const { return context.session.folders.resultFile(); }

    // The timed task of level 2, finished by its button: recorded, and the
    // wait window's second has begun.
    void finishTimedTask()
    {
        context.session.curLevel = 2;
        navigator->startDrill();
        QTest::mouseClick(test::child<QPushButton>(shownWindow(u"MainFrm2"_s), u"Command1"_s),
                          Qt::LeftButton);
    }
};

} // namespace

class TestCloseEvents : public QObject
{
    Q_OBJECT
private slots:
    void qtNeverEndsTheProgramByItself();
    void closeTakesTheScreensWayBack_data();
    void closeTakesTheScreensWayBack();
    void closeOnceTheDrillEndedIsIgnored();
    void closeAsksAboutChangedCriteria_data();
    void closeAsksAboutChangedCriteria();
    void onlyWindowOfItsRunEndsIt_data();
    void onlyWindowOfItsRunEndsIt();
};

void TestCloseEvents::qtNeverEndsTheProgramByItself()
{
    // Only the navigator's finished ends the main loop; Qt's own quit on the
    // last window would end it whenever a lone message box closes.
    Run run;
    QVERIFY(!QGuiApplication::quitOnLastWindowClosed());
}

void TestCloseEvents::closeTakesTheScreensWayBack_data()
{
    QTest::addColumn<QString>("screen");    // the window the close goes to
    QTest::addColumn<QStringList>("after"); // the windows shown after it
    QTest::addColumn<bool>("leaves");       // the launcher is started and the program ends
    QTest::addColumn<bool>("noLauncher");
    // clang-format off
    QTest::newRow("names: to the launcher")           << u"namesel"_s      << QStringList{}                   << true  << false;
    QTest::newRow("names: the launcher is missing")   << u"namesel"_s      << QStringList{}                   << true  << true;
    QTest::newRow("hub: back to the names")           << u"seisekitime1"_s << QStringList{u"namesel"_s}       << false << false;
    QTest::newRow("question drill: unrecorded, hub")  << u"MainFrm"_s      << QStringList{u"seisekitime1"_s}  << false << false;
    QTest::newRow("timed task: unrecorded, hub")      << u"MainFrm2"_s     << QStringList{u"seisekitime1"_s}  << false << false;
    QTest::newRow("end screen: メニューへ")            << u"FrmSyuuryou"_s  << QStringList{u"seisekitime1"_s}  << false << false;
    QTest::newRow("end screen before its buttons")    << u"FrmSyuuryou early"_s << QStringList{u"FrmSyuuryou"_s} << false << false;
    QTest::newRow("record screen: 戻る")               << u"FrmData"_s      << QStringList{u"seisekitime1"_s}  << false << false;
    QTest::newRow("criteria editor, unchanged: 戻る")  << u"FrmTimeData"_s  << QStringList{u"seisekitime1"_s}  << false << false;
    QTest::newRow("splash: start-up goes on")         << u"Firstfrm"_s     << QStringList{u"Firstfrm"_s}      << false << false;
    QTest::newRow("wait window: stays")               << u"BASEFRM"_s      << QStringList{u"BASEFRM"_s}       << false << false;
    // clang-format on
}

void TestCloseEvents::closeTakesTheScreensWayBack()
{
    QFETCH(QString, screen);
    QFETCH(QStringList, after);
    QFETCH(bool, leaves);
    QFETCH(bool, noLauncher);
    Run run;
    QVERIFY2(run.error.isEmpty(), qPrintable(run.error));
    if (noLauncher) run.programs.failure = u"not found"_s;

    const QString window = screen.section(u' ', 0, 0);
    if (screen == u"namesel"_s) {
        run.navigator->showNameSelection();
    } else if (screen == u"seisekitime1"_s) {
        run.navigator->showHub();
    } else if (screen == u"MainFrm"_s || screen == u"MainFrm2"_s) {
        run.context.session.curLevel = screen == u"MainFrm"_s ? 1 : 2;
        run.navigator->startDrill();
        run.timers.advance(3000); // the clock runs
    } else if (screen.startsWith(u"FrmSyuuryou"_s)) {
        run.finishTimedTask();
        run.timers.advance(1000);
        if (screen == u"FrmSyuuryou"_s) run.timers.advance(500); // its buttons are offered
    } else if (screen == u"FrmData"_s) {
        run.navigator->showRecordScreen();
    } else if (screen == u"FrmTimeData"_s) {
        run.navigator->showCriteriaEditor();
    } else if (screen == u"Firstfrm"_s) {
        run.navigator->start();
    } else if (screen == u"BASEFRM"_s) {
        run.navigator->showWaitWindow();
    }
    run.timers.advance(0);
    QCOMPARE(shownWindows(), QStringList{window});
    const QByteArray results = test::readBytes(run.resultFile());

    QWidget *shown = shownWindow(window);
    QVERIFY(shown);
    QVERIFY(!closeByWindowManager(shown));
    run.timers.advance(0);
    QCOMPARE(shownWindows(), after);
    QCOMPARE(run.finished->size(), leaves ? 1 : 0);
    QCOMPARE(run.programs.started.size(), leaves ? 1 : 0);
    QCOMPARE(run.messages.shown.size(), noLauncher ? 1 : 0);
    if (noLauncher) QVERIFY(run.messages.shown.first().text.contains(u"プログラムメニューc.exe"_s));

    // Nothing follows later: no end-of-drill screen after a given-up drill,
    // and nothing is written to the result file.
    run.timers.advance(after == QStringList{u"FrmSyuuryou"_s} ? 500 : 1000);
    QCOMPARE(shownWindows(), screen == u"Firstfrm"_s ? QStringList{u"namesel"_s} : after);
    QCOMPARE(test::readBytes(run.resultFile()), results);
    QCOMPARE(run.finished->size(), leaves ? 1 : 0);
}

void TestCloseEvents::closeOnceTheDrillEndedIsIgnored()
{
    // The drill is stored and the wait window's second runs: the close may
    // not take back what is written, and the end-of-drill screen follows.
    Run run;
    QVERIFY2(run.error.isEmpty(), qPrintable(run.error));
    run.finishTimedTask();
    const QByteArray results = test::readBytes(run.resultFile());
    QCOMPARE(shownWindows(), (QStringList{u"BASEFRM"_s, u"MainFrm2"_s}));
    QVERIFY(!closeByWindowManager(shownWindow(u"MainFrm2"_s)));
    QCOMPARE(shownWindows(), (QStringList{u"BASEFRM"_s, u"MainFrm2"_s}));
    run.timers.advance(1000);
    QCOMPARE(shownWindows(), QStringList{u"FrmSyuuryou"_s});
    QCOMPARE(test::readBytes(run.resultFile()), results);
    QCOMPARE(run.finished->size(), 0);
}

void TestCloseEvents::closeAsksAboutChangedCriteria_data()
{
    QTest::addColumn<int>("answer"); // Messages::Answer
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<bool>("saved");
    // clang-format off
    QTest::newRow("Cancel keeps the editor and its changes") << int(Messages::Answer::Cancel) << QStringList{u"FrmTimeData"_s}  << false;
    QTest::newRow("No drops them: the hub")                  << int(Messages::Answer::No)     << QStringList{u"seisekitime1"_s} << false;
    QTest::newRow("Yes records them: the hub")               << int(Messages::Answer::Yes)    << QStringList{u"seisekitime1"_s} << true;
    // clang-format on
}

void TestCloseEvents::closeAsksAboutChangedCriteria()
{
    QFETCH(int, answer);
    QFETCH(QStringList, after);
    QFETCH(bool, saved);
    Run run;
    QVERIFY2(run.error.isEmpty(), qPrintable(run.error));
    const QString criteria = run.context.session.folders.criteriaFile();
    const QByteArray before = test::readBytes(criteria);
    run.navigator->showCriteriaEditor();
    auto *editor = test::openScreen<CriteriaEditor>();
    QVERIFY(editor);
    editor->clickCell(1, 1);
    test::child<QLineEdit>(editor, u"Gridinputtext"_s)->setText(u"25"_s);
    QVERIFY(editor->cellPainted(1, 1));

    run.messages.answers.push_back(Messages::Answer(answer));
    QVERIFY(!closeByWindowManager(editor));
    run.timers.advance(0);
    QCOMPARE(run.messages.shown.size(), 1);
    QCOMPARE(run.messages.shown.first().title, u"注意"_s);
    QCOMPARE(run.messages.shown.first().text, u"データが変更されています。記録しますか？"_s);
    QCOMPARE(run.messages.shown.first().buttons, Messages::Buttons::YesNoCancel);
    QCOMPARE(shownWindows(), after);
    QCOMPARE(test::readBytes(criteria) != before, saved);
    if (saved) QCOMPARE(run.context.session.criteria[1].targetTime, 25);
    if (after == QStringList{u"FrmTimeData"_s}) {
        QVERIFY(editor->changed());
        QVERIFY(editor->cellPainted(1, 1));
        QCOMPARE(editor->cellText(1, 1), u"25"_s);
    }
    QCOMPARE(run.finished->size(), 0);
}

void TestCloseEvents::onlyWindowOfItsRunEndsIt_data()
{
    QTest::addColumn<QString>("window");
    QTest::newRow("--print-test: the print preview") << u"frmPrint"_s;
    QTest::newRow("--explain: the page window") << u"frmBrowser"_s;
}

void TestCloseEvents::onlyWindowOfItsRunEndsIt()
{
    QFETCH(QString, window);
    Run run;
    QVERIFY2(run.error.isEmpty(), qPrintable(run.error));
    QVERIFY(test::writeCp932(run.install.dataFolder() + u"解説.html"_s, u"<p>九九</p>"_s));
    if (window == u"frmPrint"_s)
        run.navigator->start(PrintTestAtStart{});
    else
        run.navigator->start(ExplanationAtStart{u"解説.html"_s});
    run.timers.advance(100);
    QCOMPARE(shownWindows(), QStringList{window});
    QVERIFY(closeByWindowManager(shownWindow(window)));
    run.timers.advance(0);
    QCOMPARE(shownWindows(), QStringList{});
    QCOMPARE(run.finished->size(), 1);
    QCOMPARE(run.finished->first().first().toInt(), 0);
}

QTEST_MAIN(TestCloseEvents)
#include "tst_closeevents.moc"
