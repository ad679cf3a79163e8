#include "app/navigator.h"
#include "platform/messages.h"
#include "platform/widgets.h"
#include "roster/nameselectionscreen.h"
#include "state/context.h"
#include "state/splashwindow.h"
#include "testsupport/fakes.h"
#include "testsupport/fixtures.h"
#include "testsupport/manualtimers.h"
#include "testsupport/uifakes.h"
#include "windows/versiondialog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryFile>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <memory>

#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace kemoro;

// Six pupils, numbered in roster order (pupil 5 on line 5), and a teacher.
test::Classroom classroom()
{
    return {.pupils = {{1, u"青木　さくら"_s, 1},
                       {2, u"石井　はると"_s, 1},
                       {3, u"江藤　そうた"_s, 2},
                       {4, u"大野　ひな"_s, 2},
                       {5, u"工藤　ゆうと"_s, 3},
                       {6, u"小林　あおい"_s, 3},
                       {7, u"山田先生"_s, 20}},
            .today = QDate(2027, 1, 5)};
}

// One run of the program against a temporary installation, with fakes for
// the clock, chance, message boxes and the launcher.
struct Run
{
    test::Installation install{classroom()};
    test::FakeClock clock{QDateTime(QDate(2027, 1, 5), QTime(9, 0))};
    test::ManualTimers timers{&clock};
    test::FakeRandom random;
    test::ScriptedMessages messages;
    test::FakeProgramStarter programs;
    AppContext context;
    std::unique_ptr<Navigator> navigator;
    std::unique_ptr<QSignalSpy> finished;

    Run()
    {
        context.services = {&clock, &random, &messages, &programs};
        context.services.timers = &timers;
        context.session.folders.programDir = install.programDir();
        navigator = std::make_unique<Navigator>(context);
        finished = std::make_unique<QSignalSpy>(navigator.get(), &Navigator::finished);
    }
    void start() { navigator->start(); }
    // Start-up up to the splash's Timer1 and the work it sets off.
    void startAndConfigure()
    {
        start();
        timers.advance(100);
    }
};

// Standard error into a file for as long as it lives.
class StderrCapture
{
public:
    StderrCapture()
    {
        std::fflush(stderr);
        m_saved = ::dup(2);
        m_file.open();
        ::dup2(m_file.handle(), 2);
    }
    ~StderrCapture() { restore(); }
    QString text()
    {
        restore();
        m_file.seek(0);
        return QString::fromLocal8Bit(m_file.readAll());
    }

private:
    void restore()
    {
        std::fflush(stderr);
        if (m_saved >= 0) ::dup2(m_saved, 2), ::close(m_saved);
        m_saved = -1;
    }
    QTemporaryFile m_file;
    int m_saved = -1;
};

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { ui::installFontSubstitutions(); }
    void splashThenNameSelection();
    void brokenInstallationEndsWithAMessage();
    void warningsAreShownAndStartUpGoesOn_data();
    void warningsAreShownAndStartUpGoesOn();
    void resultFileFailureIsOnStandardError();
    void badByteInANameKeepsEveryPupil();
    void titleClickOpensVersionDialog();
    void versionDialogLabelsShowWhole_data();
    void versionDialogLabelsShowWhole();
    void zeroKeyLeavesToTheLauncher();
    void missingLauncherIsNamed();
};

