#include "hub/hubrules.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace kemoro;

namespace {
// Six levels of a plain level set: pass with 5 drills and 100 points.
Session sixLevels()
{
    Session s;
    buildDefaultLevelTable(s);
    s.levelCount = 6;
    s.goalLevel = 6;
    s.curPupilNo = 7;
    s.curPupilName = u"青木　さくら"_s;
    for (int i = 1; i <= 6; ++i) {
        s.levels.levelName[i] = u"レベル%1"_s.arg(i);
        s.criteria[i].clearCount = 5;
        s.criteria[i].clearPoints = 100;
    }
    return s;
}
void pass(Session &s, int level)
{
    s.results.judgeTries(level, s.curPupilNo) = 5;
    s.results.judgePoints(level, s.curPupilNo) = 100;
}
QString enabledLevels(const hub::Unlocking &u)
{
    QStringList out;
    for (size_t i = 1; i < u.enabled.size(); ++i)
        if (u.enabled[i]) out.append(QString::number(i));
    return out.join(u',');
}
QString barredLevels(const hub::Unlocking &u)
{
    QStringList out;
    for (size_t i = 1; i < u.notice.size(); ++i)
        if (u.notice[i].value_or(false)) out.append(QString::number(i));
    return out.join(u',');
}
} // namespace

class TestHubRules : public QObject
{
    Q_OBJECT
private slots:
    void unlocking_data();
    void unlocking();
    void lastSlotReadsNoNextRow();
    void columnTexts();
    void geometry_data();
    void geometry();
    void keys_data();
    void keys();
};

void TestHubRules::unlocking_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("enabled");
    QTest::addColumn<QString>("barred");
    // clang-format off
    QTest::newRow("new pupil: level 1 only")                 << u"new"_s         << u"1"_s           << u""_s;
    QTest::newRow("all selectable opens every level")        << u"all"_s         << u"1,2,3,4,5,6"_s << u""_s;
    QTest::newRow("exactly 先生 opens every level")           << u"teacher"_s     << u"1,2,3,4,5,6"_s << u""_s;
    QTest::newRow("a name containing 先生 does not")          << u"teacherish"_s  << u"1"_s           << u""_s;
    QTest::newRow("passed 1,2,3,5 but not 4")                << u"gap"_s         << u"1,2,3,4,6"_s   << u""_s;
    QTest::newRow("practice level open and opens the way")   << u"practice"_s    << u"1,2,3"_s       << u""_s;
    QTest::newRow("practice after a block opens nothing")    << u"practice2"_s   << u"1,3"_s         << u""_s;
    QTest::newRow("next level without points goal")          << u"9999"_s        << u"1,2"_s         << u""_s;
    QTest::newRow("over-practised passed level is barred")   << u"over"_s        << u"1,3"_s         << u"2"_s;
    QTest::newRow("goal cleared ends every bar")             << u"overgoal"_s    << u"1,2,3,4"_s      << u""_s;
    QTest::newRow("limits of 0 or empty never bar")          << u"nolimit"_s     << u"1,2,3"_s       << u""_s;
    QTest::newRow("all selectable still bars")               << u"allover"_s     << u"1,3,4,5,6"_s   << u"2"_s;
    // clang-format on
}

void TestHubRules::unlocking()
{
    QFETCH(QString, setup);
    QFETCH(QString, enabled);
    QFETCH(QString, barred);
    Session s = sixLevels();
    if (setup == u"all"_s) s.allLevelsSelectable = 1;
    if (setup == u"teacher"_s) s.curPupilName = u" 先生 "_s;
    if (setup == u"teacherish"_s) s.curPupilName = u"山田先生"_s;
    if (setup == u"gap"_s)
        for (int i : {1, 2, 3, 5})
            pass(s, i);
    if (setup == u"practice"_s) {
        s.levels.levelName[2] = u"レベル２練習"_s;
        pass(s, 1);
    }
    if (setup == u"practice2"_s) s.levels.levelName[3] = u"レベル３練習"_s;
    if (setup == u"9999"_s) s.criteria[2].clearPoints = 9999;
    if (setup == u"over"_s || setup == u"overgoal"_s || setup == u"nolimit"_s || setup == u"allover"_s) {
        pass(s, 1);
        pass(s, 2);
        s.criteria[2].overCount = FreeValue::fromField(setup == u"nolimit"_s ? u"0"_s : u"5"_s, false);
        s.results.limitTries(2, s.curPupilNo) = 5;
        if (setup == u"overgoal"_s) {
            s.goalLevel = 3;
            pass(s, 3);
        }
        if (setup == u"allover"_s) s.allLevelsSelectable = 1;
    }
    const hub::Unlocking u = hub::unlockLevels(s);
    QCOMPARE(enabledLevels(u), enabled);
    QCOMPARE(barredLevels(u), barred);
}

