#include "app/navigator.h"
#include "app/options.h"
#include "hub/hubscreen.h"
#include "print/frmprint.h"
#include "print/printselection.h"
#include "roster/grades.h"
#include "roster/nameselectionscreen.h"
#include "state/context.h"
#include "state/startup.h"
#include "testsupport/fakes.h"
#include "testsupport/fixtures.h"
#include "testsupport/manualtimers.h"
#include "testsupport/uifakes.h"
#include "tools/demoinstall.h"

#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace kemoro;

namespace {
constexpr int teacher = 30;

// A teacher, the password "1234", and five worksheet questions of level 1
// among two of level 2.
test::Classroom classroom()
{
    QList<QStringList> questions;
    for (int level = 1; level <= 2; ++level)
        for (int a = 2; a <= (level == 1 ? 6 : 3); ++a)
            questions.append({QString::number(level),
                              QString::number(a),
                              u"×"_s + QString::number(level + 1),
                              u"＝"_s + QString::number(a * (level + 1)),
                              {},
                              {},
                              {},
                              {},
                              {}});
    return {.pupils = {{teacher, u"山田先生"_s, 20}}, .password = u"1234"_s, .worksheet = questions};
}

// A teacher on a fresh hub.
struct Run
{
    test::Installation install{classroom()};
    test::FakeClock clock{QDateTime(QDate(2026, 12, 10), QTime(10, 0))};
    test::ManualTimers timers{&clock};
    test::FakeRandom random{{}, 0.4};
    test::ScriptedMessages messages;
    test::FakeProgramStarter programs;
    AppContext context;
    std::unique_ptr<Navigator> navigator;
    QString error; // empty: the installation was written and configured without a problem

    Run()
    {
        context.services = {&clock, &random, &messages, &programs};
        context.services.timers = &timers;
        Diagnostics d;
        if (!install.isValid())
            error = install.error();
        else if (!configure(context.session, install.programDir(), clock.today(), d) || !d.isEmpty())
            error = u"configure: "_s + (d.isEmpty() ? u"failed"_s : d.first().toLine());
        navigator = std::make_unique<Navigator>(context);
        buildDefaultLevelTable(context.session);
        context.session.curPupilNo = teacher;
        context.session.curPupilName = u"山田先生"_s;
        context.session.roster.schoolYear =
            schoolYear(clock.today(), context.session.settings.yearStartMonth);
        navigator->showHub();
    }
    template <typename T> T *child(const QString &name) const
    {
        return test::openScreen<HubScreen>()->findChild<T *>(name);
    }
    void openDoor(const QString &typed)
    {
        child<QPushButton>(u"Command8"_s)->click();
        child<QLineEdit>(u"Text3"_s)->setText(typed);
    }
};
} // namespace

class TestPrintWaysIn : public QObject
{
    Q_OBJECT
private slots:
    void printSettingsOpenOverTheHub_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("opens");
        // clang-format off
        QTest::newRow("right password") << u"1234"_s << true;
        QTest::newRow("wrong password") << u"123"_s  << false;
        // clang-format on
    }
    void printSettingsOpenOverTheHub()
    {
        QFETCH(QString, typed);
        QFETCH(bool, opens);
        Run run;
        QVERIFY2(run.error.isEmpty(), qPrintable(run.error));
        QPointer<HubScreen> hub = test::openScreen<HubScreen>();
        run.openDoor(typed);
        auto *button = run.child<QPushButton>(u"Command10(2)"_s);
        QCOMPARE(button->text(), u"印刷設定"_s);
        button->click();
        QCoreApplication::processEvents();
        QVERIFY(hub && hub->isVisible());
        QCOMPARE(test::openScreen<HubScreen>(), hub.data());
        QPointer<print::PrintSelection> selection = test::openScreen<print::PrintSelection>();
        QCOMPARE(bool(selection), opens);
        QCOMPARE(run.messages.shown.size(), opens ? 0 : 1);
        if (!opens) return;
        QVERIFY(selection->isVisible());
        QCOMPARE(selection->windowTitle(), u"Form1"_s);
        // The classroom's questions of level 1 fill the table.
        QCOMPARE(selection->desk().sheet.loaded, 5);
        selection->findChild<QPushButton *>(u"Command2"_s)->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!selection);
        QVERIFY(hub && hub->isVisible());
    }

    void stepTemplateBehindThePassword_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("written");
        // clang-format off
        QTest::newRow("right password writes it")   << u"1234"_s << true;
        QTest::newRow("wrong password writes nothing") << u"x"_s  << false;
        // clang-format on
    }
    void stepTemplateBehindThePassword()
    {
        QFETCH(QString, typed);
        QFETCH(bool, written);
        Run run;
        QVERIFY2(run.error.isEmpty(), qPrintable(run.error));
        const QString templ = run.context.session.folders.stepTemplateFile();
        const QString live = run.context.session.folders.stepFile();
        QVERIFY(test::writeBytes(live, QByteArray("\x01\x00\x02\x00", 4)));
        run.openDoor(typed);
        auto *button = run.child<QPushButton>(u"Command15"_s);
        QCOMPARE(button->text(), u"ステップ.datの初期化"_s);
        QVERIFY(button->isVisible());
        button->click();
        QCOMPARE(QFile::exists(templ), written);
        if (written) QCOMPARE(test::readBytes(templ), QByteArray(40000, '\0'));
        QCOMPARE(test::readBytes(live), QByteArray("\x01\x00\x02\x00", 4));
    }

    void printTestOption_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("printTest");
        QTest::addColumn<bool>("error");
        // clang-format off
        QTest::newRow("alone")             << QStringList{u"kemoro"_s, u"--print-test"_s} << true << false;
        QTest::newRow("with program dir")  << QStringList{u"kemoro"_s, u"--program-dir"_s, u"/x"_s, u"--print-test"_s} << true << false;
        QTest::newRow("not given")         << QStringList{u"kemoro"_s} << false << false;
        QTest::newRow("not with explain")  << QStringList{u"kemoro"_s, u"--print-test"_s, u"--explain"_s, u"a.html"_s} << false << true;
        QTest::newRow("takes no value")    << QStringList{u"kemoro"_s, u"--print-test=1"_s} << false << true;
        // clang-format on
    }
    void printTestOption()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, printTest);
        QFETCH(bool, error);
        const ProgramOptions options = parseProgramOptions(arguments);
        QCOMPARE(options.printTest, printTest);
        QCOMPARE(!options.error.isEmpty(), error);
    }

    void printTestWindowEndsTheRun()
    {
        Run run;
        QVERIFY2(run.error.isEmpty(), qPrintable(run.error));
        run.navigator->closeHub();
        QSignalSpy finished(run.navigator.get(), &Navigator::finished);
        run.navigator->start(PrintTestAtStart{});
        run.timers.advance(100);
        QVERIFY(test::openScreen<print::FrmPrint>());
        print::FrmPrint *window = test::openScreen<print::FrmPrint>();
        QVERIFY(!test::openScreen<NameSelectionScreen>());
        QCOMPARE(window->windowTitle(), u"Quorvex"_s);
        QVERIFY(window->findChild<QPushButton *>(u"Command5"_s)->isVisible());
        window->findChild<QPushButton *>(u"Command10"_s)->click();
        QCOMPARE(window->desk().job.docType, int(print::PrintJob::LabelTest));
        window->findChild<QPushButton *>(u"Command8"_s)->click();
        run.timers.advance(0);
        QCOMPARE(finished.size(), 1);
    }
};

QTEST_MAIN(TestPrintWaysIn)
#include "tst_printwaysin.moc"
