#include "app/navigator.h"
#include "criteria/criteriaeditor.h"
#include "platform/cp932.h"
#include "platform/widgets.h"
#include "results/resultrecord.h"
#include "results/resultstore.h"
#include "state/context.h"
#include "state/startup.h"
#include "testsupport/fakes.h"
#include "testsupport/fixtures.h"
#include "testsupport/uifakes.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStringListModel>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace kemoro;

namespace {
// Three levels of criteria: the editor's rows 1 to 3.
test::Classroom classroom()
{
    return {.pupils = {{1, u"山田先生"_s, 20}},
            .criteria = QList<QStringList>(
                3, {u"30"_s, u"60"_s, u"100"_s, u"5"_s, u"1"_s, u"20"_s, u"300"_s, u"7"_s, u"1"_s})};
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
    std::unique_ptr<CriteriaEditor> editor;
    std::unique_ptr<QSignalSpy> back;

    QString error; // empty: the installation was written and configured without a problem

    // `criteria`: the criteria file the editor opens, when not the classroom's.
    explicit Run(const QString &criteria = QString())
    {
        context.services = {&clock, &random, &messages, &programs};
        Diagnostics d;
        if (!install.isValid())
            error = install.error();
        else if (!configure(context.session, install.programDir(), clock.today(), d) || !d.isEmpty())
            error = u"configure: "_s + (d.isEmpty() ? u"failed"_s : d.first().toLine());
        if (!criteria.isEmpty() && !test::writeCp932(criteriaFile(), criteria))
            error += u"cannot write "_s + criteriaFile();
        navigator = std::make_unique<Navigator>(context);
        editor = std::make_unique<CriteriaEditor>(context);
        back = std::make_unique<QSignalSpy>(editor.get(), &CriteriaEditor::back);
        editor->show();
        editor->activate();
    }
    QLineEdit *box() const { return editor->findChild<QLineEdit *>(u"Gridinputtext"_s); }
    QString criteriaFile() const { return context.session.folders.criteriaFile(); }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(box(), Qt::Key(key), modifiers);
    }
};
} // namespace

class TestCriteriaEditor : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { ui::installFontSubstitutions(); }
    void opensOnLevelOne();
    void columnTitlesShowWhole();
    void distributionHeadersShowWhole_data();
    void distributionHeadersShowWhole();
    void arrowsStopAtTheEdges_data();
    void arrowsStopAtTheEdges();
    void typingAsksOnTheWayBack_data();
    void typingAsksOnTheWayBack();
    void saveWritesAndReloads();
    void cellCp932CannotHoldIsRefused();
    void fullWidthNumbersAreStoredAsAscii();
    void textInANumericColumnRefusesTheSave();
    void linesTheGridCannotShowAreKept();
};

void TestCriteriaEditor::opensOnLevelOne()
{
    Run run;
    QVERIFY2(run.error.isEmpty(), qPrintable(run.error));
    auto *grid = run.editor->findChild<QTableWidget *>(u"MSFlexGrid1"_s);
    QCOMPARE(grid->columnCount(), 13);
    QCOMPARE(run.editor->cellText(0, 0), u"レベル"_s);
    QCOMPARE(run.editor->cellText(0, 9), u"禁期間"_s);
    QCOMPARE(grid->columnWidth(1), int(0.8 * grid->columnWidth(2)));
    QCOMPARE(run.editor->currentRow(), 1);
    QCOMPARE(run.box()->text(), run.editor->cellText(1, 1));
    QCOMPARE(run.editor->findChild<QLabel *>(u"Label3"_s)->text(),
             u"合格基準タイム\n　大部分の人ががんばったら出せそうなタイムにしてください"_s);
    QCOMPARE(run.editor->findChild<QLabel *>(u"Label8"_s)->text(), u"Just a moment,please."_s);
    const QStringList all =
        qobject_cast<QStringListModel *>(run.editor->findChild<QListView *>(u"List3"_s)->model())
            ->stringList();
    QCOMPARE(all.size(), 102);
    QVERIFY(all.first().startsWith(u"レベル1 今まで"_s));
    // Column 6 keeps its trailing line of two blanks.
    run.editor->clickCell(1, 6);
    QCOMPARE(run.editor->findChild<QLabel *>(u"Label3"_s)->text().split(u'\n').last(), u"  "_s);
}