void TestHubRules::lastSlotReadsNoNextRow()
{
    Session s = sixLevels();
    s.levelCount = 35;
    for (int i = 1; i <= 35; ++i)
        s.levels.levelName[i] = u"L%1"_s.arg(i);
    s.allLevelsSelectable = 1;
    const hub::Unlocking u = hub::unlockLevels(s);
    QCOMPARE(u.enabled.size(), size_t(36));
    QVERIFY(u.enabled[35]);
    s.levelCount = 1;
    QVERIFY(!hub::unlockLevels(s).notice[1].has_value()); // the last level's notice is left as it was
}

void TestHubRules::columnTexts()
{
    Session s = sixLevels();
    const int p = s.curPupilNo;
    QCOMPARE(hub::todayText(s.results, 1, p), u"-----"_s);
    QCOMPARE(hub::totalText(s.results, 1, p), u"------"_s);
    s.results.todayTries(1, p) = 3;
    s.results.todayPoints(1, p) = 25;
    QCOMPARE(hub::todayText(s.results, 1, p), u"3回/25点"_s);
    s.criteria[1].judgeDays = FreeValue::fromField(u"7"_s, false);
    s.results.judgeTries(1, p) = 4;
    s.results.judgePoints(1, p) = 30;
    QCOMPARE(hub::recentText(s, 1), u"最近7日=4回 / 30点"_s);
    s.criteria[1].targetTime = 40;
    s.criteria[1].pointRate = 1.5f;
    QCOMPARE(hub::criteriaText(s, 1), u"目標=40秒 5回/100点(×1.5)"_s);
    s.criteria[1].clearPoints = 9999;
    QCOMPARE(hub::criteriaText(s, 1), u"目標=40秒 --------"_s);
    s.levels.levelInUse[1] = 0;
    QCOMPARE(hub::criteriaText(s, 1), u"◎=40点以上"_s);
    QCOMPARE(hub::recentText(s, 1), QString());
    QCOMPARE(hub::startCaption(1), u"ｽﾀｰﾄ(&1)"_s);
    QCOMPARE(hub::startCaption(10), u"ｽﾀｰﾄ(10)"_s);
    QCOMPARE(hub::todayTotalText(s.results, p), u"本日総回数＝3回"_s);
    QVERIFY(hub::isTeacherName(u"★あ"_s));
    QVERIFY(hub::isTeacherName(u"山田先生"_s));
    QVERIFY(!hub::isTeacherName(u"先 生"_s));
}

void TestHubRules::geometry_data()
{
    QTest::addColumn<int>("levels");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("level");
    QTest::addColumn<double>("width");
    QTest::addColumn<int>("scrollMaximum");
    QTest::addColumn<double>("left");
    // clang-format off
    QTest::newRow("one level")               << 1 << 1 << 1 << 14592.0 << 0 << 307.2;
    QTest::newRow("four levels")             << 4 << 1 << 4 << 3648.0  << 0 << 3 * 3648.0 + 307.2;
    QTest::newRow("five levels scroll")      << 5 << 1 << 5 << 3456.0  << 2 << 4 * 3456.0 + 307.2;
    QTest::newRow("scrolled column 1 away")  << 5 << 2 << 1 << 3456.0  << 2 << 15360.0;
    // clang-format on
}

void TestHubRules::geometry()
{
    QFETCH(int, levels);
    QFETCH(int, first);
    QFETCH(int, level);
    QFETCH(double, width);
    QFETCH(int, scrollMaximum);
    QFETCH(double, left);
    const hub::ColumnGeometry g = hub::columnGeometry(levels, 15360);
    QCOMPARE(g.width, width);
    QCOMPARE(g.scrollMaximum, scrollMaximum);
    QCOMPARE(g.scrolls, levels > 4);
    QVERIFY(qFuzzyCompare(g.left(level, first, 15360), left));
    QCOMPARE(hub::clampFirstColumn(9, levels), std::max(1, levels - 3));
    QCOMPARE(hub::clampFirstColumn(0, levels), 1);
}

void TestHubRules::keys_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("levels");
    QTest::addColumn<int>("level");
    QTest::newRow("1 with one level") << u"1"_s << 1 << 1;
    QTest::newRow("2 with one level") << u"2"_s << 1 << -1;
    QTest::newRow("9") << u"9"_s << 13 << 9;
    QTest::newRow("a is 10") << u"a"_s << 13 << 10;
    QTest::newRow("d is 13") << u"d"_s << 13 << 13;
    QTest::newRow("e is nothing") << u"e"_s << 35 << -1;
    QTest::newRow("capital A is nothing") << u"A"_s << 35 << -1;
    QTest::newRow("0 is back") << u"0"_s << 1 << 0;
}

void TestHubRules::keys()
{
    QFETCH(QString, key);
    QFETCH(int, levels);
    QFETCH(int, level);
    QCOMPARE(hub::levelForKey(key.at(0), levels), level);
}

QTEST_APPLESS_MAIN(TestHubRules)
#include "tst_hubrules.moc"
