#include "app/context.h"
#include "app/navigator.h"
#include "hub/hubscreen.h"
#include "platform/widgets.h"
#include "results/resultfile.h"
#include "results/resultrecord.h"
#include "roster/grades.h"
#include "roster/roster.h"
#include "state/startup.h"
#include "testsupport/fakes.h"
#include "testsupport/fixtures.h"
#include "testsupport/uifakes.h"

#include <QApplication>
#include <QComboBox>
#include <QRadioButton>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace kemoro;

// A configured session on the demo installation with a pupil confirmed.
struct HubRun
{
    test::TempInstallation install;
    test::FakeClock clock{QDateTime(QDate(2026, 12, 10), QTime(10, 0))};
    test::FakeRandom random;
    test::ScriptedMessages messages;
    test::FakeProgramStarter programs;
    AppContext context;
    std::unique_ptr<Navigator> navigator;

    explicit HubRun(int levels = 1, const QString &pupilName = u"工藤　ゆうと"_s)
    {
        context.services = {&clock, &random, &messages, &programs};
        Diagnostics d;
        configure(context.session, install.programDir(), clock.today(), d);
        navigator = std::make_unique<Navigator>(context);
        buildDefaultLevelTable(context.session);
        context.session.levelCount = qint16(levels);
        context.session.curPupilNo = 8;
        context.session.curPupilName = pupilName;
        context.session.curPupilGrade = u"小３"_s;
        context.session.sessionStartTick = clock.monotonicMs();
        context.session.roster.schoolYear = schoolYear(clock.today(), context.session.settings.yearStartMonth);
        loadRoster(context.session.folders.rosterFile(), 0, context.session.roster, d);
        clock.advanceMs(12 * 60000 + 5000);
    }

    void append(int level, int seconds, int daysAgo = 0)
    {
        const ResultRecord rec =
            drillRecord(clock.now().addDays(-daysAgo), 8, qint16(level), seconds, u"12345"_s);
        QVERIFY(!ResultFile(context.session.folders.resultFile()).append(rec, [](int) { return true; }));
    }
};

template<typename T>
T *child(QWidget *w, const QString &name)
{
    T *found = w->findChild<T *>(name);
    if (!found)
        qWarning("no control %s", qPrintable(name));
    return found;
}

class TestHubScreen : public QObject
{
    Q_OBJECT
private slots:
    void oneLevelColumn();
    void teacherSeesDataButton();
    void manyLevelsScrollAndKeys();
    void overPracticeNoticeCoversTheButton();
    void levelWithoutDrillScreenKeepsTheHub();
    void viewsAndLists();
};

void TestHubScreen::oneLevelColumn()
{
    HubRun run;
    run.append(1, 25);
    run.append(1, 40, 3);
    HubScreen hub(run.context);
    hub.show();
    hub.activate();
    QVERIFY(hub.hubReady());
    QCOMPARE(child<QLabel>(&hub, u"Label11"_s)->text(), u"ケモロ"_s);
    QCOMPARE(child<QLabel>(&hub, u"Label12"_s)->text(), u"小３ 工藤　ゆうと"_s);
    QCOMPARE(child<QLabel>(&hub, u"Label13"_s)->text(), u"ケモロ算数教室:8"_s);
    QCOMPARE(child<QLabel>(&hub, u"Label17"_s)->text(), u"起動後12分"_s);
    QCOMPARE(child<QLabel>(&hub, u"Label18"_s)->text(), u"本日総回数＝1回"_s);
    QCOMPARE(child<QLabel>(&hub, u"Label3(1)"_s)->text(), u"レベル１"_s);
    QCOMPARE(child<QPushButton>(&hub, u"Command4(1)"_s)->text(), u"ｽﾀｰﾄ(&1)"_s);
    QVERIFY(child<QPushButton>(&hub, u"Command4(1)"_s)->isEnabled());
    QVERIFY(!hub.findChild<QWidget *>(u"Command4(2)"_s));
    // Demo criteria of level 1: target 30 s, 5 drills / 100 points, rate 1.
    QCOMPARE(child<QLabel>(&hub, u"Label7(1)"_s)->text(), u"目標=30秒 5回/100点(×1)"_s);
    QCOMPARE(child<QLabel>(&hub, u"Label14(1)"_s)->text(), u"1回/5点"_s);
    QCOMPARE(child<QLabel>(&hub, u"Label15(1)"_s)->text(), u"2回/9点"_s);
    QCOMPARE(child<QLabel>(&hub, u"Label8(1)"_s)->text(), u"最近7日=2回 / 9点"_s);
    QCOMPARE(child<QListView>(&hub, u"List5(1)"_s)->width(), ui::px(14592));
    QVERIFY(!child<QScrollBar>(&hub, u"HScroll1"_s)->isVisible());
    QVERIFY(!child<QPushButton>(&hub, u"Command8"_s)->isVisible());
    QVERIFY(!child<QWidget>(&hub, u"Picture2"_s)->isVisible());
}

