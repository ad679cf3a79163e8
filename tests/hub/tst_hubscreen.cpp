#include "app/navigator.h"
#include "hub/hubscreen.h"
#include "platform/widgets.h"
#include "results/resultrecord.h"
#include "results/resultstore.h"
#include "roster/grades.h"
#include "roster/roster.h"
#include "state/context.h"
#include "state/startup.h"
#include "testsupport/fakes.h"
#include "testsupport/fixtures.h"
#include "testsupport/hubrun.h"
#include "testsupport/manualtimers.h"
#include "testsupport/uifakes.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace kemoro;

namespace {
constexpr int teacher = 30;

// Three first graders, pupil 8 in grade 3, a teacher, and two pupils whose
// status keeps them off the lists. Every level: target 30 s, minimum 60 s,
// cleared by 5 drills or 100 points, rate 1, barred after 20 drills a day.
test::Classroom classroom()
{
    return {.pupils = {{1, u"青木　さくら"_s, 1},
                       {2, u"石井　はると"_s, 1},
                       {3, u"上田　ゆい"_s, 1},
                       {4, u"江藤　そうた"_s, 2},
                       {8, u"工藤　ゆうと"_s, 3},
                       {16, u"中村　いつき"_s, 4, 2},
                       {20, u"林　そうすけ"_s, 5, 1},
                       {teacher, u"山田先生"_s, 20}},
            .criteria = QList<QStringList>(
                24, {u"30"_s, u"60"_s, u"100"_s, u"5"_s, u"1"_s, u"20"_s, u"300"_s, u"7"_s, u"1"_s})};
}
constexpr int listedPupils = 6; // status 0

// The pupil confirmed the name twelve minutes ago; every drill is pupil 8's.
struct ScreenRun : test::HubRun
{
    explicit ScreenRun(int levels = 1, int pupil = 8) : HubRun(classroom(), pupil, levels)
    {
        clock.advanceMs(12 * 60000 + 5000);
    }
    void append(int level, int seconds, int daysAgo = 0) { HubRun::append(8, level, seconds, daysAgo); }
};
} // namespace

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
    void pointsViewRanksTodayAndLeavesTheTint();
};

void TestHubScreen::oneLevelColumn()
{
    ScreenRun run;
    QVERIFY2(run.isValid(), qPrintable(run.error()));
    run.append(1, 25);
    run.append(1, 40, 3);
    HubScreen hub(run.context);
    hub.show();
    hub.activate();
    QVERIFY(hub.hubReady());
    QCOMPARE(test::child<QLabel>(&hub, u"Label11"_s)->text(), u"ケモロ"_s);
    QCOMPARE(test::child<QLabel>(&hub, u"Label12"_s)->text(), u"小３ 工藤　ゆうと"_s);
    QCOMPARE(test::child<QLabel>(&hub, u"Label13"_s)->text(), u"ケモロ算数教室:8"_s);
    QCOMPARE(test::child<QLabel>(&hub, u"Label17"_s)->text(), u"起動後12分"_s);
    QCOMPARE(test::child<QLabel>(&hub, u"Label18"_s)->text(), u"本日総回数＝1回"_s);
    QCOMPARE(test::child<QLabel>(&hub, u"Label3(1)"_s)->text(), u"レベル１"_s);
    QCOMPARE(test::child<QPushButton>(&hub, u"Command4(1)"_s)->text(), u"ｽﾀｰﾄ(&1)"_s);
    QVERIFY(test::child<QPushButton>(&hub, u"Command4(1)"_s)->isEnabled());
    QVERIFY(!hub.findChild<QWidget *>(u"Command4(2)"_s));
    // The classroom's criteria of level 1: target 30 s, 5 drills / 100 points, rate 1.
    QCOMPARE(test::child<QLabel>(&hub, u"Label7(1)"_s)->text(), u"目標=30秒 5回/100点(×1)"_s);
    QCOMPARE(test::child<QLabel>(&hub, u"Label14(1)"_s)->text(), u"1回/5点"_s);
    QCOMPARE(test::child<QLabel>(&hub, u"Label15(1)"_s)->text(), u"2回/9点"_s);
    QCOMPARE(test::child<QLabel>(&hub, u"Label8(1)"_s)->text(), u"最近7日=2回 / 9点"_s);
    QCOMPARE(test::child<QListView>(&hub, u"List5(1)"_s)->width(), ui::px(14592));
    QVERIFY(!test::child<QScrollBar>(&hub, u"HScroll1"_s)->isVisible());
    QVERIFY(!test::child<QPushButton>(&hub, u"Command8"_s)->isVisible());
    QVERIFY(!test::child<QWidget>(&hub, u"Picture2"_s)->isVisible());
}

