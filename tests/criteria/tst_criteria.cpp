#include "criteria/criteria.h"
#include "testsupport/fixtures.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace kemoro;

namespace {
const QString header = u"目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,\r\n"_s;
}

class TestCriteria : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void levelRows();
    void headerOnlyKeepsOtherRows();
    void emptyRateAndTextsReadAsZero();
    void shortLineShiftsLaterLevels();
    void moreThanThirtySixLines();
    void incompleteLastLineAndBlankTail();
    void missingFileOrHeader();
    void editorRoundTripIsByteExact();
    void saveWritesNPlusOneLines();
    void saveRefusesWhatCannotBeStored_data();
    void saveRefusesWhatCannotBeStored();
    void numericCells_data();
    void numericCells();
    void keptLinesSurviveASave_data();
    void keptLinesSurviveASave();
    void checkNamesFullWidthDigits();
    void timesOfTheLevelsInUse();

private:
    QString write(const QString &text);
    QTemporaryDir m_dir;
    QString m_path;
};

void TestCriteria::init()
{
    m_path = m_dir.filePath(u"タイム回数データ.txt"_s);
    QFile::remove(m_path);
}

QString TestCriteria::write(const QString &text)
{
    test::writeCp932(m_path, text);
    return m_path;
}

void TestCriteria::levelRows()
{
    CriteriaTable t;
    Diagnostics d;
    loadCriteria(write(header + u"40,60,100,5,1.5,20,300,7,1,a,b,c\r\n"_s), t, d);
    QCOMPARE(d.size(), 0);
    QCOMPARE(t[0].overCount.text, u"禁回"_s); // the header lands in row 0
    QCOMPARE(t[0].targetTime, 0);
    const CriteriaRow &r = t[1];
    QCOMPARE(r.targetTime, 40);
    QCOMPARE(r.minTime, 60);
    QCOMPARE(r.clearPoints, 100);
    QCOMPARE(r.clearCount, qint16(5));
    QCOMPARE(r.pointRate, 1.5f);
    QCOMPARE(r.overCount.asNumber(), 20.0);
    QCOMPARE(r.judgeDays.kind, FreeValue::Kind::Number);
    QCOMPARE(r.spare3.text, u"c"_s);
}

void TestCriteria::headerOnlyKeepsOtherRows()
{
    CriteriaTable t;
    t[1].targetTime = 33;
    t[35].minTime = 9;
    Diagnostics d;
    loadCriteria(write(header), t, d);
    QCOMPARE(d.size(), 0);
    QCOMPARE(t[1].targetTime, 33);
    QCOMPARE(t[35].minTime, 9);
}

void TestCriteria::emptyRateAndTextsReadAsZero()
{
    CriteriaTable t;
    Diagnostics d;
    loadCriteria(write(header + u"abc,60,100,5,,x,,7,1,,,\r\n"_s), t, d);
    QCOMPARE(t[1].targetTime, 0);
    QCOMPARE(t[1].pointRate, 0.0f);
    QCOMPARE(t[1].overCount.kind, FreeValue::Kind::Text);
    QCOMPARE(t[1].overCount.asNumber(), 0.0);
    QCOMPARE(t[1].overPoints.kind, FreeValue::Kind::Empty);
    // Text where a number is needed is reported for `check`, nothing else.
    QCOMPARE(d.size(), 2);
    for (const Diagnostic &x : d)
        QCOMPARE(x.severity, Diagnostic::Severity::Check);
    QCOMPARE(d.at(0).location, u"line 2"_s);
}

void TestCriteria::shortLineShiftsLaterLevels()
{
    CriteriaTable t;
    Diagnostics d;
    loadCriteria(write(header + u"40,60,100,5,1,20,300,7,1,,\r\n50,70,100,5,1,20,300,7,1,,,\r\n"_s), t, d);
    QCOMPARE(t[1].spare3.text, u"50"_s); // the 12th field comes from the next line
    QCOMPARE(t[2].targetTime, 0);        // and the next level runs short at the end
    QCOMPARE(d.size(), 2);
    QCOMPARE(d.at(0).severity, Diagnostic::Severity::Check);
    QCOMPARE(d.at(1).severity, Diagnostic::Severity::Warning);
}

