#include "platform/zoom.h"

#include <QTest>

using namespace Qt::StringLiterals;
using kemoro::ui::chooseZoom;

class TestZoom : public QObject
{
    Q_OBJECT
private slots:
    // The screen's free area (less its panels) against the factor at which
    // the 1024 x 768 design and its frame still fit.
    void chooseZoomFitsTheDesignWithItsFrame_data()
    {
        QTest::addColumn<QSize>("available");
        QTest::addColumn<double>("zoom");
        // clang-format off
        QTest::newRow("1024x768, no panel: below 1")   << QSize(1024, 768)  << 0.95;
        QTest::newRow("1024x768 with a 28 px panel")   << QSize(1024, 740)  << 0.90;
        QTest::newRow("design and frame exactly")      << QSize(1032, 800)  << 1.0;
        QTest::newRow("one pixel short")               << QSize(1032, 799)  << 0.95;
        QTest::newRow("1280x1024")                     << QSize(1280, 1024) << 1.20;
        QTest::newRow("1920x1080")                     << QSize(1920, 1080) << 1.35;
        QTest::newRow("1920x1080 with a panel")        << QSize(1920, 1040) << 1.30;
        QTest::newRow("portrait 1080x1920: the width") << QSize(1080, 1920) << 1.0;
        QTest::newRow("3840x2160: at most 2")          << QSize(3840, 2160) << 2.0;
        QTest::newRow("800x600")                       << QSize(800, 600)   << 0.70;
        QTest::newRow("tiny: the smallest factor")     << QSize(320, 240)   << 0.5;
        QTest::newRow("no area at all")                << QSize(0, 0)       << 0.5;
        // clang-format on
    }
    void chooseZoomFitsTheDesignWithItsFrame()
    {
        QFETCH(QSize, available);
        QFETCH(double, zoom);
        QCOMPARE(chooseZoom(available), zoom);
        const QSize window = kemoro::ui::designSize * zoom + kemoro::ui::windowFrameAllowance;
        if (zoom > kemoro::ui::minZoom) QVERIFY(window.width() <= available.width());
        if (zoom > kemoro::ui::minZoom) QVERIFY(window.height() <= available.height());
    }

    void zoomOption_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("factor"); // 0: auto
        QTest::addColumn<bool>("valid");
        // clang-format off
        QTest::newRow("auto")         << u"auto"_s << 0.0  << true;
        QTest::newRow("1.5")          << u"1.5"_s  << 1.5  << true;
        QTest::newRow("0.5 smallest") << u"0.5"_s  << 0.5  << true;
        QTest::newRow("3 largest")    << u"3"_s    << 3.0  << true;
        QTest::newRow("too small")    << u"0.4"_s  << 0.0  << false;
        QTest::newRow("too large")    << u"3.5"_s  << 0.0  << false;
        QTest::newRow("not a number") << u"big"_s  << 0.0  << false;
        QTest::newRow("nan")          << u"nan"_s  << 0.0  << false;
        QTest::newRow("empty")        << u""_s     << 0.0  << false;
        // clang-format on
    }
    void zoomOption()
    {
        QFETCH(QString, text);
        QFETCH(double, factor);
        QFETCH(bool, valid);
        const kemoro::ui::ZoomOption option = kemoro::ui::parseZoom(text);
        QCOMPARE(option.error.isEmpty(), valid);
        QCOMPARE(option.factor.value_or(0.0), factor);
        if (!valid) QVERIFY2(option.error.contains(u'"' + text + u'"'), qPrintable(option.error));
    }

    void centredPosition_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QPoint>("position");
        // clang-format off
        QTest::newRow("centred with its frame")  << QSize(1024, 768)  << QRect(0, 0, 1920, 1080)  << QPoint(444, 140);
        QTest::newRow("below a top panel")       << QSize(1024, 768)  << QRect(0, 28, 1920, 1052) << QPoint(444, 154);
        QTest::newRow("second screen")           << QSize(1024, 768)  << QRect(1920, 0, 1280, 1024) << QPoint(2044, 112);
        QTest::newRow("too tall: title visible") << QSize(1024, 768)  << QRect(0, 0, 1024, 740)   << QPoint(0, 0);
        // clang-format on
    }
    void centredPosition()
    {
        QFETCH(QSize, size);
        QFETCH(QRect, available);
        QFETCH(QPoint, position);
        QCOMPARE(kemoro::ui::centredPosition(size, kemoro::ui::windowFrameAllowance, available), position);
    }
};

QTEST_GUILESS_MAIN(TestZoom)
#include "tst_zoom.moc"