void TestHubScreen::teacherSeesDataButton()
{
    ScreenRun run(1, teacher);
    QVERIFY2(run.isValid(), qPrintable(run.error()));
    HubScreen hub(run.context);
    hub.show();
    hub.activate();
    QVERIFY(test::child<QPushButton>(&hub, u"Command8"_s)->isVisible());
}

void TestHubScreen::manyLevelsScrollAndKeys()
{
    ScreenRun run(24);
    QVERIFY2(run.isValid(), qPrintable(run.error()));
    run.context.session.firstColumn = 40;
    HubScreen hub(run.context);
    hub.show();
    hub.activate();
    auto *scroll = test::child<QScrollBar>(&hub, u"HScroll1"_s);
    QVERIFY(scroll->isVisible());
    QCOMPARE(scroll->maximum(), 21);
    QCOMPARE(run.context.session.firstColumn, 21);
    // Practice levels show only number, name and start button, with 600 s criteria.
    QVERIFY(!test::child<QListView>(&hub, u"List5(4)"_s)->isVisible());
    QVERIFY(test::child<QPushButton>(&hub, u"Command4(4)"_s)->isVisible());
    QCOMPARE(run.context.session.criteria[4].targetTime, 600);
    QCOMPARE(run.context.session.criteria[4].minTime, 600);
    scroll->setValue(2);
    QCOMPARE(test::child<QLabel>(&hub, u"Label1(1)"_s)->x(), hub.width()); // scrolled out to the right
    // A click in the track, right of the handle, moves one column, as an arrow does.
    QTest::mouseClick(scroll, Qt::LeftButton, {}, QPoint(scroll->width() - 40, scroll->height() / 2));
    QCOMPARE(scroll->value(), 3);
    QCOMPARE(run.context.session.firstColumn, 3);
    // A level list with the focus has no type-ahead search: "a" still starts
    // level 10 (a practice level: the timed-task dispatch of even levels).
    auto *list = test::child<QListView>(&hub, u"List5(3)"_s);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_A);
    QCOMPARE(run.context.session.curLevel, qint16(10));
}

void TestHubScreen::overPracticeNoticeCoversTheButton()
{
    ScreenRun run(3);
    QVERIFY2(run.isValid(), qPrintable(run.error()));
    run.context.session.allLevelsSelectable = 0;
    run.context.session.goalLevel = 3;
    // Level 1 passed (5 drills, >= 100 points) and over its limit of 20 drills in one day.
    for (int k = 0; k < 20; ++k)
        run.append(1, 10);
    HubScreen hub(run.context);
    hub.show();
    hub.activate();
    QVERIFY(!test::child<QPushButton>(&hub, u"Command4(1)"_s)->isEnabled());
    QVERIFY(test::child<QLineEdit>(&hub, u"Text1(1)"_s)->isVisible());
    QCOMPARE(test::child<QLineEdit>(&hub, u"Text1(1)"_s)->text(), u"やりすぎ禁止"_s);
    QVERIFY(test::child<QPushButton>(&hub, u"Command4(2)"_s)->isEnabled());
    QTest::keyClick(&hub, Qt::Key_1); // a barred level ignores its key
    QCOMPARE(run.context.session.curLevel, qint16(0));
}