void TestCriteria::moreThanThirtySixLines()
{
    QString text = header;
    for (int i = 1; i <= 36; ++i)
        text += u"%1,60,100,5,1,20,300,7,1,,,\r\n"_s.arg(i);
    CriteriaTable t;
    Diagnostics d;
    loadCriteria(write(text), t, d);
    QCOMPARE(t[35].targetTime, 35);
    QCOMPARE(d.size(), 1);
    QCOMPARE(d.first().severity, Diagnostic::Severity::Warning);
    QCOMPARE(d.first().location, u"line 37"_s);
}

void TestCriteria::incompleteLastLineAndBlankTail()
{
    CriteriaTable t;
    Diagnostics d;
    loadCriteria(write(header + u"40,60,100,5,1,20,300,7,1,,,\r\n\r\n  \r\n"_s), t, d);
    QCOMPARE(d.size(), 0); // blank trailing lines are no level
    loadCriteria(write(header + u"40,60,100,5,1,20,300,7,1,,,\r\n55,60\r\n"_s), t, d);
    QCOMPARE(d.size(), 1);
    QCOMPARE(d.first().severity, Diagnostic::Severity::Warning);
    QCOMPARE(d.first().location, u"line 3"_s);
    QCOMPARE(t[1].targetTime, 40);
    QCOMPARE(t[2].targetTime, 0); // the incomplete row is not applied
}

void TestCriteria::missingFileOrHeader()
{
    CriteriaTable t;
    Diagnostics d;
    loadCriteria(m_path, t, d);
    QVERIFY(hasFatal(d));
    QCOMPARE(d.first().fileName(), u"タイム回数データ.txt"_s);
    d.clear();
    loadCriteria(write(u"\r\n"_s), t, d);
    QVERIFY(hasFatal(d));
}

void TestCriteria::editorRoundTripIsByteExact()
{
    const QString text = header + u"40,60,100,5,1.5,20,300,7,1,メモ,,～①\r\n"_s
                                  u"600,600,9999,0,1,,,,,,,\r\n"_s;
    write(text);
    const QByteArray before = test::readBytes(m_path);
    Diagnostics d;
    const CriteriaGrid grid = readCriteriaGrid(m_path, d);
    QCOMPARE(grid.size(), 3);
    QCOMPARE(grid.at(2).first(), u"2"_s);
    CriteriaGrid withHeader = grid;
    withHeader[0] = QStringList{u"レベル"_s} + criteriaHeaderTitles();
    CriteriaTable t;
    QVERIFY(!saveCriteria(m_path, withHeader, t, d));
    QCOMPARE(test::readBytes(m_path), before);
    QCOMPARE(t[1].spare1.text, u"メモ"_s);
    QCOMPARE(t[1].spare3.text, u"～①"_s);
    QCOMPARE(t[2].clearPoints, 9999);
}

void TestCriteria::saveWritesNPlusOneLines()
{
    CriteriaGrid grid{QStringList{u"レベル"_s} + criteriaHeaderTitles()};
    for (int i = 1; i <= 4; ++i)
        grid.append({QString::number(i), u"30"_s, u"60"_s, u"100"_s, u"5"_s, u"1"_s, u""_s, u""_s, u"7"_s,
                     u"1"_s, u""_s, u""_s, u""_s});
    CriteriaTable t;
    Diagnostics d;
    QVERIFY(!saveCriteria(m_path, grid, t, d));
    const QByteArray bytes = test::readBytes(m_path);
    QCOMPARE(bytes.count("\r\n"), 5);
    QVERIFY(bytes.endsWith(",,,\r\n"));
    QCOMPARE(t[4].targetTime, 30);
}