void TestStartup::splashThenNameSelection()
{
    Run run;
    QVERIFY2(run.install.isValid(), qPrintable(run.install.error()));
    run.start();
    QPointer<SplashWindow> splash = test::openScreen<SplashWindow>();
    QVERIFY(splash);
    QCOMPARE(splash->findChild<QLabel *>(u"Label5"_s)->text(), u"令和9年 1月 05日（火）"_s);
    QCOMPARE(run.context.session.seasonColour, 33023u); // January
    run.timers.advance(99);
    QVERIFY(!test::openScreen<NameSelectionScreen>());
    run.timers.advance(1);
    NameSelectionScreen *names = test::openScreen<NameSelectionScreen>();
    QVERIFY(names);
    QCOMPARE(names->objectName(), u"namesel"_s);
    QCOMPARE(names->findChild<QLabel *>(u"Label4"_s)->text(), u"ケモロ"_s);
    QCOMPARE(names->findChild<QLabel *>(u"Label4"_s)->font().pointSize(), 48);
    QCOMPARE(names->findChild<QPushButton *>(u"Command7"_s)->text(), u"ﾌﾟﾟﾛｸﾞﾗﾑメニューへ(0)"_s);
    QVERIFY(!splash);
    QCOMPARE(run.messages.shown.size(), 0);
    QCOMPARE(run.finished->size(), 0);
}

void TestStartup::brokenInstallationEndsWithAMessage()
{
    Run run;
    QVERIFY2(run.install.isValid(), qPrintable(run.install.error()));
    QVERIFY(QFile::remove(run.install.dataFolder() + u"タイム回数データ.txt"_s));
    StderrCapture capture;
    run.startAndConfigure();
    QCOMPARE(run.finished->size(), 1);
    // Standard error names the whole path too.
    const QString err = capture.text();
    QVERIFY2(err.contains(QDir::toNativeSeparators(run.install.dataFolder() + u"タイム回数データ.txt"_s)),
             qPrintable(err));
    QCOMPARE(run.finished->first().first().toInt(), 1);
    QCOMPARE(run.messages.shown.size(), 1);
    QVERIFY(run.messages.shown.first().text.contains(run.install.dataFolder() + u"タイム回数データ.txt"_s));
    QVERIFY(!test::openScreen<NameSelectionScreen>());
}

void TestStartup::resultFileFailureIsOnStandardError()
{
    // A folder where the result file belongs: the name list cannot be made.
    Run run;
    QVERIFY2(run.install.isValid(), qPrintable(run.install.error()));
    const QString path = run.install.dataFolder() + u"成績累積データ.dat"_s;
    QFile::remove(path);
    QVERIFY(QDir().mkpath(path));
    StderrCapture capture;
    run.startAndConfigure();
    QCOMPARE(run.finished->size(), 1);
    const QString err = capture.text();
    QCOMPARE(run.finished->first().first().toInt(), 1);
    QCOMPARE(run.messages.shown.size(), 1);
    QVERIFY2(err.contains(QDir::toNativeSeparators(path) + u": a folder stands in the file's place"_s),
             qPrintable(err));
}

void TestStartup::warningsAreShownAndStartUpGoesOn_data()
{
    QTest::addColumn<QString>("file"); // relative to the installation root
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("shown"); // what the one message says
    // clang-format off
    QTest::newRow("a sound group without its \"*\"")
        << u"データ/音フォルダ/新音ファイル.txt"_s << u"正解音2,a,b\r\n"_s.toUtf8()
        << u"新音ファイル.txt (line 1)"_s;
    QTest::newRow("no teacher password")
        << u"データ/共通データ.txt"_s << u"4\r\n12345教室\r\n0\r\n0\r\n\r\n\r\n"_s.toUtf8()
        << u"パスワードが設定されていません"_s;
    QTest::newRow("criteria saved as UTF-8")
        << u"データ/kemoro/タイム回数データ.txt"_s
        << QByteArray("\xEF\xBB\xBF") + u"目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,\r\n"
                                           u"30,60,100,5,1,20,300,7,1,,,\r\n"_s.toUtf8()
        << u"UTF-8 で保存されています"_s;
    QTest::newRow("a Ctrl-Z at the end is no problem")
        << u"データ/音フォルダ/新音ファイル.txt"_s << u"正解音2,a,*\r\n\x1A"_s.toUtf8() << QString();
    // clang-format on
}

