#include "platform/widgets.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace kemoro;

// The aligned lists are built from half- and full-width pieces and need a
// font where a full-width character is exactly two half-width ones.
class TestFonts : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { ui::installFontSubstitutions(); }
    void gothicIsFixedPitchOneToTwo();
};

void TestFonts::gothicIsFixedPitchOneToTwo()
{
    const QFont font = ui::gothicFont(12);
    QCOMPARE(QFontInfo(font).family(), u"IPAGothic"_s);
    const QFontMetrics metrics(font);
    const int half = metrics.horizontalAdvance(u'0');
    QCOMPARE(metrics.horizontalAdvance(u'W'), half);
    QCOMPARE(metrics.horizontalAdvance(u'i'), half);
    QCOMPARE(metrics.horizontalAdvance(u'ｱ'), half);
    QCOMPARE(metrics.horizontalAdvance(u'山'), 2 * half);
    QCOMPARE(metrics.horizontalAdvance(u'　'), 2 * half);
}

QTEST_MAIN(TestFonts)
#include "tst_fonts.moc"
