#include "app/navigator.h"
#include "platform/widgets.h"
#include "results/recordscreen.h"
#include "results/resultrecord.h"
#include "results/resultstore.h"
#include "state/context.h"
#include "state/startup.h"
#include "testsupport/fakes.h"
#include "testsupport/fixtures.h"
#include "testsupport/uifakes.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace kemoro;

namespace {
const QDateTime stamp(QDate(2026, 12, 10), QTime(9, 5, 3));

// Record i of a test file: pupil 1 + i % 3, time 30 + i.
ResultRecord testRecord(int i, qint32 time = -1)
{
    return drillRecord(stamp, qint16(1 + i % 3), 1, time < 0 ? 30 + i : time, u"12345"_s);
}

// The pupils of the test records, at the school whose name ends each line.
test::Classroom classroom()
{
    return {.pupils = {{1, u"青木　さくら"_s, 1}, {2, u"石井　はると"_s, 1}, {3, u"上田　ゆい"_s, 1}},
            .school = u"12345ケモロ算数教室"_s};
}

struct Run
{
    test::Installation install{classroom()};
    test::FakeClock clock{QDateTime(QDate(2026, 12, 10), QTime(10, 0))};
    test::FakeRandom random;
    test::ScriptedMessages messages;
    test::FakeProgramStarter programs;
    AppContext context;
    std::unique_ptr<Navigator> navigator;
    std::unique_ptr<RecordScreen> screen;

    QString error; // empty: the installation and its records were written and configured without a problem

    explicit Run(int records, int timeOutAt = -1)
    {
        context.services = {&clock, &random, &messages, &programs};
        Diagnostics d;
        if (!install.isValid())
            error = install.error();
        else if (!configure(context.session, install.programDir(), clock.today(), d) || !d.isEmpty())
            error = u"configure: "_s + (d.isEmpty() ? u"failed"_s : d.first().toLine());
        navigator = std::make_unique<Navigator>(context);
        QByteArray bytes;
        for (int i = 0; i < records; ++i)
            bytes += encodeRecord(testRecord(i, i == timeOutAt ? 99999 : -1));
        if (!test::writeBytes(path(), bytes)) error += u"cannot write "_s + path();
        screen = std::make_unique<RecordScreen>(context);
        screen->show();
        screen->activate();
    }
    QString path() const { return context.session.folders.resultFile(); }
    QList<ResultRecord> records() const
    {
        const QByteArray bytes = test::readBytes(path());
        QList<ResultRecord> list;
        for (qsizetype i = 0; i + record::size <= bytes.size(); i += record::size)
            list.append(decodeRecord(bytes.constData() + i));
        return list;
    }
    template <typename T> T *child(const QString &name) const { return screen->findChild<T *>(name); }
};
} // namespace

class TestRecordScreen : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { ui::installFontSubstitutions(); }
    void opensALine();
    void linesShowWhole();
    void editPanelCaptionsItsFields_data();
    void editPanelCaptionsItsFields();
    void timeOutOpensAtTheEnd();
    void interruptedDeletionIsFinishedFirst();
    void journalOfAnotherFileIsKeptAndNamed();
    void correction();
    void refusedInput_data();
    void refusedInput();
    void deletion_data();
    void deletion();
    void changedElsewhereWritesNothing();
};

