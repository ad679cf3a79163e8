#include "roster/grades.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace kemoro;

class TestGrades : public QObject
{
    Q_OBJECT
private slots:
    void schoolYearTurns_data();
    void schoolYearTurns();
    void labels_data();
    void labels();
    void filter_data();
    void filter();
};

void TestGrades::schoolYearTurns_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<int>("startMonth");
    QTest::addColumn<int>("year");
    // clang-format off
    QTest::newRow("January belongs to the year begun in April") << QDate(2027, 1, 5)   << 4 << 2026;
    QTest::newRow("March is still the old year")                << QDate(2027, 3, 31)  << 4 << 2026;
    QTest::newRow("the start month opens the new year")         << QDate(2027, 4, 1)   << 4 << 2027;
    QTest::newRow("a year starting in January is the calendar") << QDate(2027, 1, 1)   << 1 << 2027;
    // clang-format on
}

void TestGrades::schoolYearTurns()
{
    QFETCH(QDate, today);
    QFETCH(int, startMonth);
    QFETCH(int, year);
    QCOMPARE(schoolYear(today, startMonth), year);
}

void TestGrades::labels_data()
{
    QTest::addColumn<int>("grade");
    QTest::addColumn<QString>("stored"); // empty: none
    QTest::addColumn<QString>("list");
    QTest::addColumn<int>("withinSchool");
    QTest::addColumn<QString>("mark");
    // clang-format off
    QTest::newRow("far below pre-school")      << -5 << u""_s    << u"幼-"_s << -11 << u"　"_s;
    QTest::newRow("-3 is still 幼-")          << -3 << u""_s    << u"幼-"_s << -9  << u"　"_s;
    QTest::newRow("-2 youngest named class")   << -2 << u""_s    << u"幼1"_s << -8  << u"　"_s;
    QTest::newRow("-1")                        << -1 << u""_s    << u"幼2"_s << -7  << u"　"_s;
    QTest::newRow("0 the only stored 幼")      << 0  << u"幼３"_s << u"幼3"_s << -6  << u"　"_s;
    QTest::newRow("1 first elementary")        << 1  << u"小１"_s << u"小1"_s << 1   << u"①"_s;
    QTest::newRow("6 last elementary")         << 6  << u"小６"_s << u"小6"_s << 6   << u"⑥"_s;
    QTest::newRow("7 first middle")            << 7  << u"中１"_s << u"中1"_s << 1   << u"Ⅰ"_s;
    QTest::newRow("9 last middle")             << 9  << u"中３"_s << u"中3"_s << 3   << u"Ⅲ"_s;
    QTest::newRow("10 the only stored 高")     << 10 << u"高１"_s << u"高1"_s << 1   << u"　"_s;
    QTest::newRow("12 high school, no stored") << 12 << u""_s    << u"高3"_s << 3   << u"　"_s;
    QTest::newRow("13 adults")                 << 13 << u""_s    << u"大+"_s << 4   << u"　"_s;
    // clang-format on
}

void TestGrades::labels()
{
    QFETCH(int, grade);
    QFETCH(QString, stored);
    QFETCH(QString, list);
    QFETCH(int, withinSchool);
    QFETCH(QString, mark);
    QCOMPARE(storedGradeLabel(grade).value_or(QString()), stored);
    QCOMPARE(listGradeLabel(grade), list);
    QCOMPARE(gradeWithinSchool(grade), withinSchool);
    QCOMPARE(gradeMark(grade), mark);
}

void TestGrades::filter_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<int>("grade");
    QTest::addColumn<bool>("passes");
    // clang-format off
    QTest::newRow("all grades take adults")       << u"全学年"_s     << 20 << true;
    QTest::newRow("all grades take pre-school")   << u"全学年"_s     << -4 << true;
    QTest::newRow("elementary takes 1")           << u"小学生全体"_s << 1  << true;
    QTest::newRow("elementary refuses 0")         << u"小学生全体"_s << 0  << false;
    QTest::newRow("elementary refuses 7")         << u"小学生全体"_s << 7  << false;
    QTest::newRow("middle takes 9")               << u"中学生全体"_s << 9  << true;
    QTest::newRow("middle refuses high school")   << u"中学生全体"_s << 10 << false;
    QTest::newRow("小３ is grade 3 only")         << u"小３"_s       << 3  << true;
    QTest::newRow("小３ refuses grade 4")         << u"小３"_s       << 4  << false;
    QTest::newRow("中１ is grade 7")              << u"中１"_s       << 7  << true;
    QTest::newRow("中１ is not elementary 1")     << u"中１"_s       << 1  << false;
    QTest::newRow("half-width digit is unknown")  << u"小3"_s        << 3  << false;
    QTest::newRow("an unknown text passes none")  << u"高１"_s       << 10 << false;
    QTest::newRow("empty text passes none")       << u""_s           << 1  << false;
    // clang-format on
}

void TestGrades::filter()
{
    QFETCH(QString, filter);
    QFETCH(int, grade);
    QFETCH(bool, passes);
    QCOMPARE(gradeMatches(filter, grade), passes);
}

QTEST_APPLESS_MAIN(TestGrades)
#include "tst_grades.moc"
