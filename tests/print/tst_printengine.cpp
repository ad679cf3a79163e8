#include "print/printengine.h"

#include "enginesurface.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace kemoro;
using namespace kemoro::print;
using kemoro::test::EngineSurface;
using Kind = EngineSurface::Kind;
using Output = PrintEngine::Output;

Q_DECLARE_METATYPE(PrintEngine::Output)

namespace {
struct Drawn
{
    EngineSurface surface;
    PrintEngine engine;
    Drawn(Output output, bool portrait = true) : surface(PrintEngine::paperSize(portrait))
    {
        engine.initialise(surface, output, portrait);
    }
};
} // namespace

class TestPrintEngine : public QObject
{
    Q_OBJECT
private slots:
    void mapsPageUnits_data()
    {
        QTest::addColumn<Output>("output");
        QTest::addColumn<bool>("portrait");
        QTest::addColumn<QPointF>("page");
        QTest::addColumn<QPointF>("twips");
        // clang-format off
        QTest::newRow("preview origin keeps the left margin")   << Output::Preview << true  << QPointF(0, 0)         << QPointF(37.5039, 0);
        QTest::newRow("preview far corner")                     << Output::Preview << true  << QPointF(10000, 5000)  << QPointF(7538.2839, 5303.97);
        QTest::newRow("paper origin at 0.89 x 1.06")            << Output::Printer << true  << QPointF(0, 0)         << QPointF(56.1606, 0);
        QTest::newRow("paper quarter across, half down")        << Output::Printer << true  << QPointF(2500, 5000)   << QPointF(2864.1907, 7867.5555);
        QTest::newRow("paper bottom at 93.45 % of the height")  << Output::Printer << true  << QPointF(0, 10000)     << QPointF(56.1606, 15735.111);
        QTest::newRow("landscape preview at 0.8")               << Output::Preview << false << QPointF(5000, 2500)   << QPointF(6802.552, 2381.2);
        QTest::newRow("landscape paper far corner")             << Output::Printer << false << QPointF(10000, 10000) << QPointF(15964.394, 11126.157);
        // clang-format on
    }
    void mapsPageUnits()
    {
        QFETCH(Output, output);
        QFETCH(bool, portrait);
        QFETCH(QPointF, page);
        QFETCH(QPointF, twips);
        Drawn d(output, portrait);
        const QPointF got = d.engine.map(page.x(), page.y());
        QVERIFY2(std::abs(got.x() - twips.x()) < 0.01 && std::abs(got.y() - twips.y()) < 0.01,
                 qPrintable(u"%1, %2"_s.arg(got.x()).arg(got.y())));
    }

    void pageShrinksOnlyToFit_data()
    {
        QTest::addColumn<QRectF>("printable");
        QTest::addColumn<QRectF>("content");
        QTest::addColumn<double>("scale");
        // A page of 10000 x 20000 twips, centre (5000, 10000).
        // clang-format off
        QTest::newRow("fits: as designed")               << QRectF(300, 300, 9400, 19400) << QRectF(400, 500, 9000, 19000) << 1.0;
        QTest::newRow("a side margin limits")            << QRectF(500, 300, 9000, 19400) << QRectF(0, 0, 10000, 20000)   << 0.9;
        QTest::newRow("the top limits")                  << QRectF(100, 2000, 9800, 17900) << QRectF(0, 0, 10000, 20000)  << 0.8;
        QTest::newRow("only the side that sticks out")   << QRectF(500, 0, 9000, 20000)   << QRectF(0, 0, 6000, 20000)   << 0.9;
        QTest::newRow("content left of the centre only") << QRectF(1000, 0, 8000, 20000)  << QRectF(3000, 0, 1000, 20000) << 1.0;
        // clang-format on
    }
    void pageShrinksOnlyToFit()
    {
        QFETCH(QRectF, printable);
        QFETCH(QRectF, content);
        QFETCH(double, scale);
        QCOMPARE(fitScale(QSizeF(10000, 20000), printable, content), scale);
    }