void TestRecordScreen::opensALine()
{
    Run run(3);
    QVERIFY2(run.error.isEmpty(), qPrintable(run.error));
    QCOMPARE(run.screen->lines().size(), 3);
    QVERIFY(run.screen->lines().at(1).startsWith(u"   2 2026/12/10　  9:05:03ﾚﾍﾞﾙ1　   31秒 　   2 "_s));
    QVERIFY(run.screen->lines().at(1).endsWith(u"++ケモロ算数教室"_s));
    QVERIFY(!run.child<QPushButton>(u"Command2"_s)->isEnabled());
    QVERIFY(!run.child<QPushButton>(u"Command3"_s)->isEnabled());
    run.screen->openLine(1);
    QVERIFY(run.child<QWidget>(u"Picture3"_s)->isVisible());
    QCOMPARE(run.child<QLabel>(u"Label1"_s)->text(), u"2"_s);
    QCOMPARE(run.child<QLabel>(u"Label2(1)"_s)->text(), u"ﾚﾍﾞﾙ1"_s);
    QCOMPARE(run.child<QLabel>(u"Label2(2)"_s)->text(), u"2026/12/10"_s);
    QCOMPARE(run.child<QLineEdit>(u"Text1(1)"_s)->text(), u"31"_s);
    QCOMPARE(run.child<QScrollBar>(u"VScroll1"_s)->value(), 31);
    QVERIFY(run.child<QComboBox>(u"Combo1"_s)->currentText().startsWith(u"2 /  "_s));
    QVERIFY(run.child<QPushButton>(u"Command2"_s)->isEnabled());
    // Moving the adjuster writes the box; nothing reaches the file before "変更して記録".
    run.child<QScrollBar>(u"VScroll1"_s)->setValue(40);
    QCOMPARE(run.child<QLineEdit>(u"Text1(1)"_s)->text(), u"40"_s);
    QCOMPARE(run.records().at(1), testRecord(1));
}

void TestRecordScreen::linesShowWhole()
{
    // Enough lines for the vertical scroll bar, and the widest line there is
    // for this school: level 35 and a time-out.
    Run run(40);
    QVERIFY2(run.error.isEmpty(), qPrintable(run.error));
    QVERIFY(test::writeBytes(run.path(), test::readBytes(run.path()) +
                                             encodeRecord(drillRecord(stamp, 3, 35, 99999, u"12345"_s))));
    run.screen->rebuild();
    QCoreApplication::processEvents(); // the list lays out its lines
    auto *list = run.child<QListView>(u"List1"_s);
    QCOMPARE(QFontInfo(list->font()).family(), u"IPAGothic"_s);
    QVERIFY(list->verticalScrollBar()->isVisible());
    const QFontMetrics metrics(list->font());
    QString widest;
    for (const QString &line : run.screen->lines())
        if (metrics.horizontalAdvance(line) > metrics.horizontalAdvance(widest)) widest = line;
    QVERIFY(widest.contains(u"ﾚﾍﾞﾙ35"_s));
    const QString measured =
        u"%1 px, with its margins %2 px, in a viewport of %3 px"_s.arg(metrics.horizontalAdvance(widest))
            .arg(list->sizeHintForColumn(0))
            .arg(list->viewport()->width());
    QVERIFY2(list->sizeHintForColumn(0) <= list->viewport()->width(), qPrintable(measured));
    QCOMPARE(list->horizontalScrollBar()->maximum(), 0);
    QVERIFY(list->geometry().right() < run.screen->width());
}

void TestRecordScreen::editPanelCaptionsItsFields_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("caption");
    // clang-format off
    QTest::newRow("record number") << u"Label1"_s    << u"記録番号"_s;
    QTest::newRow("level")         << u"Label2(1)"_s << u"レベル"_s;
    QTest::newRow("date")          << u"Label2(2)"_s << u"日付"_s;
    QTest::newRow("time box")      << u"Text1(1)"_s  << u"タイム"_s;
    QTest::newRow("pupil box")     << u"Combo1"_s    << u"生徒"_s;
    QTest::newRow("grade")         << u"Label2(4)"_s << u"学年"_s;
    // clang-format on
}

void TestRecordScreen::editPanelCaptionsItsFields()
{
    QFETCH(QString, field);
    QFETCH(QString, caption);
    Run run(3);
    QVERIFY2(run.error.isEmpty(), qPrintable(run.error));
    auto *panel = run.child<QWidget>(u"Picture3"_s);
    auto *box = run.child<QWidget>(field);
    auto *label = run.child<QLabel>(field + u"Caption"_s);
    QVERIFY(box && label);
    QVERIFY(!label->isVisible());
    run.screen->openLine(1);
    QVERIFY(label->isVisible() && box->isVisible());
    QCOMPARE(label->text(), caption);
    QCOMPARE(label->buddy(), box);
    QCOMPARE(QFontInfo(label->font()).family(), u"IPAGothic"_s);
    QVERIFY(label->sizeHint().width() <= label->width() && label->sizeHint().height() <= label->height());
    QVERIFY(!label->geometry().intersects(box->geometry()));
    // The panel lies over the list only while the record is open.
    QVERIFY(panel->geometry().intersects(run.child<QWidget>(u"List1"_s)->geometry()));
    run.child<QListView>(u"List1"_s)->setCurrentIndex(run.child<QListView>(u"List1"_s)->model()->index(0, 0));
    QVERIFY(!panel->isVisible());
}

