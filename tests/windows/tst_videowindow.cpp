#include "windows/videowindow.h"

#include "fakemediaplayer.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace kemoro;

namespace {

QPushButton *button(QWidget &window, const QString &name, int i)
{
    return window.findChild<QPushButton *>(u"%1(%2)"_s.arg(name).arg(i));
}

} // namespace

class TestVideoWindow : public QObject
{
    Q_OBJECT
private slots:
    void loadPlaysTheFileFromTheDataFolder_data();
    void loadPlaysTheFileFromTheDataFolder();
    void bookmarkNumbersAndButtonsAtLoad();
    void setJumpFreeAndSetAgain();
    void failureIsShownInPlaceOfThePicture_data();
    void failureIsShownInPlaceOfThePicture();
    void playersOwnControlsDriveIt();
    void backButtonCloses();
};

void TestVideoWindow::loadPlaysTheFileFromTheDataFolder_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("source");
    // clang-format off
    QTest::newRow("relative name under the data folder") << u"九九.mp4"_s      << u"/data/kemoro/九九.mp4"_s;
    QTest::newRow("absolute path as it is")              << u"/media/usb/a.wmv"_s << u"/media/usb/a.wmv"_s;
    // clang-format on
}

void TestVideoWindow::loadPlaysTheFileFromTheDataFolder()
{
    QFETCH(QString, file);
    QFETCH(QString, source);
    auto *player = new test::FakeMediaPlayer;
    VideoWindow window(file, u"/data/kemoro/"_s, player);
    QCOMPARE(player->sources, QStringList{source});
    QVERIFY(player->playing);
}

void TestVideoWindow::bookmarkNumbersAndButtonsAtLoad()
{
    VideoWindow window(u"九九.mp4"_s, u"/data/"_s, new test::FakeMediaPlayer);
    window.show();
    QCOMPARE(window.windowTitle(), u"QRVX"_s);
    QStringList numbers;
    for (int i = 0; i < VideoWindow::bookmarkCount; ++i) {
        numbers.append(window.findChild<QLabel *>(u"Label2(%1)"_s.arg(i))->text());
        QVERIFY(button(window, u"Command3"_s, i)->isVisible());
        QVERIFY(!button(window, u"Command4"_s, i)->isVisible());
    }
    QCOMPARE(numbers,
             (QStringList{u"１"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s, u"6"_s, u"7"_s, u"8"_s, u"9"_s, u"10"_s}));
    QCOMPARE(window.findChild<QLabel *>(u"VideoBaseLabel"_s)->geometry(),
             window.findChild<QWidget *>(u"VideoMediaPlayer"_s)->geometry());
}

void TestVideoWindow::setJumpFreeAndSetAgain()
{
    auto *player = new test::FakeMediaPlayer;
    VideoWindow window(u"九九.mp4"_s, u"/data/"_s, player);
    window.show();
    QPushButton *set = button(window, u"Command3"_s, 3);
    QPushButton *jump = button(window, u"Command4"_s, 3);

    player->at = 12.5;
    QTest::mouseClick(set, Qt::LeftButton);
    QCOMPARE(window.videoBookmarks()[3], 12.5);
    QVERIFY(!set->isVisible());
    QVERIFY(jump->isVisible());
    QVERIFY(button(window, u"Command3"_s, 4)->isVisible()); // the other pairs stay as they were

    player->seek(40);
    QTest::mouseClick(jump, Qt::LeftButton);
    QCOMPARE(player->at, 12.5);

    // A right press frees the pair; the position stays until set again.
    QTest::mousePress(jump, Qt::RightButton);
    QVERIFY(set->isVisible());
    QVERIFY(!jump->isVisible());
    QCOMPARE(window.videoBookmarks()[3], 12.5);

    player->at = 20;
    QTest::mouseClick(set, Qt::LeftButton);
    player->seek(65);
    QTest::mouseClick(jump, Qt::LeftButton);
    QCOMPARE(player->at, 20.0);
    QCOMPARE(player->seeks, (QList<double>{40, 12.5, 65, 20}));
}

void TestVideoWindow::failureIsShownInPlaceOfThePicture_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("playerError"); // empty: the window refuses before the player
    QTest::addColumn<QString>("note");
    // clang-format off
    QTest::newRow("player's error is named")
        << u"九九.wmv"_s << u"Could not open file"_s << u"再生できません：/data/九九.wmv (Could not open file)"_s;
    QTest::newRow("web address is not fetched")
        << u"http://example.com/a.mp4"_s << QString()
        << u"再生できません：http://example.com/a.mp4 (only files of this computer are played)"_s;
    // clang-format on
}

void TestVideoWindow::failureIsShownInPlaceOfThePicture()
{
    QFETCH(QString, file);
    QFETCH(QString, playerError);
    QFETCH(QString, note);
    auto *player = new test::FakeMediaPlayer;
    VideoWindow window(file, u"/data/"_s, player);
    window.show();
    if (!playerError.isEmpty())
        player->fail(playerError);
    else
        QVERIFY(player->sources.isEmpty());
    QCOMPARE(window.findChild<QLabel *>(u"VideoBaseLabel"_s)->text(), note);
    QVERIFY(!window.findChild<QWidget *>(u"VideoMediaPlayer"_s)->isVisible());
    QVERIFY(window.isVisible());
}

void TestVideoWindow::playersOwnControlsDriveIt()
{
    auto *player = new test::FakeMediaPlayer;
    VideoWindow window(u"九九.mp4"_s, u"/data/"_s, player);
    window.show();
    auto *playPause = window.findChild<QPushButton *>(u"playPause"_s);
    QTest::mouseClick(playPause, Qt::LeftButton);
    QVERIFY(!player->playing);
    QTest::mouseClick(playPause, Qt::LeftButton);
    QVERIFY(player->playing);

    auto *bar = window.findChild<QSlider *>(u"positionBar"_s);
    emit player->durationChanged(90);
    emit player->positionChanged(30);
    QCOMPARE(player->seeks, QList<double>{}); // following the player is no seek
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    QCOMPARE(player->seeks, QList<double>{90});
}

void TestVideoWindow::backButtonCloses()
{
    auto *player = new test::FakeMediaPlayer;
    VideoWindow window(u"九九.mp4"_s, u"/data/"_s, player);
    window.show();
    QSignalSpy closed(&window, &VideoWindow::closed);
    QPushButton *back = window.findChild<QPushButton *>(u"Command1"_s);
    QCOMPARE(back->text(), u"戻る"_s);
    QTest::mouseClick(back, Qt::LeftButton);
    QCOMPARE(closed.size(), 1);
    QVERIFY(!player->playing);
}

QTEST_MAIN(TestVideoWindow)
#include "tst_videowindow.moc"
