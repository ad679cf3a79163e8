#include "roster/roster.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace kemoro;

namespace {

const QString path = u"/data/新名簿.txt"_s;

QString pupilLine(int no, int birthYear, const QString &name, int status = 0)
{
    return u"%1,%2,0,0,%3,%4,,\r\n"_s.arg(no).arg(birthYear).arg(name).arg(status);
}

std::unique_ptr<Roster> read(const QString &text, int commonSetting3, Diagnostics &diagnostics)
{
    auto roster = std::make_unique<Roster>();
    roster->schoolYear = 2026;
    readRoster(text, path, commonSetting3, *roster, diagnostics);
    return roster;
}

QString listed(const Roster &roster)
{
    QStringList numbers;
    for (int k = 0; k < roster.rosterCount(); ++k)
        numbers.append(QString::number(roster.rosterOrder(k)));
    return numbers.join(u',');
}

} // namespace

class TestRoster : public QObject
{
    Q_OBJECT
private slots:
    void listing_data();
    void listing();
    void reported_data();
    void reported();
    void cleanFileReportsNothing();
    void tablesByNumber();
    void tablesAreNotClearedBeforeALoad();
    void the5001stListedPupilIsSkipped();
    void missingFileIsFatalAndNamed();
};

void TestRoster::listing_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("commonSetting3");
    QTest::addColumn<QString>("listed");
    // clang-format off
    QTest::newRow("status 1 is not listed")
        << pupilLine(1, 2016, u"青木"_s) + pupilLine(2, 2016, u"石井"_s, 1) + pupilLine(3, 2016, u"上田"_s) << 0 << u"1,3"_s;
    QTest::newRow("status 2 is listed with setting 1")
        << pupilLine(1, 2016, u"青木"_s, 2) + pupilLine(2, 2016, u"石井"_s) << 1 << u"1,2"_s;
    QTest::newRow("status 2 is not listed with setting 0")
        << pupilLine(1, 2016, u"青木"_s, 2) + pupilLine(2, 2016, u"石井"_s) << 0 << u"2"_s;
    QTest::newRow("status 3 is never listed")
        << pupilLine(1, 2016, u"青木"_s, 3) << 1 << u""_s;
    QTest::newRow("8 fields over two lines are one pupil")
        << u"1,2016,0,0\r\n青木,0,,\r\n"_s + pupilLine(2, 2016, u"石井"_s) << 0 << u"1,2"_s;
    QTest::newRow("number above 5000 is skipped")
        << pupilLine(5001, 2016, u"青木"_s) + pupilLine(2, 2016, u"石井"_s) << 0 << u"2"_s;
    QTest::newRow("negative number is skipped")
        << pupilLine(-1, 2016, u"青木"_s) + pupilLine(2, 2016, u"石井"_s) << 0 << u"2"_s;
    QTest::newRow("number past 16 bits is skipped, not 0")
        << pupilLine(70000, 2016, u"青木"_s) + pupilLine(2, 2016, u"石井"_s) << 0 << u"2"_s;
    QTest::newRow("5000 is the last number")
        << pupilLine(5000, 2016, u"青木"_s) << 0 << u"5000"_s;
    QTest::newRow("pupil 0 stays listed")
        << pupilLine(0, 2016, u"青木"_s) << 0 << u"0"_s;
    QTest::newRow("blank lines at the end are no pupil")
        << pupilLine(1, 2016, u"青木"_s) + u"\r\n  \r\n\r\n"_s << 0 << u"1"_s;
    QTest::newRow("an incomplete last pupil is skipped")
        << pupilLine(1, 2016, u"青木"_s) + u"2,2016,0,0,石井"_s << 0 << u"1"_s;
    QTest::newRow("no line end after the last pupil")
        << u"1,2016,0,0,青木,0,,"_s << 0 << u"1"_s;
    QTest::newRow("Ctrl-Z ends the file")
        << pupilLine(1, 2016, u"青木"_s) + u"\x1a"_s + pupilLine(2, 2016, u"石井"_s) << 0 << u"1"_s;
    // clang-format on
}

