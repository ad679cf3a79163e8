#include "platform/widgets.h"
#include "platform/zoom.h"

#include <QDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>

using namespace Qt::StringLiterals;

// Main windows open centred on the screen's free area, and in the same place
// again after they were hidden, moved or resized.
class TestWindowPlacement : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { kemoro::ui::installCentredWindows(); }

    void mainWindowsOpenCentred()
    {
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        const QPoint expected =
            kemoro::ui::centredPosition(QSize(400, 300), kemoro::ui::windowFrameAllowance, area);
        QWidget window;
        window.setFixedSize(400, 300);
        window.show();
        const QPoint first = window.pos();
        // The frame the platform draws may differ a little from the usual one.
        QVERIFY2((first - expected).manhattanLength() <= 20,
                 qPrintable(u"%1,%2"_s.arg(first.x()).arg(first.y())));

        window.hide();
        window.move(area.topLeft());
        window.show();
        QCOMPARE(window.pos(), first);
    }

    void dialogsAreLeftToTheirOwner()
    {
        QWidget owner;
        owner.setFixedSize(400, 300);
        owner.show();
        QDialog dialog(&owner);
        dialog.setFixedSize(100, 50);
        dialog.move(3, 4);
        dialog.show();
        QVERIFY(dialog.pos() != kemoro::ui::centredPosition(dialog.size(), kemoro::ui::windowFrameAllowance,
                                                            owner.screen()->availableGeometry()));
    }
};

QTEST_MAIN(TestWindowPlacement)
#include "tst_windowplacement.moc"
