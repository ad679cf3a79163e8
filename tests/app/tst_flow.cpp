#include "app/navigator.h"
#include "drill/drillform.h"
#include "drill/endofdrillscreen.h"
#include "drill/recordingsound.h"
#include "hub/hubscreen.h"
#include "roster/nameselectionscreen.h"
#include "state/context.h"
#include "state/splashwindow.h"
#include "testsupport/fakes.h"
#include "testsupport/fixtures.h"
#include "testsupport/manualtimers.h"
#include "testsupport/uifakes.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace kemoro;

// The way a pupil goes through the program: a name, the hub, a drill, the
// end-of-drill screen, the hub again and back to the names.
class TestFlow : public QObject
{
    Q_OBJECT
private slots:
    void pupilPlaysADrillAndSeesItCounted();
};

void TestFlow::pupilPlaysADrillAndSeesItCounted()
{
    // Level 1's target is 30 s; pupil 8 is one of three third graders, the
    // only one whose name holds 工藤.
    test::Classroom classroom{
        .pupils = {{7, u"木村　めい"_s, 3}, {8, u"工藤　ゆうと"_s, 3}, {9, u"小林　あおい"_s, 3}},
        .criteria = {{u"30"_s, u"60"_s, u"100"_s, u"5"_s, u"1"_s, u"20"_s, u"300"_s, u"7"_s, u"1"_s}}};
    const test::Installation install(classroom);
    QVERIFY2(install.isValid(), qPrintable(install.error()));
    test::FakeClock clock{QDateTime(QDate(2026, 12, 10), QTime(10, 0))};
    test::ManualTimers timers{&clock};
    SystemRandom random{7};
    test::ScriptedMessages messages;
    test::FakeProgramStarter programs;
    test::RecordingSound sound;
    AppContext context;
    context.services = {&clock, &random, &messages, &programs, &sound};
    context.services.timers = &timers;
    context.session.folders.programDir = install.programDir();
    Navigator navigator(context);
    QSignalSpy finished(&navigator, &Navigator::finished);
    navigator.start();
    timers.advance(100); // the splash's Timer1

    // The name list: pick 工藤　ゆうと (pupil 8) and confirm.
    QVERIFY(test::openScreen<NameSelectionScreen>());
    auto *names = test::openScreen<NameSelectionScreen>()->findChild<QListWidget *>(u"List1"_s);
    const QList<QListWidgetItem *> found = names->findItems(u"工藤"_s, Qt::MatchContains);
    QCOMPARE(found.size(), 1);
    names->setCurrentItem(found.first());
    QTest::mouseClick(names->viewport(), Qt::LeftButton, {}, names->visualItemRect(found.first()).center());
    QTest::mouseClick(test::openScreen<NameSelectionScreen>()->findChild<QPushButton *>(u"Command14"_s),
                      Qt::LeftButton);
    timers.advance(0);

    QVERIFY(test::openScreen<HubScreen>() && test::openScreen<HubScreen>()->hubReady());
    QVERIFY(!test::openScreen<NameSelectionScreen>());
    QCOMPARE(context.session.curPupilNo, qint16(8));
    HubScreen *hub = test::openScreen<HubScreen>();
    QCOMPARE(hub->findChild<QLabel *>(u"Label14(1)"_s)->text(), u"-----"_s);

    // Level 1 by its key; ten right answers in 20 seconds.
    QTest::keyClick(hub, Qt::Key_1);
    timers.advance(0);
    QVERIFY(test::openScreen<DrillForm>());
    QVERIFY(!test::openScreen<HubScreen>());
    DrillForm *drill = test::openScreen<DrillForm>();
    clock.advanceMs(20000);
    drill->clockTick();
    for (int answered = 0; answered < 10; ++answered) {
        const int product = drill->findChild<QLabel *>(u"Label5"_s)->text().toInt();
        bool done = false;
        for (int i = 1; i <= 9 && !done; ++i)
            for (int j = 1; j <= 9 && !done; ++j) {
                auto *a = drill->findChild<QLabel *>(u"Label1(%1)"_s.arg(i));
                auto *b = drill->findChild<QLabel *>(u"Label2(%1)"_s.arg(j));
                if (a->isHidden() || b->isHidden() || i * j != product) continue;
                QTest::mouseClick(a, Qt::LeftButton);
                QTest::mouseClick(b, Qt::LeftButton);
                QTest::mouseClick(drill->findChild<QPushButton *>(u"Command1"_s), Qt::LeftButton);
                done = true;
            }
        QVERIFY(done);
    }

    // The second's wait after the drill, the end-of-drill screen and its
    // reveal, then "メニューへ" to a fresh hub that counts the drill.
    timers.advance(1000);
    EndOfDrillScreen *end = test::openScreen<EndOfDrillScreen>();
    QVERIFY(end);
    QCOMPARE(end->findChild<QLabel *>(u"Label18"_s)->text(), u"今の成績：20秒"_s);
    timers.advance(500);
    QVERIFY(end->findChild<QPushButton *>(u"Command4"_s)->isVisible());
    QTest::mouseClick(end->findChild<QPushButton *>(u"Command4"_s), Qt::LeftButton);
    timers.advance(0);
    QVERIFY(test::openScreen<HubScreen>() && test::openScreen<HubScreen>()->hubReady());
    hub = test::openScreen<HubScreen>();
    // 20 s against a target of 30 s: (10/30)^3 x 50 + 5 = 6 points.
    QCOMPARE(hub->findChild<QLabel *>(u"Label14(1)"_s)->text(), u"1回/6点"_s);
    QCOMPARE(hub->findChild<QLabel *>(u"Label18"_s)->text(), u"本日総回数＝1回"_s);
    QCOMPARE(hub->listLines(1).first(), u" 1●工藤　ゆう  6/    6"_s);

    // "0" goes back to the names, which show today's drill.
    QTest::keyClick(hub, Qt::Key_0);
    timers.advance(0);
    QVERIFY(test::openScreen<NameSelectionScreen>());
    QVERIFY(!test::openScreen<HubScreen>());
    names = test::openScreen<NameSelectionScreen>()->findChild<QListWidget *>(u"List1"_s);
    const QList<QListWidgetItem *> again = names->findItems(u"工藤"_s, Qt::MatchContains);
    QCOMPARE(again.size(), 1);
    QVERIFY(again.first()->text().contains(u"6/"_s));
    QCOMPARE(messages.shown.size(), 0);
    QCOMPARE(finished.size(), 0);
}

QTEST_MAIN(TestFlow)
#include "tst_flow.moc"