void TestRoster::listing()
{
    QFETCH(QString, text);
    QFETCH(int, commonSetting3);
    QFETCH(QString, listed);
    Diagnostics diagnostics;
    const auto roster = read(text, commonSetting3, diagnostics);
    QCOMPARE(::listed(*roster), listed);
    QVERIFY(!hasFatal(diagnostics));
}

void TestRoster::reported_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("location");
    QTest::addColumn<QString>("says");
    QTest::addColumn<bool>("shown"); // a warning on the screen, not only a check line
    // clang-format off
    QTest::newRow("nine fields shift the pupils after them")
        << u"1,2016,0,0,青木,0,,,x\r\n"_s + pupilLine(2, 2016, u"石井"_s) << u"line 1"_s << u"9 fields"_s << false;
    QTest::newRow("a line broken inside a pupil")
        << u"1,2016,0,0\r\n青木,0,,\r\n"_s << u"line 1"_s << u"4 fields"_s << false;
    QTest::newRow("an empty line inside the file")
        << pupilLine(1, 2016, u"青木"_s) + u"\r\n"_s + pupilLine(2, 2016, u"石井"_s) << u"line 2"_s << u"empty line"_s << false;
    QTest::newRow("number above 5000")
        << pupilLine(1, 2016, u"青木"_s) + pupilLine(5001, 2016, u"石井"_s) << u"line 2"_s << u"outside 1..5000"_s << false;
    QTest::newRow("pupil number that is not a number")
        << pupilLine(1, 2016, u"青木"_s).replace(u"1,"_s, u"a1,"_s) << u"line 1"_s << u"not a number"_s << false;
    QTest::newRow("pupil 0 is never counted")
        << pupilLine(0, 2016, u"青木"_s) << u"line 1"_s << u"never counted"_s << false;
    QTest::newRow("a number used twice")
        << pupilLine(7, 2016, u"青木"_s) + pupilLine(7, 2016, u"石井"_s, 1) << u"line 2"_s << u"used twice"_s << false;
    QTest::newRow("a two-digit birth year")
        << pupilLine(1, 16, u"青木"_s) << u"line 1"_s << u"four digits"_s << false;
    QTest::newRow("a birth year that is text")
        << pupilLine(1, 2016, u"青木"_s).replace(u"2016"_s, u"H28"_s) << u"line 1"_s << u"four digits"_s << false;
    QTest::newRow("a status that is text")
        << u"1,2016,0,0,青木,x,,\r\n"_s << u"line 1"_s << u"status"_s << false;
    QTest::newRow("an incomplete last pupil")
        << pupilLine(1, 2016, u"青木"_s) + u"2,2016,0,0,石井"_s << u"line 2"_s << u"only 5 of 8"_s << false;
    QTest::newRow("an empty file lists nobody")
        << QString() << u"file"_s << u"no pupil to list"_s << true;
    QTest::newRow("no pupil has a listed status")
        << pupilLine(1, 2016, u"青木"_s, 1) + pupilLine(2, 2016, u"石井"_s, 2) << u"file"_s << u"no pupil to list"_s << true;
    // clang-format on
}

void TestRoster::reported()
{
    QFETCH(QString, text);
    QFETCH(QString, location);
    QFETCH(QString, says);
    QFETCH(bool, shown);
    Diagnostics diagnostics;
    read(text, 0, diagnostics);
    bool found = false;
    for (const Diagnostic &d : diagnostics) {
        QCOMPARE(d.filePath, path);
        if (d.location == location && d.text.contains(says)) {
            QCOMPARE(d.severity, shown ? Diagnostic::Severity::Warning : Diagnostic::Severity::Check);
            found = true;
        } else {
            QCOMPARE(d.severity, Diagnostic::Severity::Check);
        }
    }
    if (!found) {
        for (const Diagnostic &d : diagnostics)
            qWarning().noquote() << d.toLine();
    }
    QVERIFY(found);
}

void TestRoster::cleanFileReportsNothing()
{
    Diagnostics diagnostics;
    read(pupilLine(1, 2016, u"青木"_s) + pupilLine(2, 2015, u"石井"_s, 1) +
             u"3,2014,0,0,\"上田, ゆい\",0,a,b\r\n"_s,
         0, diagnostics);
    QCOMPARE(diagnostics.size(), 0);
}

