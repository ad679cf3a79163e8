#include "app/context.h"
#include "app/navigator.h"
#include "criteria/criteriaeditor.h"
#include "results/resultstore.h"
#include "state/startup.h"
#include "testsupport/fakes.h"
#include "testsupport/fixtures.h"
#include "testsupport/uifakes.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>
#include <QTableWidget>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace kemoro;

namespace {
struct Run
{
    test::TempInstallation install;
    test::FakeClock clock{QDateTime(QDate(2026, 12, 10), QTime(10, 0))};
    test::FakeRandom random;
    test::ScriptedMessages messages;
    test::FakeProgramStarter programs;
    AppContext context;
    std::unique_ptr<Navigator> navigator;
    std::unique_ptr<CriteriaEditor> editor;

    Run()
    {
        context.services = {&clock, &random, &messages, &programs};
        Diagnostics d;
        configure(context.session, install.programDir(), clock.today(), d);
        navigator = std::make_unique<Navigator>(context);
        editor = std::make_unique<CriteriaEditor>(context);
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
    void opensOnLevelOne();
    void arrowsStopAtTheEdges_data();
    void arrowsStopAtTheEdges();
    void typingAsksOnTheWayBack_data();
    void typingAsksOnTheWayBack();
    void saveWritesAndReloads();
    void cellCp932CannotHoldIsRefused();
};

void TestCriteriaEditor::opensOnLevelOne()
{
    Run run;
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
        qobject_cast<QStringListModel *>(run.editor->findChild<QListView *>(u"List3"_s)->model())->stringList();
    QCOMPARE(all.size(), 102);
    QVERIFY(all.first().startsWith(u"レベル1 今まで"_s));
    // Column 6 keeps its trailing line of two blanks.
    run.editor->clickCell(1, 6);
    QCOMPARE(run.editor->findChild<QLabel *>(u"Label3"_s)->text().split(u'\n').last(), u"  "_s);
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
    QVERIFY(run.editor->levelRows() >= 2);
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
    QVERIFY(run.navigator->hub());
}

void TestCriteriaEditor::saveWritesAndReloads()
{
    Run run;
    run.editor->clickCell(1, 1);
    run.box()->setText(u"25"_s);
    QVERIFY(run.editor->save());
    QVERIFY(!run.editor->changed());
    QCOMPARE(run.context.session.criteria[1].targetTime, 25);
    QCOMPARE(readCriteriaGrid(run.criteriaFile(), *std::make_unique<Diagnostics>()).at(1).at(1), u"25"_s);
    // Going back now asks nothing.
    run.editor->goBack();
    QVERIFY(run.messages.shown.isEmpty());
}

void TestCriteriaEditor::cellCp932CannotHoldIsRefused()
{
    Run run;
    const QByteArray before = test::readBytes(run.criteriaFile());
    run.editor->clickCell(2, 4);
    QTest::keyClicks(run.box(), u"a,\"b"_s); // the comma and the quote are refused as typed
    QVERIFY(run.editor->cellText(2, 4).endsWith(u"ab"_s));
    run.box()->setText(u"😀"_s);
    QVERIFY(!run.editor->save());
    QCOMPARE(run.messages.shown.size(), 1);
    QVERIFY(run.messages.shown.first().text.contains(u'2'));
    QVERIFY(run.messages.shown.first().text.contains(u'4'));
    QCOMPARE(test::readBytes(run.criteriaFile()), before);
    QVERIFY(run.editor->changed());
}

QTEST_MAIN(TestCriteriaEditor)
#include "tst_criteriaeditor.moc"
