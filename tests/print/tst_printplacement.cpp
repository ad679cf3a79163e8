#include "platform/clock.h"
#include "platform/printer.h"
#include "platform/widgets.h"
#include "print/printengine.h"
#include "print/report.h"
#include "print/worksheet.h"
#include "results/resultrecord.h"

#include "testsupport/fakes.h"

#include "ink.h"

#include <QMarginsF>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace kemoro;
using namespace kemoro::print;

namespace {
constexpr double twipsPerPixel = 9.6; // 150 dpi
constexpr double twipsPerMm = 1440 / 25.4;
const QSizeF a4(11906, 16838);

enum class Doc { QuestionTable, HundredSheet, SamplePage, Report };

// Where a document's outermost ink lies on the page as designed, in page
// twips: its left and right edge and its first and last full-width rule.
struct Design
{
    double left, right, firstRule, lastRule;
};

Design designOf(Doc doc)
{
    const double w = PrintEngine::printScale * 1.06 * a4.width();
    const double h = PrintEngine::printScale * 1.05 * a4.height();
    switch (doc) {
    case Doc::QuestionTable:
        return {0.005 * w, 1.005 * w, 0.03 * h, 0.99 * h};
    case Doc::HundredSheet:
        return {0.005 * w, 1.005 * w, 0.0001 * h, h};
    case Doc::SamplePage: // drawn without the left margin
        return {0, w, 0, h};
    case Doc::Report: // rules across the page; the third block's lower rule last
        return {0, a4.width(), 0.05 * a4.height(), 0.68 * a4.height()};
    }
    return {};
}

void draw(PrintSurface &paper, Doc doc)
{
    if (doc == Doc::Report) {
        ResultWindow file;
        for (int level = 1; level <= 3; ++level)
            for (int k = 0; k < 8; ++k)
                file.bytes += encodeRecord(drillRecord(QDateTime(QDate(2026, 11, 1 + k), QTime(9, 0)), 8,
                                                       qint16(level), 50 - 3 * k, u"12345"_s));
        file.totalRecords = file.count();
        report::Request r;
        r.pupil = 8;
        r.pupilName = u"工藤　ゆうと"_s;
        r.levelItems = {1, 2, 3};
        r.levelCount = 3;
        r.now = QDateTime(QDate(2026, 12, 10), QTime(10, 0));
        r.style.paper = true;
        r.title = [](int level) { return u"ケモロ レベル%1"_s.arg(level); };
        report::Hooks hooks;
        hooks.read = [&file](ResultWindow &into) {
            into = file;
            return std::optional<ResultFileError>();
        };
        QVERIFY(!report::drawReport(paper, r, hooks));
        return;
    }
    PrintEngine engine;
    engine.initialise(paper, PrintEngine::Output::Printer, true);
    Worksheet sheet;
    test::FakeRandom random;
    const QList<WorksheetQuestion> questions = {{1, {u"さる"_s, u"も"_s, u"木から落ちる"_s}, 1}};
    WorksheetChoice choice;
    choice.levels[0] = true;
    choice.option = 2;
    rebuildWorksheet(sheet, questions, choice, random);
    if (doc == Doc::QuestionTable) drawQuestionTable(engine, sheet);
    if (doc == Doc::HundredSheet) drawHundredSheet(engine, sheet);
    if (doc == Doc::SamplePage) drawSamplePage(engine);
}
} // namespace

Q_DECLARE_METATYPE(Doc)

class TestPrintPlacement : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { ui::installFontSubstitutions(); }

    void pagesLieInThePrintableArea_data()
    {
        QTest::addColumn<Doc>("doc");
        QTest::addColumn<QMarginsF>("margins"); // mm: left, top, right, bottom
        const QMarginsF typical(6.35, 6.35, 6.35, 6.35);
        const QMarginsF wideSides(10, 6.35, 10, 6.35);
        // clang-format off
        QTest::newRow("question table, 6.35 mm all round") << Doc::QuestionTable << typical;
        QTest::newRow("question table, 10 mm at the sides") << Doc::QuestionTable << wideSides;
        QTest::newRow("hundred sheet, 6.35 mm all round")  << Doc::HundredSheet  << typical;
        QTest::newRow("hundred sheet, 10 mm at the sides") << Doc::HundredSheet  << wideSides;
        QTest::newRow("test page, 6.35 mm all round")      << Doc::SamplePage    << typical;
        QTest::newRow("test page, 10 mm at the sides")     << Doc::SamplePage    << wideSides;
        QTest::newRow("report, 6.35 mm all round")         << Doc::Report        << typical;
        QTest::newRow("report, 10 mm at the sides")        << Doc::Report        << wideSides;
        // clang-format on
    }
    // The page is shrunk about its centre, the same in both directions, just
    // so far that nothing lies outside the printable area.
    void pagesLieInThePrintableArea()
    {
        QFETCH(Doc, doc);
        QFETCH(QMarginsF, margins);
        const QRectF printable = QRectF(QPointF(0, 0), a4) - margins * twipsPerMm;
        ImageSurface paper(a4, printable, twipsPerPixel);
        draw(paper, doc);
        const QImage &image = paper.image();

        // Ink only inside the printable area (pixel edges in twips).
        const QRect ink = test::inkBox(image);
        QVERIFY(!ink.isEmpty());
        const QRectF inkTw(ink.left() * twipsPerPixel, ink.top() * twipsPerPixel, ink.width() * twipsPerPixel,
                           ink.height() * twipsPerPixel);
        QVERIFY2(printable.adjusted(-1, -1, 1, 1).contains(inkTw),
                 qPrintable(u"ink %1,%2 to %3,%4 mm"_s.arg(inkTw.left() / twipsPerMm)
                                .arg(inkTw.top() / twipsPerMm)
                                .arg(inkTw.right() / twipsPerMm)
                                .arg(inkTw.bottom() / twipsPerMm)));

        // One scale across and down, about the page centre.
        const Design design = designOf(doc);
        const QList<double> rules = test::ruleRows(image);
        QVERIFY(rules.size() >= 2);
        const double first = rules.first() * twipsPerPixel, last = rules.last() * twipsPerPixel;
        const double down = (last - first) / (design.lastRule - design.firstRule);
        const double across = (inkTw.right() - inkTw.left()) / (design.right - design.left);
        QVERIFY2(down < 0.99, qPrintable(QString::number(down)));
        QVERIFY2(std::abs(across - down) < 0.008, qPrintable(u"%1 across, %2 down"_s.arg(across).arg(down)));
        const QPointF centre(a4.width() / 2, a4.height() / 2);
        const double pixel = twipsPerPixel;
        QVERIFY(std::abs(first - (centre.y() + down * (design.firstRule - centre.y()))) < 2 * pixel);
        QVERIFY(std::abs(inkTw.left() - (centre.x() + down * (design.left - centre.x()))) < 4 * pixel);

        // Shrunk no further than needed: the ink reaches one edge of the area.
        const double gap = std::min({inkTw.left() - printable.left(), printable.right() - inkTw.right(),
                                     inkTw.top() - printable.top(), printable.bottom() - inkTw.bottom()});
        QVERIFY2(gap < 4 * pixel, qPrintable(u"%1 mm to spare"_s.arg(gap / twipsPerMm)));
    }
};

QTEST_MAIN(TestPrintPlacement)
#include "tst_printplacement.moc"