    void lineWidths_data()
    {
        QTest::addColumn<Output>("output");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("width");
        QTest::addColumn<double>("device");
        // clang-format off
        QTest::newRow("line 1 on the preview is 1 px")          << Output::Preview << u"ライン"_s << 1 << 1.0;
        QTest::newRow("line 1 on paper is 3.6 rounded to 4")    << Output::Printer << u"ライン"_s << 1 << 4.0;
        QTest::newRow("line 3 on the preview is 1.8 -> 2")      << Output::Preview << u"ライン"_s << 3 << 2.0;
        QTest::newRow("box 2 on paper is 7.2 -> 7")             << Output::Printer << u"ボックス"_s << 2 << 7.0;
        QTest::newRow("rectangle 1 on paper has no 0.6: 6")     << Output::Printer << u"四角"_s << 1 << 6.0;
        QTest::newRow("rectangle 2 on the preview: 2")          << Output::Preview << u"四角"_s << 2 << 2.0;
        QTest::newRow("label frame 1 on paper: 6")              << Output::Printer << u"ラベル文字2"_s << 1 << 6.0;
        // clang-format on
    }
    void lineWidths()
    {
        QFETCH(Output, output);
        QFETCH(QString, operation);
        QFETCH(int, width);
        QFETCH(double, device);
        Drawn d(output);
        if (operation == u"ライン"_s)
            d.engine.line(0, 0, 100, 100, width, 0);
        else if (operation == u"ボックス"_s)
            d.engine.box(0, 0, 100, 100, width, 0);
        else if (operation == u"四角"_s)
            d.engine.rectangle(0, 0, 100, 100, 0, 0, 1, width);
        else
            d.engine.label2(0, 0, 100, 100, 0, 0, 1, width, u"あ"_s, 0, 10, 1);
        QCOMPARE(d.surface.ops.first().lineWidth, device);
    }

    void fillStaysOnTheSurface()
    {
        Drawn d(Output::Preview);
        d.engine.rectangle(0, 0, 100, 100, 0, 0x00ffff, 0, 1); // solid yellow
        d.engine.box(200, 200, 300, 300, 1, 0xff0000);
        const auto rects = d.surface.of(Kind::Rect);
        QCOMPARE(rects.size(), 2);
        QCOMPARE(rects[1].fillStyle, 0);
        QCOMPARE(rects[1].fillColour, (Rgb{255, 255, 0}));
        QCOMPARE(rects[1].colour, (Rgb{0, 0, 255}));
    }

    void hiddenAnswersKeepOnlyGreen_data()
    {
        QTest::addColumn<int>("hide");
        QTest::addColumn<double>("colour");
        QTest::addColumn<bool>("textDrawn");
        // clang-format off
        QTest::newRow("shown: black text")          << 0 << 0.0         << true;
        QTest::newRow("hidden: black text goes")    << 1 << 0.0         << false;
        QTest::newRow("hidden: red text goes")      << 1 << 255.0       << false;
        QTest::newRow("hidden: answer green stays") << 1 << answerGreen << true;
        // clang-format on
    }
    void hiddenAnswersKeepOnlyGreen()
    {
        QFETCH(int, hide);
        QFETCH(double, colour);
        QFETCH(bool, textDrawn);
        for (bool fitted : {false, true}) {
            Drawn d(Output::Printer);
            d.engine.hideAnswers = hide;
            int size = 20;
            if (fitted)
                d.engine.label3(1000, 1000, 2000, 1000, 0, 0xffffff, 1, 1, u"こたえ"_s, colour, size, 1);
            else
                d.engine.label2(1000, 1000, 2000, 1000, 0, 0xffffff, 1, 1, u"こたえ"_s, colour, 20, 1);
            QCOMPARE(d.surface.of(Kind::Rect).size(), 1);
            QCOMPARE(d.surface.of(Kind::Text).size(), textDrawn ? 1 : 0);
            if (textDrawn) QCOMPARE(d.surface.of(Kind::Text).first().colour, colourFromNumber(colour));
        }
    }

    void fittedLabelShrinks_data()
    {
        QTest::addColumn<Output>("output");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("width");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("fitted");
        // clang-format off
        QTest::newRow("fits already: still two steps")        << Output::Preview << u"あ"_s << 5000.0 << 12 << 10;
        QTest::newRow("fits already on paper: two steps")     << Output::Printer << u"あ"_s << 5000.0 << 12 << 10;
        QTest::newRow("too wide: shrinks until it fits")      << Output::Printer << u"ああああ"_s << 1000.0 << 40 << 11;
        QTest::newRow("never fits: stops at 1")               << Output::Preview << QString(200, u'あ') << 100.0 << 30 << 1;
        QTest::newRow("size 2 goes to 1, not below")          << Output::Preview << u"あ"_s << 5000.0 << 2 << 1;
        // clang-format on
    }
    void fittedLabelShrinks()
    {
        QFETCH(Output, output);
        QFETCH(QString, text);
        QFETCH(double, width);
        QFETCH(int, size);
        QFETCH(int, fitted);
        Drawn d(output);
        d.engine.label3(100, 100, width, 2000, 0, 0xffffff, 1, 1, text, 0, size, 0);
        QCOMPARE(size, fitted);
        QCOMPARE(d.surface.of(Kind::Text).first().fontSize, double(fitted));
    }