void TestStartup::warningsAreShownAndStartUpGoesOn()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    QFETCH(QString, shown);
    Run run;
    QVERIFY2(run.install.isValid(), qPrintable(run.install.error()));
    const QString path = run.install.root() + u'/' + file;
    // The rows are ASCII or UTF-8 on purpose; CP932 rows go through writeCp932.
    if (content.startsWith("\xEF\xBB\xBF"))
        QVERIFY(test::writeBytes(path, content));
    else
        QVERIFY(test::writeCp932(path, QString::fromUtf8(content)));
    run.startAndConfigure();
    QVERIFY(test::openScreen<NameSelectionScreen>());
    QCOMPARE(run.messages.shown.size(), shown.isEmpty() ? 0 : 1);
    if (!shown.isEmpty()) {
        QVERIFY2(run.messages.shown.first().text.contains(shown),
                 qPrintable(run.messages.shown.first().text));
        QVERIFY(run.messages.shown.first().text.contains(path.section(u'/', -1)));
    }
    QCOMPARE(run.finished->size(), 0);
}

void TestStartup::badByteInANameKeepsEveryPupil()
{
    Run clean;
    QVERIFY2(clean.install.isValid(), qPrintable(clean.install.error()));
    clean.startAndConfigure();
    QVERIFY(test::openScreen<NameSelectionScreen>());
    const int pupils = test::openScreen<NameSelectionScreen>()->findChild<QListWidget *>()->count();
    QVERIFY(pupils >= 7);     // every pupil, and the lines between the grades
    clean.navigator->quit(0); // its screens close: the next run's are the open ones

    Run run;
    QVERIFY2(run.install.isValid(), qPrintable(run.install.error()));
    const QString roster = run.install.dataRoot() + u"新名簿.txt"_s;
    QByteArray bytes = test::readBytes(roster);
    qsizetype at = 0;
    for (int line = 1; line < 5; ++line)
        at = bytes.indexOf("\r\n", at) + 2;
    for (int field = 1; field < 5; ++field)
        at = bytes.indexOf(',', at) + 1;
    bytes.insert(at + 2, '\xFF'); // after the first character of pupil 5's name
    QVERIFY(test::writeBytes(roster, bytes));
    run.startAndConfigure();
    QVERIFY(test::openScreen<NameSelectionScreen>());
    QCOMPARE(test::openScreen<NameSelectionScreen>()->findChild<QListWidget *>()->count(), pupils);
    QCOMPARE(run.messages.shown.size(), 1);
    QVERIFY2(run.messages.shown.first().text.contains(u"新名簿.txt (line 5)"_s),
             qPrintable(run.messages.shown.first().text));
    QVERIFY(run.messages.shown.first().text.contains(u"0xFF"_s));
    // Another ranking reads the roster again; its warning is not shown again.
    test::openScreen<NameSelectionScreen>()->findChild<QRadioButton *>(u"Option1(2)"_s)->click();
    run.timers.advance(0);
    QCOMPARE(test::openScreen<NameSelectionScreen>()->findChild<QListWidget *>()->count(), pupils);
    QCOMPARE(run.messages.shown.size(), 1);
}

void TestStartup::titleClickOpensVersionDialog()
{
    Run run;
    QVERIFY2(run.install.isValid(), qPrintable(run.install.error()));
    run.startAndConfigure();
    QVERIFY(test::openScreen<NameSelectionScreen>());
    QString caption, title, version, maker;
    bool hiddenCommand2 = false;
    QTimer::singleShot(50, this, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        caption = dialog->windowTitle();
        title = dialog->findChild<QLabel *>(u"Label1"_s)->text();
        version = dialog->findChild<QLabel *>(u"Label2"_s)->text();
        maker = dialog->findChild<QLabel *>(u"Label4"_s)->text();
        hiddenCommand2 = !dialog->findChild<QPushButton *>(u"Command2"_s)->isVisible();
        QTest::mouseClick(dialog->findChild<QPushButton *>(u"Command1"_s), Qt::LeftButton);
    });
    QLabel *titleLabel = test::openScreen<NameSelectionScreen>()->findChild<QLabel *>(u"Label4"_s);
    QTest::mouseClick(titleLabel, Qt::LeftButton);
    QCOMPARE(caption, u"ﾊﾞｰｼﾞｮﾝ情報"_s);
    QCOMPARE(title, u"ケモロ"_s);
    QVERIFY(version.startsWith(u"Version1."_s));
    QVERIFY(!version.contains(u' '));
    QCOMPARE(maker, u"Quorvex"_s);
    QVERIFY(hiddenCommand2);
    QVERIFY(!QApplication::activeModalWidget());
}