void TestCriteria::saveRefusesWhatCannotBeStored_data()
{
    QTest::addColumn<QString>("cell");
    QTest::newRow("comma") << u"1,5"_s;
    QTest::newRow("quote") << u"\"x"_s;
    QTest::newRow("line break") << u"a\nb"_s;
    QTest::newRow("not in CP932") << u"😀"_s;
}

void TestCriteria::saveRefusesWhatCannotBeStored()
{
    QFETCH(QString, cell);
    const QByteArray before = (write(header + u"40,60,100,5,1,20,300,7,1,,,\r\n"_s), test::readBytes(m_path));
    CriteriaGrid grid{
        QStringList{u"レベル"_s} + criteriaHeaderTitles(),
        {u"1"_s, u"40"_s, u"60"_s, u"100"_s, u"5"_s, u"1"_s, u""_s, u""_s, u""_s, u""_s, cell, u""_s, u""_s}};
    CriteriaTable t;
    Diagnostics d;
    const std::optional<Diagnostic> refused = saveCriteria(m_path, grid, t, d);
    QVERIFY(refused);
    QVERIFY(refused->text.contains(u"row 1 column 10"_s));
    QCOMPARE(test::readBytes(m_path), before);
}

void TestCriteria::numericCells_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored"); // a null string: the save is refused
    // clang-format off
    QTest::newRow("full-width digits")            << 1  << u"３０"_s        << u"30"_s;
    QTest::newRow("full-width point")             << 5  << u"１．５"_s      << u"1.5"_s;
    QTest::newRow("full-width plus")              << 3  << u"＋１００"_s    << u"+100"_s;
    QTest::newRow("full-width hyphen-minus")      << 4  << u"－１"_s        << u"-1"_s;
    QTest::newRow("minus sign from Linux input")  << 2  << u"−５"_s         << u"-5"_s;
    QTest::newRow("full-width blanks around")     << 8  << u"　７　"_s      << u"7"_s;
    QTest::newRow("half and full mixed")          << 9  << u"1０"_s         << u"10"_s;
    QTest::newRow("empty stays empty")            << 6  << QString()        << u""_s;
    QTest::newRow("text in a time")               << 2  << u"abc"_s         << QString();
    QTest::newRow("digits with a unit")           << 1  << u"３０秒"_s      << QString();
    QTest::newRow("a kanji number")               << 7  << u"三百"_s        << QString();
    QTest::newRow("a spare column keeps text")    << 10 << u"メモ３"_s      << u"メモ３"_s;
    QTest::newRow("a spare column keeps digits")  << 12 << u"３０"_s        << u"３０"_s;
    // clang-format on
}

void TestCriteria::numericCells()
{
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    const QByteArray before = (write(header + u"40,60,100,5,1,20,300,7,1,,,\r\n"_s), test::readBytes(m_path));
    CriteriaGrid grid = readCriteriaGrid(m_path, *std::make_unique<Diagnostics>());
    grid[1][column] = typed;
    CriteriaTable t;
    Diagnostics d;
    const std::optional<Diagnostic> refused = saveCriteria(m_path, grid, t, d);
    if (stored.isNull()) {
        QVERIFY(refused);
        QVERIFY2(refused->text.contains(u"レベル1の「%1」"_s.arg(criteriaColumnTitle(column))),
                 qPrintable(refused->text));
        QCOMPARE(test::readBytes(m_path), before);
        return;
    }
    QVERIFY2(!refused, qPrintable(refused ? refused->text : QString()));
    QCOMPARE(readCriteriaGrid(m_path, d).at(1).at(column), stored);
}