    void labelModes_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("rects");
        QTest::addColumn<int>("texts");
        // clang-format off
        QTest::newRow("mode 0: text centred on the point") << 0 << 0 << 1;
        QTest::newRow("mode 1: frame sized from the text") << 1 << 1 << 1;
        QTest::newRow("mode 2: nothing")                   << 2 << 0 << 0;
        // clang-format on
    }
    void labelModes()
    {
        QFETCH(int, mode);
        QFETCH(int, rects);
        QFETCH(int, texts);
        Drawn d(Output::Preview);
        d.engine.label(3000, 4000, 0, 0xffffff, 1, 1, u"３．１４"_s, 0, 20, mode);
        QCOMPARE(d.surface.of(Kind::Rect).size(), rects);
        QCOMPARE(d.surface.of(Kind::Text).size(), texts);
        if (texts == 0) return;
        const EngineSurface::Op text = d.surface.of(Kind::Text).first();
        const double w = text.text.size() * text.fontSize * 20;
        const double h = text.fontSize * 20;
        const QPointF centre = text.at.topLeft() + QPointF(w / 2, h / 2);
        QPointF expected = d.engine.map(3000, 4000);
        if (mode == 1) {
            // (4 + 1) characters wide and 1.5 high: the text sits in its middle.
            const QRectF frame = d.surface.of(Kind::Rect).first().at;
            QVERIFY(std::abs(frame.width() - 5 * h) < d.engine.targetWidth() / 10000 + 0.01);
            QVERIFY(std::abs(frame.height() - 1.5 * h) < d.engine.targetHeight() / 10000 + 0.01);
            expected = frame.center();
        }
        QVERIFY(std::abs(centre.x() - expected.x()) < 1 && std::abs(centre.y() - expected.y()) < 1);
    }

    void cellFitsItsRow_data()
    {
        QTest::addColumn<Output>("output");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("cellWidth");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("overflow");
        // Characters are one size wide here; the row is 0.06 of the page,
        // 1010.28 twips on paper, and (lines + 1) x 25 x size must stay below.
        // clang-format off
        QTest::newRow("one line on paper: 20")                  << Output::Printer << u"３×４"_s        << 0.3  << 20 << 1 << 0;
        QTest::newRow("one line on the preview: 20 as well")    << Output::Preview << u"３×４"_s        << 0.3  << 20 << 1 << 0;
        QTest::newRow("20 characters, narrow: 3 lines at 8")    << Output::Printer << QString(20, u'あ') << 0.1 << 8  << 3 << 0;
        QTest::newRow("the same on the preview")                << Output::Preview << QString(20, u'あ') << 0.1 << 8  << 3 << 0;
        QTest::newRow("2000 characters: size 1")                << Output::Printer << QString(2000, u'あ') << 0.1 << 1 << 34 << 0;
        QTest::newRow("8000 characters fit nowhere: drawn at 1") << Output::Printer << QString(8000, u'あ') << 0.1 << 1 << 136 << 1;
        QTest::newRow("empty cell: one empty line at 20")       << Output::Printer << QString()           << 0.3  << 20 << 1 << 0;
        // clang-format on
    }
    void cellFitsItsRow()
    {
        QFETCH(Output, output);
        QFETCH(QString, text);
        QFETCH(double, cellWidth);
        QFETCH(int, size);
        QFETCH(int, lines);
        QFETCH(int, overflow);
        Drawn d(output);
        d.engine.rowPitch = 0.06;
        d.engine.cellWidth = cellWidth;
        d.engine.cellLeft = 0.2;
        d.engine.rowTop = 1000;
        d.engine.cellText(text);
        QCOMPARE(d.engine.cellFontSize, size);
        QCOMPARE(d.engine.cellOverflow, overflow);
        const auto drawn = d.surface.of(Kind::Text);
        QCOMPARE(drawn.size(), lines);
        QString all;
        for (const auto &op : drawn)
            all += op.text;
        QCOMPARE(all, text);
        // Lines follow each other at 25 twips a point (scaled with the preview).
        const double pitch = size * 25.0 * (output == Output::Preview ? d.engine.previewScale() : 1.0) *
                             d.engine.mapHeight(10000) / d.engine.targetHeight();
        for (qsizetype k = 0; k < drawn.size(); ++k) {
            QVERIFY(std::abs(drawn[k].at.top() - (d.engine.mapY(1000) + k * pitch)) < 0.01);
            QVERIFY(std::abs(drawn[k].at.left() - d.engine.mapX(2000)) < 0.01);
        }
    }
};

QTEST_APPLESS_MAIN(TestPrintEngine)
#include "tst_printengine.moc"
