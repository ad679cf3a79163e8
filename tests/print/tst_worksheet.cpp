#include "platform/clock.h"
#include "print/printengine.h"
#include "print/worksheet.h"

#include "enginesurface.h"
#include "testsupport/fakes.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace kemoro;
using namespace kemoro::print;
using kemoro::test::EngineSurface;
using kemoro::test::FakeRandom;
using Kind = EngineSurface::Kind;

namespace {
// Three questions of level 1 and one of level 2, as the file has them.
const QString threeAndOne = u"1,A1,B1,C1,a,b,c,d,e\r\n"
                            u"1,A2,B2,C2,a,b,c,d,e\r\n"
                            u"2,X,Y,Z,a,b,c,d,e\r\n"
                            u"1,A3,B3,C3,a,b,c,d,e\r\n"_s;

WorksheetChoice levelsOnly(std::initializer_list<int> levels, int option = 1, bool shuffle = false)
{
    WorksheetChoice c;
    for (int level : levels)
        c.levels[size_t(level - 1)] = true;
    c.option = option;
    c.shuffle = shuffle;
    return c;
}

QList<WorksheetQuestion> questionsOf(int count, int level = 1)
{
    QList<WorksheetQuestion> list;
    for (int i = 1; i <= count; ++i)
        list.append({level, {u"一%1"_s.arg(i), u"二%1"_s.arg(i), u"三%1"_s.arg(i)}, i});
    return list;
}

// Columns 2..6 of rows 1..3, "|" between cells.
QStringList firstRows(const Worksheet &sheet)
{
    QStringList rows;
    for (int r = 1; r <= 3; ++r) {
        QStringList cells;
        for (int c = 2; c <= 6; ++c)
            cells.append(sheet.cell(r, c));
        rows.append(cells.join(u'|'));
    }
    return rows;
}
} // namespace