void TestHubScreen::teacherSeesDataButton()
{
    HubRun run(1, u"山田先生"_s);
    HubScreen hub(run.context);
    hub.show();
    hub.activate();
    QVERIFY(child<QPushButton>(&hub, u"Command8"_s)->isVisible());
}

void TestHubScreen::manyLevelsScrollAndKeys()
{
    HubRun run(24);
    run.context.session.firstColumn = 40;
    HubScreen hub(run.context);
    hub.show();
    hub.activate();
    auto *scroll = child<QScrollBar>(&hub, u"HScroll1"_s);
    QVERIFY(scroll->isVisible());
    QCOMPARE(scroll->maximum(), 21);
    QCOMPARE(run.context.session.firstColumn, 21);
    // Practice levels show only number, name and start button, with 600 s criteria.
    QVERIFY(!child<QListView>(&hub, u"List5(4)"_s)->isVisible());
    QVERIFY(child<QPushButton>(&hub, u"Command4(4)"_s)->isVisible());
    QCOMPARE(run.context.session.criteria[4].targetTime, 600);
    QCOMPARE(run.context.session.criteria[4].minTime, 600);
    scroll->setValue(2);
    QCOMPARE(child<QLabel>(&hub, u"Label1(1)"_s)->x(), hub.width()); // scrolled out to the right
    // "a" starts level 10 (a practice level: the timed-task dispatch of even levels).
    QTest::keyClick(&hub, Qt::Key_A);
    QCOMPARE(run.context.session.curLevel, qint16(10));
}

void TestHubScreen::overPracticeNoticeCoversTheButton()
{
    HubRun run(3);
    run.context.session.allLevelsSelectable = 0;
    run.context.session.goalLevel = 3;
    // Level 1 passed (5 drills, >= 100 points) and over its limit of 20 drills in one day.
    for (int k = 0; k < 20; ++k)
        run.append(1, 10);
    HubScreen hub(run.context);
    hub.show();
    hub.activate();
    QVERIFY(!child<QPushButton>(&hub, u"Command4(1)"_s)->isEnabled());
    QVERIFY(child<QLineEdit>(&hub, u"Text1(1)"_s)->isVisible());
    QCOMPARE(child<QLineEdit>(&hub, u"Text1(1)"_s)->text(), u"やりすぎ禁止"_s);
    QVERIFY(child<QPushButton>(&hub, u"Command4(2)"_s)->isEnabled());
    QTest::keyClick(&hub, Qt::Key_1); // a barred level ignores its key
    QCOMPARE(run.context.session.curLevel, qint16(0));
}

void TestHubScreen::levelWithoutDrillScreenKeepsTheHub()
{
    HubRun run(24);
    HubScreen hub(run.context);
    hub.show();
    hub.activate();
    hub.startByButton(21);
    QCOMPARE(run.context.session.curLevel, qint16(21));
    QVERIFY(hub.hubReady());
    QVERIFY(!child<QWidget>(&hub, u"Picture2"_s)->isVisible());
}

