#include "app/navigator.h"
#include "classroom.h"
#include "results/resultrecord.h"
#include "roster/nameselectionscreen.h"
#include "state/context.h"
#include "state/soundcues.h"
#include "testsupport/fakes.h"
#include "testsupport/fixtures.h"
#include "testsupport/manualtimers.h"
#include "testsupport/uifakes.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace kemoro;

namespace {

// Remembers the cues instead of playing them.
class RecordingPlayer final : public SoundPlayer
{
public:
    void play(const QString &file, Done done) override
    {
        played.append(file);
        done({});
    }
    QStringList played;
};

const QDateTime startTime(QDate(2027, 1, 5), QTime(9, 0, 0));

// The program against the classroom above, where 佐藤　みお played level 1 in
// 15 seconds this morning (11 points).
struct Run
{
    test::Installation install{test::rosterClassroom(startTime.date())};
    test::FakeClock clock{startTime};
    test::ManualTimers timers{&clock};
    test::FakeRandom random;
    test::ScriptedMessages messages;
    test::FakeProgramStarter programs;
    RecordingPlayer sound;
    AppContext context;
    std::unique_ptr<Navigator> navigator;
    std::unique_ptr<QSignalSpy> finished;

    Run()
    {
        context.services = {&clock, &random, &messages, &programs, &sound};
        context.services.timers = &timers;
        context.session.folders.programDir = install.programDir();
        navigator = std::make_unique<Navigator>(context);
        finished = std::make_unique<QSignalSpy>(navigator.get(), &Navigator::finished);
        addDrill(startTime.addSecs(-3600), 15);
    }
    void addDrill(const QDateTime &when, qint32 time)
    {
        QFile file(install.dataFolder() + u"成績累積データ.dat"_s);
        QVERIFY(file.open(QIODevice::Append));
        file.write(encodeRecord(drillRecord(when, 10, 1, time, u"12345"_s)));
    }
    // Starts the program past the splash's Timer1; the name list, ready, or
    // none when the start-up had anything to say about the installation.
    NameSelectionScreen *start()
    {
        navigator->start();
        timers.advance(100);
        if (!test::openScreen<NameSelectionScreen>() || cover()->isVisible()) return nullptr;
        for (const test::ScriptedMessages::Shown &shown : std::as_const(messages.shown))
            qWarning("start-up message: %s", qPrintable(shown.text));
        if (!messages.shown.isEmpty()) return nullptr;
        return names();
    }
    // The name screen, also while it is closed but not yet deleted: a
    // confirmed name closes it before the test looks at it again.
    NameSelectionScreen *names() const
    {
        if (NameSelectionScreen *shown = test::openScreen<NameSelectionScreen>()) return shown;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *screen = qobject_cast<NameSelectionScreen *>(w)) return screen;
        return nullptr;
    }
    template <typename T> T *child(const QString &name) const { return names()->findChild<T *>(name); }
    QWidget *cover() const { return child<QWidget>(u"Picture5"_s); }
    QListWidget *list() const { return child<QListWidget>(u"List1"_s); }
    QComboBox *grades() const { return child<QComboBox>(u"Combo1"_s); }
    QLabel *chosen() const { return child<QLabel>(u"Label1"_s); }
    QRadioButton *option(int i) const { return child<QRadioButton>(u"Option1(%1)"_s.arg(i)); }
    int row(const QString &prefix) const
    {
        for (int r = 0; r < list()->count(); ++r)
            if (list()->item(r)->text().startsWith(prefix)) return r;
        return -1;
    }
    void chooseGrade(const QString &text)
    {
        const int i = grades()->findText(text);
        grades()->setCurrentIndex(i);
        emit grades()->activated(i);
    }
};

} // namespace

class TestNameSelectionScreen : public QObject
{
    Q_OBJECT
private slots:
    void loadsTheListAndConfirmsAName();
    void doubleClickConfirmsWithTheLeftFigure();
    void activationResetsRankingAndGrades();
    void everyReturnRebuildsTheList();
    void missingRosterEndsWithItsName();
};

void TestNameSelectionScreen::loadsTheListAndConfirmsAName()
{
    Run run;
    QVERIFY2(run.install.isValid(), qPrintable(run.install.error()));
    NameSelectionScreen *names = run.start();
    QVERIFY(names);
    QCOMPARE(run.grades()->count(), 12);
    QCOMPARE(run.grades()->currentText(), u"全学年"_s);
    QVERIFY(run.option(1)->isChecked());
    QCOMPARE(names->rankingKind(), 1);
    // The listed pupils under the dash line, youngest first.
    QCOMPARE(run.list()->count(), 1 + test::listedPupils);
    QCOMPARE(run.list()->item(0)->text(), u"－－－－－－"_s);
    QCOMPARE(run.list()->currentRow(), 0);
    QVERIFY(run.list()->item(1)->text().startsWith(u"幼2 "_s));
    QVERIFY(QFontInfo(run.list()->font()).fixedPitch());
    QCOMPARE(run.chosen()->text(), u"名前を選びなさい"_s);

    // Nobody chosen: the wrong-answer cue, nothing else.
    QTest::mouseClick(run.child<QPushButton>(u"Command14"_s), Qt::LeftButton);
    names->activateWindow();
    run.list()->setFocus();
    QTest::keyClick(run.list(), Qt::Key_1);
    QCOMPARE(run.sound.played.size(), 2);
    QCOMPARE(run.context.session.curPupilNo, 0);
    QVERIFY(run.child<QPushButton>(u"Command14"_s)->isVisible());

    run.chooseGrade(u"小３"_s);
    QCOMPARE(run.context.session.gradeFilter, u"小３"_s);
    QCOMPARE(run.list()->count(), 1 + test::thirdGraders);
    QCOMPARE(run.list()->item(0)->text(), u"－－－－－－"_s);
    for (int r = 1; r < run.list()->count(); ++r)
        QVERIFY(run.list()->item(r)->text().startsWith(u"小3 "_s));

    const int sato = run.row(u"小3 佐藤"_s);
    QVERIFY(sato > 0);
    QCOMPARE(run.list()->item(sato)->text(), u"小3 佐藤　みお　  11/     11"_s);
    run.list()->setCurrentRow(sato);
    QCOMPARE(run.chosen()->text(), u"小3 佐藤　みお　"_s);
    run.list()->setCurrentRow(0);
    QCOMPARE(run.chosen()->text(), u"名前を選びなさい"_s);
    run.list()->setCurrentRow(sato);

    run.clock.advanceMs(1500);
    QTest::keyClick(run.list(), Qt::Key_Return);
    const Session &session = run.context.session;
    QCOMPARE(session.curPupilNo, 10);
    QCOMPARE(session.curPupilName, u"佐藤　みお"_s);
    QCOMPARE(session.curPupilGrade, u"小３"_s);
    QCOMPARE(session.sessionStartTime, 9 * 3600 + 2); // 09:00:01.5 rounds up
    QCOMPARE(session.sessionStartTick, run.clock.monotonicMs());
    QCOMPARE(session.levelCount, 1);
    QCOMPARE(session.levels.levelName[1], u"レベル１"_s);
    QCOMPARE(run.sound.played.size(), 2);
    QCOMPARE(run.messages.shown.size(), 0);
}