namespace {
// The lines a view shows for its first row, and the room the style leaves
// around them.
QStringList shownLines(const QAbstractItemView *view, const QString &text)
{
    const auto *delegate = qobject_cast<const QStyledItemDelegate *>(view->itemDelegateForRow(0));
    return delegate ? delegate->displayText(text, QLocale()).split(QChar::LineSeparator) : QStringList{text};
}
int textMargin(const QWidget *view)
{
    return view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
}
} // namespace

void TestCriteriaEditor::columnTitlesShowWhole()
{
    Run run;
    QVERIFY2(run.error.isEmpty(), qPrintable(run.error));
    auto *grid = run.editor->findChild<QTableWidget *>(u"MSFlexGrid1"_s);
    QCOMPARE(QFontInfo(grid->font()).family(), u"IPAPGothic"_s);
    const QFontMetrics metrics(grid->font());
    for (int c = 0; c < grid->columnCount(); ++c) {
        const QString title = run.editor->cellText(0, c);
        const QStringList lines = shownLines(grid, title);
        QCOMPARE(lines.join(QString()), title);
        for (const QString &line : lines)
            QVERIFY2(metrics.horizontalAdvance(line) + 2 * textMargin(grid) <= grid->columnWidth(c),
                     qPrintable(u"%1: %2 px in a column of %3 px"_s.arg(line)
                                    .arg(metrics.horizontalAdvance(line))
                                    .arg(grid->columnWidth(c))));
        QVERIFY2(int(lines.size()) * metrics.height() <= grid->rowHeight(0), qPrintable(title));
    }
    // The file's short titles keep their meaning at hand.
    QCOMPARE(grid->item(0, 1)->toolTip(), u"合格基準タイム"_s);
}

void TestCriteriaEditor::distributionHeadersShowWhole_data()
{
    QTest::addColumn<int>("results");
    QTest::addColumn<QString>("allHeader");
    QTest::addColumn<QString>("bestHeader");
    // clang-format off
    QTest::newRow("no results")      << 0    << u"レベル1 今まで回  （★=1）"_s      << u"レベル1 （★=1）"_s;
    QTest::newRow("1200 in a bucket") << 1200 << u"レベル1 今まで1200回  （★=120）"_s << u"レベル1 （★=1）"_s;
    // clang-format on
}

void TestCriteriaEditor::distributionHeadersShowWhole()
{
    QFETCH(int, results);
    QFETCH(QString, allHeader);
    QFETCH(QString, bestHeader);
    Run run;
    QVERIFY2(run.error.isEmpty(), qPrintable(run.error));
    QByteArray bytes;
    for (int i = 0; i < results; ++i)
        bytes += encodeRecord(drillRecord(run.clock.now(), 1, 1, 35, u"12345"_s));
    QVERIFY(test::writeBytes(run.context.session.folders.resultFile(), bytes));
    run.editor->clickCell(1, 1);
    QCoreApplication::processEvents(); // the lists lay out their lines
    const QStringList headers = {allHeader, bestHeader};
    const QStringList lists = {u"List3"_s, u"List4"_s};
    for (int k = 0; k < 2; ++k) {
        auto *list = run.editor->findChild<QListView *>(lists.at(k));
        QCOMPARE(list->model()->index(0, 0).data().toString(), headers.at(k));
        QVERIFY(list->verticalScrollBar()->isVisible());
        const QFontMetrics metrics(list->font());
        const QStringList lines = shownLines(list, headers.at(k));
        QCOMPARE(lines.join(QString()), headers.at(k));
        for (const QString &line : lines)
            QVERIFY2(metrics.horizontalAdvance(line) + 2 * textMargin(list) <= list->viewport()->width(),
                     qPrintable(u"%1: %2 px in a list of %3 px"_s.arg(line)
                                    .arg(metrics.horizontalAdvance(line))
                                    .arg(list->viewport()->width())));
        QVERIFY(list->visualRect(list->model()->index(0, 0)).height() >=
                int(lines.size()) * metrics.height());
        QVERIFY(lines.last().startsWith(u"（★="_s));
    }
}