void TestHubScreen::levelWithoutDrillScreenKeepsTheHub()
{
    ScreenRun run(24);
    QVERIFY2(run.isValid(), qPrintable(run.error()));
    HubScreen hub(run.context);
    hub.show();
    hub.activate();
    hub.startByButton(21);
    QCOMPARE(run.context.session.curLevel, qint16(21));
    QVERIFY(hub.hubReady());
    QVERIFY(!test::child<QWidget>(&hub, u"Picture2"_s)->isVisible());
}

void TestHubScreen::viewsAndLists()
{
    ScreenRun run(2);
    QVERIFY2(run.isValid(), qPrintable(run.error()));
    run.append(1, 25);     // pupil 8 today
    run.append(1, 200, 3); // three days ago
    HubScreen hub(run.context);
    hub.show();
    hub.activate();
    // Default: points view, ranking by points so far, the pupil first with 9 points.
    QCOMPARE(test::child<QLabel>(&hub, u"Label5"_s)->text(), u"獲得ポイント（今まで順位）"_s);
    QCOMPARE(test::child<QRadioButton>(&hub, u"Option1(1)"_s)->text(), u"累計順"_s);
    const QStringList points = hub.listLines(1);
    QCOMPARE(points.size(), listedPupils);
    QCOMPARE(points.first(), u" 1●工藤　ゆう  5/    6"_s);

    QTest::mouseClick(test::child<QRadioButton>(&hub, u"Option2(0)"_s), Qt::LeftButton);
    QCOMPARE(test::child<QRadioButton>(&hub, u"Option1(1)"_s)->text(), u"BEST表示"_s);
    QCOMPARE(test::child<QLabel>(&hub, u"Label5"_s)->text(), u"ベスト成績"_s);
    QCOMPARE(hub.listLines(1).first(), u" 1●工藤　ゆう    25 ●"_s);
    QVERIFY(hub.listLines(1).at(1).startsWith(u"--"_s));

    QTest::mouseClick(test::child<QRadioButton>(&hub, u"Option1(2)"_s), Qt::LeftButton);
    QCOMPARE(test::child<QLabel>(&hub, u"Label5"_s)->text(), u"本日の成績"_s);
    QCOMPARE(hub.listLines(1), QStringList{u"  25秒 10:12●工藤　ゆう●5"_s});
    QCOMPARE(test::child<QListView>(&hub, u"List5(1)"_s)->palette().color(QPalette::Base), QColor(0, 192, 0));

    QTest::mouseClick(test::child<QRadioButton>(&hub, u"Option1(3)"_s), Qt::LeftButton);
    QVERIFY(test::child<QComboBox>(&hub, u"Combo2"_s)->isVisible());
    QCOMPARE(hub.listLines(1).size(), 2);
    // The last record of the file took longer than the minimum line: silver.
    QCOMPARE(test::child<QListView>(&hub, u"List5(1)"_s)->palette().color(QPalette::Base),
             QColor(192, 192, 192));
    test::child<QComboBox>(&hub, u"Combo2"_s)->setCurrentIndex(0);
    hub.choosePeriod(0); // this week: Monday 7 to Thursday 10
    QCOMPARE(run.context.session.listPeriod, 1);
    QCOMPARE(hub.listLines(1).size(), 2);

    QTest::mouseClick(test::child<QRadioButton>(&hub, u"Option2(2)"_s), Qt::LeftButton);
    QVERIFY(test::child<QPushButton>(&hub, u"Command17"_s)->isVisible());
    QCOMPARE(test::child<QLabel>(&hub, u"Label5"_s)->text(), u"個人別ﾀｲﾑ"_s);
    QCOMPARE(hub.listLines(1), (QStringList{u"2026/12/10 10:12:05  25秒"_s, u"2026/12/07 10:12:05 200秒"_s}));

    // A grade in the personal-time view rebuilds the points view.
    test::child<QComboBox>(&hub, u"Combo1"_s)->setCurrentText(u"小１"_s);
    hub.chooseGrade();
    QVERIFY(test::child<QRadioButton>(&hub, u"Option2(1)"_s)->isChecked());
    QVERIFY(!test::child<QPushButton>(&hub, u"Command17"_s)->isVisible());
    QCOMPARE(hub.listLines(1).size(), 0); // the period list: no first grader drilled
    QTest::mouseClick(test::child<QRadioButton>(&hub, u"Option1(1)"_s), Qt::LeftButton);
    QCOMPARE(hub.listLines(1).size(), 3); // the three first graders of the classroom
    // Typed text that names no grade, then Enter: no new entry, the lists stay.
    auto *grades = test::child<QComboBox>(&hub, u"Combo1"_s);
    const int entries = grades->count();
    const QString chosen = grades->currentText();
    grades->lineEdit()->setFocus();
    grades->lineEdit()->selectAll();
    QTest::keyClicks(grades->lineEdit(), u"xyz"_s);
    QTest::keyClick(grades->lineEdit(), Qt::Key_Return);
    QCOMPARE(grades->count(), entries);
    QCOMPARE(grades->currentText(), chosen);
    QTest::mouseClick(test::child<QRadioButton>(&hub, u"Option1(1)"_s), Qt::LeftButton);
    QCOMPARE(hub.listLines(1).size(), 3);
    // The period box adds nothing either.
    auto *periods = test::child<QComboBox>(&hub, u"Combo2"_s);
    const int periodEntries = periods->count();
    periods->lineEdit()->selectAll();
    QTest::keyClicks(periods->lineEdit(), u"xyz"_s);
    QTest::keyClick(periods->lineEdit(), Qt::Key_Return);
    QCOMPARE(periods->count(), periodEntries);
    QVERIFY(test::child<QPushButton>(&hub, u"Command4(1)"_s)->isEnabled());
    QVERIFY(test::child<QListView>(&hub, u"List5(1)"_s)->isVisible());
}