void TestRoster::tablesByNumber()
{
    Diagnostics diagnostics;
    const QString text = pupilLine(7, 2019, u"青木"_s) + pupilLine(8, 2010, u"石井"_s, 1) +
                         pupilLine(7, 2018, u"加藤"_s) + pupilLine(9, 2000, u"山田先生"_s) +
                         u"10,2016,0,0,\"一二三四五六七八九十一二三四五六七八九十あ\",0,,\r\n"_s +
                         u"11,2016,0,0,  星*野  ,0,,\r\n"_s;
    const auto roster = read(text, 0, diagnostics);
    // The later line of a number wins the tables; both lines stay listed.
    QCOMPARE(roster->pupilNames[7], u"加藤"_s);
    QCOMPARE(roster->pupilBirthYears[7], 2018);
    QCOMPARE(roster->pupilGradeLabels[7], u"小２"_s);
    QCOMPARE(::listed(*roster), u"7,7,9,10,11"_s);
    QCOMPARE(roster->entries.at(0).trimmedName(), u"青木"_s);
    // A pupil who is not listed is still known by number.
    QCOMPARE(roster->pupilNames[8], u"石井"_s);
    QCOMPARE(roster->pupilGradeLabels[8], u"高１"_s);
    // Adults get no stored label.
    QCOMPARE(roster->pupilGradeLabels[9], QString());
    QCOMPARE(roster->gradeOf(9), 20);
    // Names keep 20 characters, padded for the table, trimmed for lookups.
    QCOMPARE(roster->pupilNames[10], u"一二三四五六七八九十一二三四五六七八九十"_s);
    QCOMPARE(roster->pupilNames[11], u"星*野"_s);
    QCOMPARE(roster->entries.last().name.size(), rosterTextLength);
}

void TestRoster::tablesAreNotClearedBeforeALoad()
{
    Diagnostics diagnostics;
    auto roster = read(pupilLine(4, 2016, u"青木"_s) + pupilLine(5, 2016, u"石井"_s), 0, diagnostics);
    readRoster(pupilLine(5, 1990, u"石井"_s), path, 0, *roster, diagnostics);
    QCOMPARE(::listed(*roster), u"5"_s);
    QCOMPARE(roster->pupilNames[4], u"青木"_s);
    // Grade 30 has no stored label, so the old one stays.
    QCOMPARE(roster->pupilGradeLabels[5], u"小４"_s);
}

void TestRoster::the5001stListedPupilIsSkipped()
{
    QString text;
    for (int n = 1; n <= 5000; ++n)
        text += pupilLine(n, 2016, u"名"_s + QString::number(n));
    text += pupilLine(1, 2016, u"もう一人"_s);
    text += pupilLine(2, 2016, u"休み"_s, 1);
    Diagnostics diagnostics;
    const auto roster = read(text, 0, diagnostics);
    QCOMPARE(roster->rosterCount(), maxListedPupils);
    QCOMPARE(roster->rosterOrder(maxListedPupils - 1), 5000);
    bool reported = false;
    for (const Diagnostic &d : diagnostics)
        reported |= d.location == u"line 5001" && d.text.contains(u"more than 5000");
    QVERIFY(reported);
    // Lines that are not listed are still read.
    QCOMPARE(roster->pupilNames[2], u"休み"_s);
}

void TestRoster::missingFileIsFatalAndNamed()
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(u"新名簿.txt"_s);
    Roster roster;
    roster.pupilNames[3] = u"前から"_s;
    Diagnostics diagnostics;
    QVERIFY(!loadRoster(missing, 0, roster, diagnostics));
    QVERIFY(hasFatal(diagnostics));
    QCOMPARE(diagnostics.first().filePath, missing);
    QCOMPARE(roster.pupilNames[3], u"前から"_s);
    QVERIFY(hasFatal(rosterChecks(missing, 0, 2026)));
}

QTEST_APPLESS_MAIN(TestRoster)
#include "tst_roster.moc"