void TestCriteriaEditor::arrowsStopAtTheEdges_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("toRow");
    QTest::addColumn<int>("toColumn");
    // clang-format off
    QTest::newRow("left in column 1")    << 1 << 1  << int(Qt::Key_Left)  << 1 << 1;
    QTest::newRow("right in column 12")  << 1 << 12 << int(Qt::Key_Right) << 1 << 12;
    QTest::newRow("up in row 1")         << 1 << 3  << int(Qt::Key_Up)    << 1 << 3;
    QTest::newRow("down moves")          << 1 << 3  << int(Qt::Key_Down)  << 2 << 3;
    QTest::newRow("right moves")         << 2 << 11 << int(Qt::Key_Right) << 2 << 12;
    // clang-format on
}

void TestCriteriaEditor::arrowsStopAtTheEdges()
{
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(int, key);
    QFETCH(int, toRow);
    QFETCH(int, toColumn);
    Run run;
    QVERIFY2(run.error.isEmpty(), qPrintable(run.error));
    QCOMPARE(run.editor->levelRows(), 3);
    run.editor->clickCell(row, column);
    run.key(key);
    QCOMPARE(run.editor->currentRow(), toRow);
    QCOMPARE(run.editor->currentColumn(), toColumn);
    QCOMPARE(run.box()->text(), run.editor->cellText(toRow, toColumn));
    QVERIFY(!run.editor->changed());
}

void TestCriteriaEditor::typingAsksOnTheWayBack_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("a typed digit") << u"type"_s;
    QTest::newRow("space clears the cell") << u"space"_s;
    QTest::newRow("shift down copies") << u"copy"_s;
}