void TestHubScreen::pointsViewRanksTodayAndLeavesTheTint()
{
    ScreenRun run;
    for (int k = 0; k < 3; ++k)
        run.HubRun::append(3, 1, 10, 2); // pupil 3: more points so far, none today
    run.append(1, 25);                   // pupil 8 today, within the target: green
    HubScreen hub(run.context);
    hub.show();
    hub.activate();
    auto *list = test::child<QListView>(&hub, u"List5(1)"_s);
    QVERIFY(!hub.listLines(1).first().contains(u'●')); // 合計累計: pupil 3 first

    QTest::mouseClick(test::child<QRadioButton>(&hub, u"Option1(2)"_s), Qt::LeftButton);
    QCOMPARE(test::child<QRadioButton>(&hub, u"Option1(2)"_s)->text(), u"本日順"_s);
    QVERIFY(hub.listLines(1).first().contains(u'●')); // ranked by today's points

    QTest::mouseClick(test::child<QRadioButton>(&hub, u"Option2(0)"_s), Qt::LeftButton);
    QTest::mouseClick(test::child<QRadioButton>(&hub, u"Option1(3)"_s), Qt::LeftButton);
    QCOMPARE(list->palette().color(QPalette::Base), QColor(0, 192, 0));
    run.append(1, 200); // now the newest time is slower than the minimum line
    QTest::mouseClick(test::child<QRadioButton>(&hub, u"Option2(1)"_s), Qt::LeftButton);
    QCOMPARE(test::child<QRadioButton>(&hub, u"Option1(3)"_s)->text(), u"すべて"_s);
    QCOMPARE(hub.listLines(1).size(), 5);
    QCOMPARE(list->palette().color(QPalette::Base), QColor(0, 192, 0)); // points are no time: no tint
    QTest::mouseClick(test::child<QRadioButton>(&hub, u"Option1(2)"_s), Qt::LeftButton);
    QVERIFY(hub.listLines(1).first().contains(u'●')); // 合計本日 ranks by today's points
}

QTEST_MAIN(TestHubScreen)
#include "tst_hubscreen.moc"
