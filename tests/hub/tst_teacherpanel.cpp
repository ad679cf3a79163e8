#include "app/navigator.h"
#include "criteria/criteriaeditor.h"
#include "drill/drillform.h"
#include "hub/hubscreen.h"
#include "results/recordscreen.h"
#include "roster/grades.h"
#include "roster/nameselectionscreen.h"
#include "state/context.h"
#include "state/startup.h"
#include "testsupport/fakes.h"
#include "testsupport/fixtures.h"
#include "testsupport/manualtimers.h"
#include "testsupport/uifakes.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace kemoro;

namespace {
// A teacher on a fresh hub of the demo installation (password "1234").
struct Run
{
    test::TempInstallation install;
    test::FakeClock clock{QDateTime(QDate(2026, 12, 10), QTime(10, 0))};
    test::FakeRandom random;
    test::ScriptedMessages messages;
    test::FakeProgramStarter programs;
    test::ManualTimers timers{&clock};
    AppContext context;
    std::unique_ptr<Navigator> navigator;

    explicit Run(const QString &name = u"山田先生"_s)
    {
        context.services = {&clock, &random, &messages, &programs};
        context.services.timers = &timers;
        Diagnostics d;
        configure(context.session, install.programDir(), clock.today(), d);
        navigator = std::make_unique<Navigator>(context);
        buildDefaultLevelTable(context.session);
        context.session.curPupilNo = 1;
        context.session.curPupilName = name;
        context.session.roster.schoolYear =
            schoolYear(clock.today(), context.session.settings.yearStartMonth);
        navigator->showHub();
    }
    HubScreen *hub() const { return test::openScreen<HubScreen>(); }
    template <typename T> T *child(const QString &name) const { return hub()->findChild<T *>(name); }
    QLineEdit *box() const { return child<QLineEdit>(u"Text3"_s); }
};
} // namespace

class TestTeacherPanel : public QObject
{
    Q_OBJECT
private slots:
    void door_data();
    void door();
    void pupilsHaveNoDoor();
    void levelKeysGoToThePassword();
    void closingEmptiesTheBox();
    void maintenanceScreensLeadBackToAFreshHub();
};

void TestTeacherPanel::door_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("opens"); // objectName of the screen, empty: refused
    QTest::addColumn<QString>("refusal");
    const QString askAgain = u"パスワードを入力して下さい"_s;
    const QString noPassword = u"パスワードが設定されていません"_s;
    // clang-format off
    QTest::newRow("right password, records")     << u"1234"_s << u"1234"_s  << 0 << u"FrmData"_s     << QString();
    QTest::newRow("right password, criteria")    << u"1234"_s << u"1234"_s  << 1 << u"FrmTimeData"_s << QString();
    QTest::newRow("wrong password")              << u"1234"_s << u"1235"_s  << 0 << QString()        << askAgain;
    QTest::newRow("empty box")                   << u"1234"_s << QString()  << 1 << QString()        << askAgain;
    QTest::newRow("blank around the password")   << u"1234"_s << u" 1234"_s << 0 << QString()        << askAgain;
    QTest::newRow("empty setting, empty box")    << QString() << QString()  << 0 << QString()        << noPassword;
    QTest::newRow("empty setting, criteria")     << QString() << QString()  << 1 << QString()        << noPassword;
    QTest::newRow("empty setting, typed text")   << QString() << u"1234"_s  << 1 << QString()        << noPassword;
    // clang-format on
}

void TestTeacherPanel::door()
{
    QFETCH(QString, setting);
    QFETCH(QString, typed);
    QFETCH(int, button);
    QFETCH(QString, opens);
    QFETCH(QString, refusal);
    Run run;
    run.context.session.settings.teacherPassword = setting;
    QPointer<HubScreen> hub = run.hub();
    run.child<QPushButton>(u"Command8"_s)->click();
    QVERIFY(run.child<QWidget>(u"Picture7"_s)->isVisible());
    QCOMPARE(run.box()->echoMode(), QLineEdit::Password);
    run.box()->setText(typed);
    run.child<QPushButton>(u"Command10(%1)"_s.arg(button))->click();
    if (opens.isEmpty()) {
        QCOMPARE(run.messages.shown.size(), 1);
        QCOMPARE(run.messages.shown.first().text, refusal);
        QCOMPARE(run.messages.shown.first().buttons, Messages::Buttons::Ok);
        QVERIFY(!run.messages.shown.first().text.contains(setting.isEmpty() ? u"\x01"_s : setting));
        QVERIFY(hub && hub->isVisible());
        QCOMPARE(run.box()->text(), typed);
        QVERIFY(!test::openScreen<RecordScreen>() && !test::openScreen<CriteriaEditor>());
        return;
    }
    QWidget *screen = button == 0 ? static_cast<QWidget *>(test::openScreen<RecordScreen>())
                                  : static_cast<QWidget *>(test::openScreen<CriteriaEditor>());
    QVERIFY(screen);
    QCOMPARE(screen->objectName(), opens);
    QVERIFY(screen->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!hub);
}

void TestTeacherPanel::pupilsHaveNoDoor()
{
    Run run(u"工藤　ゆうと"_s);
    QVERIFY(!run.child<QPushButton>(u"Command8"_s)->isVisible());
    QVERIFY(!run.child<QWidget>(u"Picture7"_s)->isVisible());
}

void TestTeacherPanel::levelKeysGoToThePassword()
{
    Run run;
    QPointer<HubScreen> hub = run.hub();
    run.child<QPushButton>(u"Command8"_s)->click();
    run.child<QPushButton>(u"Command12"_s)->setFocus();
    // "0" would leave the hub and "1" start level 1; here they are typed.
    QTest::keyClicks(hub, u"01"_s);
    QCOMPARE(run.box()->text(), u"01"_s);
    QVERIFY(hub->isVisible());
    QVERIFY(!test::openScreen<DrillForm>());
    QVERIFY(!test::openScreen<NameSelectionScreen>());
    // Nor do the start buttons react while the door is open.
    hub->startByButton(1);
    QVERIFY(!test::openScreen<DrillForm>());
}

void TestTeacherPanel::closingEmptiesTheBox()
{
    Run run;
    run.child<QPushButton>(u"Command8"_s)->click();
    run.box()->setText(u"12"_s);
    run.child<QPushButton>(u"Command12"_s)->click();
    QVERIFY(!run.child<QWidget>(u"Picture7"_s)->isVisible());
    QCOMPARE(run.box()->text(), QString());
}

void TestTeacherPanel::maintenanceScreensLeadBackToAFreshHub()
{
    Run run;
    for (int k = 0; k < 2; ++k) {
        QPointer<HubScreen> hub = run.hub();
        run.child<QPushButton>(u"Command8"_s)->click();
        run.box()->setText(u"1234"_s);
        run.child<QPushButton>(u"Command10(%1)"_s.arg(k))->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!hub);
        QPointer<QWidget> screen = k == 0 ? static_cast<QWidget *>(test::openScreen<RecordScreen>())
                                          : static_cast<QWidget *>(test::openScreen<CriteriaEditor>());
        QVERIFY(screen);
        screen->findChild<QPushButton *>(u"Command4"_s)->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!screen);
        QVERIFY(run.hub() && run.hub()->isVisible() && run.hub()->hubReady());
        QCOMPARE(run.box()->text(), QString());
        QVERIFY(!run.child<QWidget>(u"Picture7"_s)->isVisible());
    }
}

QTEST_MAIN(TestTeacherPanel)
#include "tst_teacherpanel.moc"