class TestWorksheet : public QObject
{
    Q_OBJECT
private slots:
    void readsNineFieldsAQuestion_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("firstParts");
        QTest::addColumn<int>("kept");
        QTest::addColumn<QStringList>("reported");
        // clang-format off
        QTest::newRow("plain lines")
            << threeAndOne << QStringList{u"A1"_s, u"A2"_s, u"X"_s, u"A3"_s} << 4 << QStringList();
        QTest::newRow("quoted field keeps its comma")
            << u"3,\"1,2\",B,C,,,,,\r\n"_s << QStringList{u"1,2"_s} << 1 << QStringList();
        QTest::newRow("levels outside 1..8 are skipped and reported")
            << u"9,A,B,C,,,,,\r\n0,D,E,F,,,,,\r\nx,G,H,I,,,,,\r\n8,J,K,L,,,,,\r\n"_s
            << QStringList{u"J"_s} << 1
            << QStringList{u"line 1"_s, u"line 2"_s, u"line 3"_s};
        QTest::newRow("a short line shifts the next question and is reported")
            << u"1,A,B,C,,,,\r\n1,D,E,F,,,,,\r\n"_s << QStringList{u"A"_s} << 1
            << QStringList{u"line 1"_s, u"line 2"_s};
        QTest::newRow("a question spread over two lines is one question")
            << u"2,A,B,C\r\n,,,,\r\n"_s << QStringList{u"A"_s} << 1
            << QStringList{u"line 1"_s, u"line 2"_s};
        QTest::newRow("trailing blank lines are no question")
            << u"1,A,B,C,,,,,\r\n\r\n\r\n"_s << QStringList{u"A"_s} << 1 << QStringList();
        // clang-format on
    }
    void readsNineFieldsAQuestion()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, firstParts);
        QFETCH(int, kept);
        QFETCH(QStringList, reported);
        const QuestionFile file = parseQuestionFile(text, u"/p/プロト.csv"_s);
        QCOMPARE(file.questions.size(), kept);
        QStringList parts;
        for (const WorksheetQuestion &q : file.questions)
            parts.append(q.parts[0]);
        QCOMPARE(parts.mid(0, firstParts.size()), firstParts);
        QStringList locations;
        for (const Diagnostic &d : file.diagnostics) {
            QCOMPARE(d.severity, Diagnostic::Severity::Check);
            QCOMPARE(d.fileName(), u"プロト.csv"_s);
            if (!locations.contains(d.location)) locations.append(d.location);
        }
        QCOMPARE(locations, reported);
    }

    void missingFileIsNamed()
    {
        const QuestionFile file = readQuestionFile(u"/nonexistent/プロト.csv"_s);
        QVERIFY(file.missing);
        QVERIFY(file.questions.isEmpty());
        QVERIFY(hasFatal(file.diagnostics));
        QVERIFY(file.diagnostics.first().toMessage().contains(u"プロト.csv"_s));
    }

    void rebuildsByOption_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<bool>("shuffle");
        QTest::addColumn<QList<double>>("draws");
        QTest::addColumn<int>("cols");
        QTest::addColumn<QStringList>("rows");
        using L = QList<double>;
        // Six swaps of three rows take twelve draws before the blanks take theirs.
        const L swapFirstAndLast{0.0, 0.9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        // clang-format off
        QTest::newRow("1 prints all in 4 columns")
            << 1 << false << L{} << 4 << QStringList{u"A1|B1|C1||"_s, u"A2|B2|C2||"_s, u"A3|B3|C3||"_s};
        QTest::newRow("2 moves one of 2..4 to column 5")
            << 2 << false << L{0.0, 0.5, 0.99} << 5 << QStringList{u"|B1|C1|A1|"_s, u"A2||C2|B2|"_s, u"A3|B3||C3|"_s};
        QTest::newRow("3 keeps one and moves the others in order")
            << 3 << false << L{0.0, 0.5, 0.99} << 6 << QStringList{u"A1|||B1|C1"_s, u"|B2||A2|C2"_s, u"||C3|A3|B3"_s};
        QTest::newRow("4 moves column 3 or 4")
            << 4 << false << L{0.0, 0.6, 0.2} << 5 << QStringList{u"A1||C1|B1|"_s, u"A2|B2||C2|"_s, u"A3||C3|B3|"_s};
        QTest::newRow("5 always moves 3 and 4")
            << 5 << false << L{} << 6 << QStringList{u"A1|||B1|C1"_s, u"A2|||B2|C2"_s, u"A3|||B3|C3"_s};
        QTest::newRow("shuffle swaps whole questions first")
            << 1 << true << swapFirstAndLast << 4 << QStringList{u"A3|B3|C3||"_s, u"A2|B2|C2||"_s, u"A1|B1|C1||"_s};
        QTest::newRow("blanks draw after the shuffle")
            << 2 << true << (swapFirstAndLast + L{0.99, 0.0, 0.0}) << 5
            << QStringList{u"A3|B3||C3|"_s, u"|B2|C2|A2|"_s, u"|B1|C1|A1|"_s};
        // clang-format on
    }
    void rebuildsByOption()
    {
        QFETCH(int, option);
        QFETCH(bool, shuffle);
        QFETCH(QList<double>, draws);
        QFETCH(int, cols);
        QFETCH(QStringList, rows);
        FakeRandom random(std::deque<double>(draws.begin(), draws.end()));
        Worksheet sheet;
        rebuildWorksheet(sheet, parseQuestionFile(threeAndOne, {}).questions,
                         levelsOnly({1}, option, shuffle), random);
        QCOMPARE(sheet.loaded, 3);
        QCOMPARE(sheet.rows, 15);
        QCOMPARE(sheet.cols, cols);
        QCOMPARE(firstRows(sheet), rows);
        QCOMPARE(sheet.colLeft.size(), cols + 2);
        QCOMPARE(sheet.colLeft[1], 0.0);
        QCOMPARE(sheet.colLeft[2], 0.05);
        QCOMPARE(sheet.colLeft.last(), 1.0);
        QCOMPARE(sheet.cell(0, 2), u"１列目"_s);
        QCOMPARE(sheet.cell(0, 4), u"３列目"_s);
        QCOMPARE(sheet.cell(0, 5), cols >= 5 ? u"４列目"_s : QString());
        QCOMPARE(sheet.cell(0, 6), QString());
        QCOMPARE(sheet.cell(0, 1), QString());
    }

    void levelEntryStandsForTheNextLevel()
    {
        FakeRandom random;
        Worksheet sheet;
        rebuildWorksheet(sheet, parseQuestionFile(threeAndOne, {}).questions, levelsOnly({2}), random);
        QCOMPARE(sheet.loaded, 1);
        QCOMPARE(sheet.cell(1, 3), u"Y"_s);
    }

    void optionTwoEmptiesExactlyOne()
    {
        SystemRandom random(20261210);
        Worksheet sheet;
        rebuildWorksheet(sheet, questionsOf(40), levelsOnly({1}, 2, true), random);
        QCOMPARE(sheet.loaded, 40);
        for (int r = 1; r <= 40; ++r) {
            int empty = 0;
            for (int c = 2; c <= 4; ++c)
                empty += sheet.cell(r, c).isEmpty();
            QCOMPARE(empty, 1);
            QVERIFY(!sheet.cell(r, 5).isEmpty());
        }
    }

    void rowsPastTheQuestionsHoldOnlyTheirNumber_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("selectedLevel");
        // clang-format off
        QTest::newRow("no level selected")           << 0  << 10 << 0;
        QTest::newRow("3 kept")                      << 0  << 3  << 1;
        QTest::newRow("3 kept after 40 kept")        << 40 << 3  << 1;
        QTest::newRow("40 kept: 15 printed")         << 0  << 40 << 1;
        // clang-format on
    }
    void rowsPastTheQuestionsHoldOnlyTheirNumber()
    {
        QFETCH(int, before);
        QFETCH(int, count);
        QFETCH(int, selectedLevel);
        FakeRandom random({}, 0.5);
        Worksheet sheet;
        if (before > 0) rebuildWorksheet(sheet, questionsOf(before, 3), levelsOnly({3}), random);
        rebuildWorksheet(sheet, questionsOf(count),
                         selectedLevel ? levelsOnly({selectedLevel}) : WorksheetChoice(), random);
        const int kept = selectedLevel ? count : 0;
        QCOMPARE(sheet.loaded, kept);
        const QString numbers = u"①②③④⑤⑥⑦⑧⑨⑩⑪⑫⑬⑭⑮"_s;
        for (int r = 1; r <= 15; ++r) {
            QCOMPARE(sheet.cell(r, 1), numbers.mid(r - 1, 1));
            QCOMPARE(sheet.cell(r, 2).isEmpty(), r > kept);
            QCOMPARE(sheet.cell(r, 2).isEmpty() ? QString() : sheet.cell(r, 2),
                     r > kept ? QString() : u"一%1"_s.arg(r));
        }
    }

    void questionTableLayout()
    {
        FakeRandom random;
        Worksheet sheet;
        rebuildWorksheet(sheet, questionsOf(15), levelsOnly({1}, 2), random);
        EngineSurface surface(PrintEngine::paperSize(true));
        PrintEngine engine;
        engine.initialise(surface, PrintEngine::Output::Printer, true);
        drawQuestionTable(engine, sheet);

        QList<double> across;
        QList<double> down;
        for (const auto &op : surface.of(Kind::Line)) {
            if (op.at.top() == op.at.bottom())
                across.append(op.at.top());
            else
                down.append(op.at.left());
        }
        QList<double> expected;
        for (int y = 300; y <= 9300; y += 600)
            expected.append(engine.mapY(y));
        expected.append(engine.mapY(9900));
        QCOMPARE(across.size(), 17);
        for (int i = 0; i < 17; ++i)
            QVERIFY(std::abs(across[i] - expected[i]) < 0.5);
        QCOMPARE(down.size(), 6);
        QVERIFY(std::abs(down[1] - engine.mapX(500)) < 0.5);
        QVERIFY(std::abs(down[2] - engine.mapX(4000)) < 0.5);

        const auto texts = surface.of(Kind::Text);
        auto findText = [&](const QString &t) {
            for (const auto &op : texts)
                if (op.text == t) return op.at.topLeft();
            return QPointF(-1, -1);
        };
        QVERIFY(std::abs(findText(u"１列目"_s).y() - engine.mapY(400)) < 0.5);
        QVERIFY(std::abs(findText(u"①"_s).y() - engine.mapY(1000)) < 0.5);
        QVERIFY(std::abs(findText(u"①"_s).x() - engine.mapX(100)) < 0.5);
        QVERIFY(std::abs(findText(u"⑮"_s).y() - engine.mapY(9400)) < 0.5);
        // One-line cells are drawn at 20, scaled to the paper.
        QCOMPARE(texts.first().fontSize, 20 * PrintEngine::printScale);
    }

    void hundredSheetLayout_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<int>("boxes");
        QTest::addColumn<bool>("answersOnPage");
        // clang-format off
        QTest::newRow("4 columns: answers title off the page") << 1 << 15 * 4 << false;
        QTest::newRow("5 columns: no box in column 5")         << 2 << 15 * 4 << true;
        QTest::newRow("6 columns: column 6 has boxes")         << 3 << 15 * 5 << true;
        // clang-format on
    }
    void hundredSheetLayout()
    {
        QFETCH(int, option);
        QFETCH(int, boxes);
        QFETCH(bool, answersOnPage);
        FakeRandom random;
        Worksheet sheet;
        rebuildWorksheet(sheet, questionsOf(15), levelsOnly({1}, option), random);
        EngineSurface surface(PrintEngine::paperSize(true));
        PrintEngine engine;
        engine.initialise(surface, PrintEngine::Output::Preview, true);
        drawHundredSheet(engine, sheet);

        QCOMPARE(hundredSheetHeading().size(), 39);
        QCOMPARE(surface.of(Kind::Rect).size(), boxes);
        const auto texts = surface.of(Kind::Text);
        QCOMPARE(texts[0].text, u"百問計算"_s);
        QCOMPARE(texts[0].at.topLeft(), engine.map(200, 100));
        QCOMPARE(texts[0].fontSize, 30 * engine.previewScale());
        QCOMPARE(texts[1].text, hundredSheetHeading());
        QCOMPARE(texts[1].at.topLeft(), engine.map(2800, 150));
        QCOMPARE(texts[2].text, u"　答え"_s);
        QCOMPARE(texts[2].at.x() < engine.mapX(10000), answersOnPage);
        QCOMPARE(texts[3].text, u"　切り取るか裏に折って使いましょう"_s);
        QVERIFY(!surface.texts().contains(u"１列目"_s));
    }
};

QTEST_APPLESS_MAIN(TestWorksheet)
#include "tst_worksheet.moc"