void TestNameSelectionScreen::doubleClickConfirmsWithTheLeftFigure()
{
    Run run;
    QVERIFY2(run.install.isValid(), qPrintable(run.install.error()));
    QVERIFY(run.start());
    const int sato = run.row(u"小3 佐藤"_s);
    const QRect rect = run.list()->visualItemRect(run.list()->item(sato));
    QTest::mouseClick(run.list()->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(run.list()->viewport(), Qt::LeftButton, {}, rect.center());
    QCOMPARE(run.chosen()->text(), u"小3 佐藤　みお　  11"_s);
    QCOMPARE(run.context.session.curPupilNo, 10);
}

void TestNameSelectionScreen::activationResetsRankingAndGrades()
{
    Run run;
    QVERIFY2(run.install.isValid(), qPrintable(run.install.error()));
    NameSelectionScreen *names = run.start();
    QVERIFY(names);
    QTest::mouseClick(run.option(0), Qt::LeftButton);
    QCOMPARE(names->rankingKind(), 0);
    QCOMPARE(run.list()->item(run.row(u"小3 佐藤"_s))->text(), u"小3 佐藤　みお　  1回/    1回"_s);
    run.chooseGrade(u"中学生全体"_s);
    QCOMPARE(run.list()->count(), 1 + test::middleSchoolers);

    // As after the version dialog: twelve grades still, all grades again,
    // ranking kind 1, and the list rebuilt to match.
    names->activate();
    names->activate();
    QCOMPARE(run.grades()->count(), 12);
    QCOMPARE(run.grades()->currentText(), u"全学年"_s);
    QCOMPARE(run.context.session.gradeFilter, u"全学年"_s);
    QVERIFY(run.option(1)->isChecked());
    QCOMPARE(run.list()->count(), 1 + test::listedPupils);
    QCOMPARE(run.list()->item(run.row(u"小3 佐藤"_s))->text(), u"小3 佐藤　みお　  11/     11"_s);
}

void TestNameSelectionScreen::everyReturnRebuildsTheList()
{
    Run run;
    QVERIFY2(run.install.isValid(), qPrintable(run.install.error()));
    QVERIFY(run.start());
    run.list()->setCurrentRow(run.row(u"小3 佐藤"_s));
    QTest::mouseClick(run.child<QPushButton>(u"Command14"_s), Qt::LeftButton);
    QCOMPARE(run.context.session.curPupilNo, 10);
    // While the next screen opens, a second confirmation changes nothing.
    run.list()->setCurrentRow(run.row(u"小3 工藤"_s));
    QTest::keyClick(run.list(), Qt::Key_Return);
    QCOMPARE(run.context.session.curPupilNo, 10);

    run.addDrill(startTime.addSecs(60), 30); // 5 more points
    // Back before the event loop has deleted the screen the hub closed: a
    // fresh screen, not the one about to go.
    run.navigator->showNameSelection();
    QVERIFY(run.names() && !run.cover()->isVisible());
    run.timers.advance(0);
    QVERIFY(run.names());
    QCOMPARE(run.list()->item(run.row(u"小3 佐藤"_s))->text(), u"小3 佐藤　みお　  16/     16"_s);
    QVERIFY(run.child<QPushButton>(u"Command14"_s)->isVisible());
    QCOMPARE(run.chosen()->text(), u"名前を選びなさい"_s);
}

void TestNameSelectionScreen::missingRosterEndsWithItsName()
{
    Run run;
    QVERIFY2(run.install.isValid(), qPrintable(run.install.error()));
    const QString roster = run.install.dataRoot() + u"新名簿.txt"_s;
    QVERIFY(QFile::remove(roster));
    run.navigator->start();
    run.timers.advance(100);
    QCOMPARE(run.finished->size(), 1);
    QCOMPARE(run.finished->first().first().toInt(), 1);
    QCOMPARE(run.messages.shown.size(), 1);
    QVERIFY(run.messages.shown.first().text.contains(roster));
}

QTEST_MAIN(TestNameSelectionScreen)
#include "tst_nameselectionscreen.moc"