void TestStartup::versionDialogLabelsShowWhole_data()
{
    QTest::addColumn<QString>("title");
    QTest::newRow("the program's title") << QString();
    QTest::newRow("a title wider than the dialog") << u"ケモロ　九九の逆算ドリル教室版"_s;
}

void TestStartup::versionDialogLabelsShowWhole()
{
    QFETCH(QString, title);
    Run run;
    QVERIFY2(run.install.isValid(), qPrintable(run.install.error()));
    run.startAndConfigure();
    if (!title.isEmpty()) run.context.session.programTitle = title;
    VersionDialog dialog(run.context, test::openScreen<NameSelectionScreen>());
    dialog.show(); // its texts come as it is shown
    const QList<QLabel *> labels = dialog.findChildren<QLabel *>();
    QCOMPARE(labels.size(), 4);
    for (const QLabel *label : labels) {
        QVERIFY2(!label->text().startsWith(u"Label"_s), qPrintable(label->objectName()));
        const QString measured =
            u"%1 \"%2\": needs %3x%4, has %5x%6"_s.arg(label->objectName(), label->text())
                .arg(label->sizeHint().width())
                .arg(label->sizeHint().height())
                .arg(label->width())
                .arg(label->height());
        QVERIFY2(label->sizeHint().width() <= label->width() && label->sizeHint().height() <= label->height(),
                 qPrintable(measured));
        QVERIFY2(dialog.findChild<QWidget *>(u"Shape1"_s)->geometry().contains(label->geometry()),
                 qPrintable(measured));
    }
    QCOMPARE(QFontInfo(dialog.findChild<QLabel *>(u"Label5"_s)->font()).family(), u"IPAGothic"_s);
    QVERIFY(dialog.rect().contains(dialog.findChild<QWidget *>(u"Shape1"_s)->geometry()));
}

void TestStartup::zeroKeyLeavesToTheLauncher()
{
    Run run;
    QVERIFY2(run.install.isValid(), qPrintable(run.install.error()));
    run.startAndConfigure();
    QVERIFY(test::openScreen<NameSelectionScreen>());
    NameSelectionScreen *names = test::openScreen<NameSelectionScreen>();
    names->activateWindow();
    QTest::keyClick(names, Qt::Key_0);
    QCOMPARE(run.finished->size(), 1);
    QCOMPARE(run.finished->first().first().toInt(), 0);
    QCOMPARE(run.programs.started.size(), 1);
    QCOMPARE(run.programs.started.first().first, run.install.root() + u"/起動/プログラムメニューc.exe"_s);
    QCOMPARE(run.programs.started.first().second, QStringList{u"001"_s});
    QCOMPARE(run.messages.shown.size(), 0);
}

void TestStartup::missingLauncherIsNamed()
{
    Run run;
    QVERIFY2(run.install.isValid(), qPrintable(run.install.error()));
    run.programs.failure = u"not found"_s;
    run.startAndConfigure();
    QVERIFY(test::openScreen<NameSelectionScreen>());
    QTest::mouseClick(test::openScreen<NameSelectionScreen>()->findChild<QPushButton *>(u"Command7"_s),
                      Qt::LeftButton);
    QCOMPARE(run.finished->size(), 1);
    QCOMPARE(run.messages.shown.size(), 1);
    QVERIFY(run.messages.shown.first().text.contains(u"プログラムメニューc.exe"_s));
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