void TestHubScreen::viewsAndLists()
{
    HubRun run(2);
    run.append(1, 25);      // pupil 8 today
    run.append(1, 200, 3);  // three days ago
    HubScreen hub(run.context);
    hub.show();
    hub.activate();
    // Default: points view, ranking by points so far, the pupil first with 9 points.
    QCOMPARE(child<QLabel>(&hub, u"Label5"_s)->text(), u"獲得ポイント（今まで順位）"_s);
    QCOMPARE(child<QRadioButton>(&hub, u"Option1(1)"_s)->text(), u"累計順"_s);
    const QStringList points = hub.listLines(1);
    QCOMPARE(points.size(), 28); // every listed pupil of the demo roster (status 0)
    QCOMPARE(points.first(), u" 1●工藤　ゆう  5/    6"_s);

    QTest::mouseClick(child<QRadioButton>(&hub, u"Option2(0)"_s), Qt::LeftButton);
    QCOMPARE(child<QRadioButton>(&hub, u"Option1(1)"_s)->text(), u"BEST表示"_s);
    QCOMPARE(child<QLabel>(&hub, u"Label5"_s)->text(), u"ベスト成績"_s);
    QCOMPARE(hub.listLines(1).first(), u" 1●工藤　ゆう    25 ●"_s);
    QVERIFY(hub.listLines(1).at(1).startsWith(u"--"_s));

    QTest::mouseClick(child<QRadioButton>(&hub, u"Option1(2)"_s), Qt::LeftButton);
    QCOMPARE(child<QLabel>(&hub, u"Label5"_s)->text(), u"本日の成績"_s);
    QCOMPARE(hub.listLines(1), QStringList{u"  25秒 10:12●工藤　ゆう●5"_s});
    QCOMPARE(child<QListView>(&hub, u"List5(1)"_s)->palette().color(QPalette::Base), QColor(0, 192, 0));

    QTest::mouseClick(child<QRadioButton>(&hub, u"Option1(3)"_s), Qt::LeftButton);
    QVERIFY(child<QComboBox>(&hub, u"Combo2"_s)->isVisible());
    QCOMPARE(hub.listLines(1).size(), 2);
    // The last record of the file took longer than the minimum line: silver.
    QCOMPARE(child<QListView>(&hub, u"List5(1)"_s)->palette().color(QPalette::Base), QColor(192, 192, 192));
    child<QComboBox>(&hub, u"Combo2"_s)->setCurrentIndex(0);
    hub.choosePeriod(0); // this week: Monday 7 to Thursday 10
    QCOMPARE(run.context.session.listPeriod, 1);
    QCOMPARE(hub.listLines(1).size(), 2);

    QTest::mouseClick(child<QRadioButton>(&hub, u"Option2(2)"_s), Qt::LeftButton);
    QVERIFY(child<QPushButton>(&hub, u"Command17"_s)->isVisible());
    QCOMPARE(child<QLabel>(&hub, u"Label5"_s)->text(), u"個人別ﾀｲﾑ"_s);
    QCOMPARE(hub.listLines(1), (QStringList{u"2026/12/10 10:12:05  25秒"_s, u"2026/12/07 10:12:05 200秒"_s}));

    // A grade in the personal-time view rebuilds the points view.
    child<QComboBox>(&hub, u"Combo1"_s)->setCurrentText(u"小１"_s);
    hub.chooseGrade();
    QVERIFY(child<QRadioButton>(&hub, u"Option2(1)"_s)->isChecked());
    QVERIFY(!child<QPushButton>(&hub, u"Command17"_s)->isVisible());
    QCOMPARE(hub.listLines(1).size(), 0); // the period list: no first grader drilled
    QTest::mouseClick(child<QRadioButton>(&hub, u"Option1(1)"_s), Qt::LeftButton);
    QCOMPARE(hub.listLines(1).size(), 3); // the three first graders of the demo roster
    QVERIFY(child<QPushButton>(&hub, u"Command4(1)"_s)->isEnabled());
    QVERIFY(child<QListView>(&hub, u"List5(1)"_s)->isVisible());
}

QTEST_MAIN(TestHubScreen)
#include "tst_hubscreen.moc"