void TestCriteria::keptLinesSurviveASave_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("levels"); // rows of the grid
    QTest::addColumn<QString>("warningAt");
    QString thirtySeven = header;
    for (int i = 1; i <= 37; ++i)
        thirtySeven += u"%1,60,100,5,1,20,300,7,1,,,\r\n"_s.arg(i);
    // clang-format off
    QTest::newRow("lines past the 35th level")
        << thirtySeven + u"メモ：来年見直す\r\n"_s << 35 << u"line 37"_s;
    QTest::newRow("a last line that lost a comma")
        << header + u"40,60,100,5,1,20,300,7,1,,,\r\n45,90,100,5,1,20,300,7,1,,\r\n"_s << 1 << u"line 3"_s;
    QTest::newRow("a last line without its line end")
        << header + u"40,60,100,5,1,20,300,7,1,,,\r\n45,90"_s << 1 << u"line 3"_s;
    // clang-format on
}

void TestCriteria::keptLinesSurviveASave()
{
    QFETCH(QString, text);
    QFETCH(int, levels);
    QFETCH(QString, warningAt);
    const QByteArray before = (write(text), test::readBytes(m_path));
    Diagnostics d;
    QString kept;
    CriteriaGrid grid = readCriteriaGrid(m_path, d, &kept);
    QCOMPARE(grid.size(), levels + 1);
    QCOMPARE(d.size(), 1);
    QCOMPARE(d.first().severity, Diagnostic::Severity::Warning);
    QCOMPARE(d.first().location, warningAt);
    QVERIFY2(d.first().text.contains(u"written back"_s), qPrintable(d.first().text));
    CriteriaTable t;
    QVERIFY(!saveCriteria(m_path, grid, t, d, kept));
    QCOMPARE(test::readBytes(m_path), before);
    // An edit changes its own line only.
    grid[1][1] = u"41"_s;
    QVERIFY(!saveCriteria(m_path, grid, t, d, kept));
    QByteArray edited = before;
    const qsizetype level1 = edited.indexOf("\r\n") + 2;
    edited.replace(level1, edited.indexOf(',', level1) - level1, "41");
    QCOMPARE(test::readBytes(m_path), edited);
}

void TestCriteria::checkNamesFullWidthDigits()
{
    CriteriaTable t;
    Diagnostics d;
    loadCriteria(write(header + u"３０,60,100,5,1,２０,300,7,1,,,\r\n"_s), t, d);
    QCOMPARE(t[1].targetTime, 0);
    QCOMPARE(d.size(), 2);
    for (const Diagnostic &one : std::as_const(d)) {
        QCOMPARE(one.severity, Diagnostic::Severity::Check);
        QVERIFY2(one.text.contains(u"full-width digits"_s), qPrintable(one.text));
    }
    QVERIFY(d.at(0).text.startsWith(u"level 1 column 1 (目標Time) \"３０\""_s));
    QVERIFY(d.at(1).text.startsWith(u"level 1 column 6 (禁回) \"２０\""_s));
}

void TestCriteria::timesOfTheLevelsInUse()
{
    CriteriaTable t;
    Diagnostics d;
    const int rows = loadCriteria(write(header + u"40,0,100,5,1,20,300,7,1,,,\r\n"_s
                                                 u"-5,60,100,5,1,20,300,7,1,,,\r\n"_s
                                                 u"0,0,100,5,1,20,300,7,1,,,\r\n"_s
                                                 u"40,60,100,5,1,20,300,7,1,,,\r\n"_s),
                                  t, d);
    QCOMPARE(rows, 5);
    std::array<bool, levelSlots> timed{};
    for (int k : {1, 2, 4, 5})
        timed[size_t(k)] = true; // level 3 is practice: its zeros do not matter
    QStringList lines;
    for (const Diagnostic &one : criteriaTimeChecks(m_path, t, rows, timed))
        lines.append(one.toLine());
    QCOMPARE(
        lines,
        (QStringList{
            u"タイム回数データ.txt:line 2: level 1 minTime (最低Time) is 0: every drill of the level times out at once"_s,
            u"タイム回数データ.txt:line 3: level 2 targetTime (目標Time) is -5: every drill of the level times out at once"_s,
            u"タイム回数データ.txt:file: level 5 has no line: its targetTime and minTime are 0, so every drill of the level times out at once"_s}));
}

QTEST_APPLESS_MAIN(TestCriteria)
#include "tst_criteria.moc"