void TestCriteriaEditor::typingAsksOnTheWayBack()
{
    QFETCH(QString, how);
    Run run;
    QVERIFY2(run.error.isEmpty(), qPrintable(run.error));
    const QByteArray before = test::readBytes(run.criteriaFile());
    run.editor->clickCell(1, 3);
    if (how == u"type"_s) {
        QTest::keyClicks(run.box(), u"7"_s);
        QVERIFY(run.editor->cellText(1, 3).endsWith(u'7'));
        QVERIFY(run.editor->cellPainted(1, 3));
    } else if (how == u"space"_s) {
        run.key(Qt::Key_Space);
        QCOMPARE(run.editor->cellText(1, 3), QString());
        QCOMPARE(run.box()->text(), QString());
    } else {
        run.box()->setText(u"4321"_s); // typed into row 1
        run.editor->clickCell(1, 3);
        run.key(Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(run.editor->cellText(2, 3), u"4321"_s);
        QVERIFY(run.editor->cellPainted(2, 3));
    }
    QVERIFY(run.editor->changed());
    QPointer<CriteriaEditor> editor = run.editor.get();
    run.messages.answers.push_back(Messages::Answer::No);
    run.editor->findChild<QPushButton *>(u"Command4"_s)->click();
    QCOMPARE(run.messages.shown.size(), 1);
    QCOMPARE(run.messages.shown.first().title, u"注意"_s);
    QCOMPARE(run.messages.shown.first().text, u"データが変更されています。記録しますか？"_s);
    QCOMPARE(run.messages.shown.first().buttons, Messages::Buttons::YesNo);
    QCOMPARE(test::readBytes(run.criteriaFile()), before);
    QCOMPARE(run.back->size(), 1);
}

void TestCriteriaEditor::saveWritesAndReloads()
{
    Run run;
    QVERIFY2(run.error.isEmpty(), qPrintable(run.error));
    run.editor->clickCell(1, 1);
    run.box()->setText(u"25"_s);
    QVERIFY(run.editor->save());
    QVERIFY(!run.editor->changed());
    QCOMPARE(run.context.session.criteria[1].targetTime, 25);
    QCOMPARE(readCriteriaGrid(run.criteriaFile(), *std::make_unique<Diagnostics>()).at(1).at(1), u"25"_s);
    // Going back now asks nothing.
    run.editor->goBack();
    QVERIFY(run.messages.shown.isEmpty());
    QCOMPARE(run.back->size(), 1);
}

void TestCriteriaEditor::cellCp932CannotHoldIsRefused()
{
    Run run;
    QVERIFY2(run.error.isEmpty(), qPrintable(run.error));
    const QByteArray before = test::readBytes(run.criteriaFile());
    run.editor->clickCell(2, 10);
    QTest::keyClicks(run.box(), u"a,\"b"_s); // the comma and the quote are refused as typed
    QVERIFY(run.editor->cellText(2, 10).endsWith(u"ab"_s));
    run.box()->setText(u"😀"_s);
    QVERIFY(!run.editor->save());
    QCOMPARE(run.messages.shown.size(), 1);
    QVERIFY(run.messages.shown.first().text.contains(u"row 2 column 10"_s));
    QCOMPARE(test::readBytes(run.criteriaFile()), before);
    QVERIFY(run.editor->changed());
}

void TestCriteriaEditor::fullWidthNumbersAreStoredAsAscii()
{
    Run run;
    QVERIFY2(run.error.isEmpty(), qPrintable(run.error));
    run.editor->clickCell(1, 1);
    run.box()->setText(u"３０"_s); // typed with the Japanese input method on
    run.editor->clickCell(1, 2);
    run.box()->setText(u"１２０"_s);
    QVERIFY(run.editor->save());
    QCOMPARE(run.editor->cellText(1, 1), u"30"_s);
    QCOMPARE(run.editor->cellText(1, 2), u"120"_s);
    QCOMPARE(run.box()->text(), u"120"_s);
    QCOMPARE(run.context.session.criteria[1].targetTime, 30);
    QCOMPARE(run.context.session.criteria[1].minTime, 120);
    QVERIFY(test::readBytes(run.criteriaFile()).contains("\r\n30,120,"));
}

void TestCriteriaEditor::textInANumericColumnRefusesTheSave()
{
    Run run;
    QVERIFY2(run.error.isEmpty(), qPrintable(run.error));
    const QByteArray before = test::readBytes(run.criteriaFile());
    run.editor->clickCell(3, 2);
    run.box()->setText(u"６０秒"_s);
    QPointer<CriteriaEditor> editor = run.editor.get();
    // "戻る", "記録しますか？" Yes: the refused save keeps the editor open.
    run.messages.answers.push_back(Messages::Answer::Yes);
    run.editor->findChild<QPushButton *>(u"Command4"_s)->click();
    QCOMPARE(run.messages.shown.size(), 2);
    const QString refusal = run.messages.shown.at(1).text;
    QVERIFY2(refusal.contains(u"レベル3の「合格最低ラインタイム」"_s), qPrintable(refusal));
    QVERIFY(refusal.contains(u"６０秒"_s));
    QVERIFY(editor && editor->isVisible());
    QCOMPARE(run.back->size(), 0);
    QCOMPARE(run.editor->cellText(3, 2), u"６０秒"_s);
    QVERIFY(run.editor->changed());
    QCOMPARE(test::readBytes(run.criteriaFile()), before);
}

void TestCriteriaEditor::linesTheGridCannotShowAreKept()
{
    QString text = u"目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,\r\n"_s;
    for (int i = 1; i <= 36; ++i)
        text += u"%1,60,100,5,1,20,300,7,1,,,\r\n"_s.arg(i + 10);
    text += u"メモ,来年見直す\r\n"_s;
    Run run(text);
    QVERIFY2(run.error.isEmpty(), qPrintable(run.error));
    QCOMPARE(run.editor->levelRows(), 35);
    QCOMPARE(run.messages.shown.size(), 1);
    QVERIFY2(run.messages.shown.first().text.contains(u"line 37"_s),
             qPrintable(run.messages.shown.first().text));
    QVERIFY(run.messages.shown.first().text.contains(u"保存するときはそのまま残します"_s));
    run.editor->clickCell(1, 1);
    run.box()->setText(u"12"_s);
    QVERIFY(run.editor->save());
    text.replace(u"\r\n11,"_s, u"\r\n12,"_s);
    QCOMPARE(test::readBytes(run.criteriaFile()), cp932::encode(text).value());
}

QTEST_MAIN(TestCriteriaEditor)
#include "tst_criteriaeditor.moc"