void TestRecordScreen::timeOutOpensAtTheEnd()
{
    Run run(2, 1);
    QVERIFY2(run.error.isEmpty(), qPrintable(run.error));
    run.screen->openLine(1);
    QCOMPARE(run.child<QScrollBar>(u"VScroll1"_s)->value(), 6000);
    QCOMPARE(run.child<QLineEdit>(u"Text1(1)"_s)->text(), u"99999"_s);
}

void TestRecordScreen::correction()
{
    Run run(4);
    QVERIFY2(run.error.isEmpty(), qPrintable(run.error));
    run.screen->openLine(2);
    run.child<QLineEdit>(u"Text1(1)"_s)->setText(u"13.5"_s);
    run.child<QComboBox>(u"Combo1"_s)->setEditText(u"9 /  誰か"_s);
    run.screen->correct();
    ResultRecord expected = testRecord(2);
    expected.resultTime = 14;
    expected.pupil = 9;
    QCOMPARE(run.records().at(2), expected);
    QCOMPARE(run.records().size(), 4);
    QCOMPARE(run.screen->selectedRow(), 2);
    QVERIFY(!run.child<QWidget>(u"Picture3"_s)->isVisible());
}

void TestRecordScreen::refusedInput_data()
{
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("pupil");
    QTest::addColumn<QString>("named");
    // clang-format off
    QTest::newRow("time not a number")   << u"abc"_s    << u"1 /  x"_s << u"Text1"_s;
    QTest::newRow("time too large")      << u"100000"_s << u"1 /  x"_s << u"Text1"_s;
    QTest::newRow("pupil without slash") << u"30"_s     << u"12"_s     << u"Combo1"_s;
    QTest::newRow("pupil past 5000")     << u"30"_s     << u"6000 / "_s << u"Combo1"_s;
    // clang-format on
}

void TestRecordScreen::refusedInput()
{
    QFETCH(QString, time);
    QFETCH(QString, pupil);
    QFETCH(QString, named);
    Run run(3);
    QVERIFY2(run.error.isEmpty(), qPrintable(run.error));
    const QByteArray before = test::readBytes(run.path());
    run.screen->openLine(0);
    run.child<QLineEdit>(u"Text1(1)"_s)->setText(time);
    run.child<QComboBox>(u"Combo1"_s)->setEditText(pupil);
    run.screen->correct();
    QCOMPARE(run.messages.shown.size(), 1);
    QVERIFY(run.messages.shown.first().text.contains(named));
    QCOMPARE(test::readBytes(run.path()), before);
}

void TestRecordScreen::deletion_data()
{
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<int>("selected");
    // clang-format off
    QTest::newRow("middle: the next record takes the selection") << 10 << 2 << true  << 2;
    QTest::newRow("last: the new last line")                     << 10 << 9 << true  << 8;
    QTest::newRow("only record: no selection")                   << 1  << 0 << true  << -1;
    QTest::newRow("cancelled: nothing changes")                  << 10 << 2 << false << -2;
    // clang-format on
}

