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
#include "testsupport/hubrun.h"
#include "testsupport/uifakes.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace kemoro;

namespace {
constexpr int teacher = 30;

test::Classroom classroom()
{
    return {.pupils = {{8, u"工藤　ゆうと"_s, 3}, {teacher, u"山田先生"_s, 20}}, .password = u"1234"_s};
}

// A teacher (or a pupil) on a fresh hub; the teacher password is "1234".
struct Run : test::HubRun
{
    explicit Run(int pupil = teacher) : HubRun(classroom(), pupil)
    {
        if (isValid()) navigator->showHub();
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
    QVERIFY2(run.isValid(), qPrintable(run.error()));
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
    Run run(8);
    QVERIFY2(run.isValid(), qPrintable(run.error()));
    QVERIFY(!run.child<QPushButton>(u"Command8"_s)->isVisible());
    QVERIFY(!run.child<QWidget>(u"Picture7"_s)->isVisible());
}

void TestTeacherPanel::levelKeysGoToThePassword()
{
    Run run;
    QVERIFY2(run.isValid(), qPrintable(run.error()));
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
    QVERIFY2(run.isValid(), qPrintable(run.error()));
    run.child<QPushButton>(u"Command8"_s)->click();
    run.box()->setText(u"12"_s);
    run.child<QPushButton>(u"Command12"_s)->click();
    QVERIFY(!run.child<QWidget>(u"Picture7"_s)->isVisible());
    QCOMPARE(run.box()->text(), QString());
}

void TestTeacherPanel::maintenanceScreensLeadBackToAFreshHub()
{
    Run run;
    QVERIFY2(run.isValid(), qPrintable(run.error()));
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