void TestRecordScreen::deletion()
{
    QFETCH(int, records);
    QFETCH(int, row);
    QFETCH(bool, confirm);
    QFETCH(int, selected);
    Run run(records);
    QVERIFY2(run.error.isEmpty(), qPrintable(run.error));
    const QByteArray before = test::readBytes(run.path());
    run.screen->openLine(row);
    run.messages.answers.push_back(confirm ? Messages::Answer::Ok : Messages::Answer::Cancel);
    run.screen->remove();
    QCOMPARE(run.messages.shown.size(), 1);
    QCOMPARE(run.messages.shown.first().title, u"注意"_s);
    QCOMPARE(run.messages.shown.first().text, u"本当に消去しますか"_s);
    QCOMPARE(run.messages.shown.first().buttons, Messages::Buttons::OkCancel);
    if (!confirm) {
        QCOMPARE(test::readBytes(run.path()), before);
        QVERIFY(run.child<QWidget>(u"Picture3"_s)->isVisible());
        return;
    }
    QList<ResultRecord> expected;
    for (int i = 0; i < records; ++i)
        if (i != row) expected.append(testRecord(i));
    QCOMPARE(run.records(), expected);
    QCOMPARE(run.screen->lines().size(), records - 1);
    QCOMPARE(run.screen->selectedRow(), selected);
    QVERIFY(!run.child<QWidget>(u"Picture3"_s)->isVisible());
    QVERIFY(!QFile::exists(ResultStore(run.path()).journalPath()));
}

void TestRecordScreen::changedElsewhereWritesNothing()
{
    Run run(5);
    QVERIFY2(run.error.isEmpty(), qPrintable(run.error));
    run.screen->openLine(3);
    // Another computer deletes record 1 between the double-click and "消去".
    RecordEdit elsewhere;
    elsewhere.record = 0;
    elsewhere.expected = (encodeRecord(testRecord(0))).toStdString();
    RewriteOutcome outcome;
    QVERIFY(!ResultStore(run.path())
                 .rewrite(
                     elsewhere, [](int) { return true; }, outcome));
    const QByteArray afterElsewhere = test::readBytes(run.path());
    run.screen->remove();
    QCOMPARE(run.messages.shown.size(), 2);
    QVERIFY(run.messages.shown.last().text.contains(u"他のコンピュータ"_s));
    QCOMPARE(test::readBytes(run.path()), afterElsewhere);
    QCOMPARE(run.screen->lines().size(), 4);
    QCOMPARE(run.screen->selectedRow(), -1);
}

void TestRecordScreen::interruptedDeletionIsFinishedFirst()
{
    // A computer died while it moved records 2..5 down over record 1: the
    // file holds record 2 twice. The list shows the records as the deletion
    // leaves them, so no "duplicate" is there to delete.
    Run run(5);
    QVERIFY2(run.error.isEmpty(), qPrintable(run.error));
    const QByteArray before = test::readBytes(run.path());
    const QString journalPath = run.context.results().journalPath();
    QVERIFY(test::writeBytes(journalPath, test::interruptedDeletion(before)));
    QVERIFY(test::writeBytes(run.path(), before.mid(record::size, record::size) + before.mid(record::size)));
    run.screen->rebuild();
    QCOMPARE(run.screen->lines().size(), 4);
    QCOMPARE(test::readBytes(run.path()), before.mid(record::size));
    QVERIFY(!QFile::exists(journalPath));
    QCOMPARE(run.messages.shown.size(), 0);
}

void TestRecordScreen::journalOfAnotherFileIsKeptAndNamed()
{
    // The school restored the result file from a backup after such a crash.
    Run run(5);
    QVERIFY2(run.error.isEmpty(), qPrintable(run.error));
    const QByteArray restored = test::readBytes(run.path());
    const QString journalPath = run.context.results().journalPath();
    const QByteArray stale =
        test::interruptedDeletion(restored.left(3 * record::size) + encodeRecord(testRecord(7)));
    QVERIFY(test::writeBytes(journalPath, stale));
    run.screen->rebuild();
    QCOMPARE(run.screen->lines().size(), 5);
    QCOMPARE(test::readBytes(run.path()), restored);
    const QString aside = QFileInfo(journalPath).absolutePath() + u"/成績累積データtemp-別ファイル用1.dat"_s;
    QCOMPARE(test::readBytes(aside), stale);
    // The notice comes once the store is done, from the event loop.
    QCOMPARE(run.messages.shown.size(), 0);
    QCoreApplication::sendPostedEvents();
    QCOMPARE(run.messages.shown.size(), 1);
    const QString text = run.messages.shown.first().text;
    QVERIFY2(text.contains(QDir::toNativeSeparators(run.path())) &&
                 text.contains(QDir::toNativeSeparators(aside)),
             qPrintable(text));
}

QTEST_MAIN(TestRecordScreen)
#include "tst_recordscreen.moc"
