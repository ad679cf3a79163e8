#include "app/navigator.h"
#include "hub/hubscreen.h"
#include "hub/reportwindow.h"
#include "platform/printer.h"
#include "platform/widgets.h"
#include "results/resultrecord.h"
#include "results/resultstore.h"
#include "roster/grades.h"
#include "roster/roster.h"
#include "state/context.h"
#include "state/startup.h"
#include "testsupport/fakes.h"
#include "testsupport/fixtures.h"
#include "testsupport/hubrun.h"
#include "testsupport/uifakes.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringListModel>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace kemoro;

namespace {

QStringList lines(QListView *list)
{
    return static_cast<QStringListModel *>(list->model())->stringList();
}

// The hub shown, its personal view chosen and "グラフ" pressed: the report window.
ReportWindow *openReport(HubScreen &hub)
{
    hub.show();
    hub.activate();
    QTest::mouseClick(test::child<QRadioButton>(&hub, u"Option2(2)"_s), Qt::LeftButton);
    QTest::mouseClick(test::child<QPushButton>(&hub, u"Command17"_s), Qt::LeftButton);
    return test::child<ReportWindow>(&hub, u"Picture11"_s);
}

// Dark pixels of the picture between two parts of its height.
int inkIn(const QImage &image, double from, double to)
{
    int ink = 0;
    for (int y = int(from * image.height()); y < int(to * image.height()); ++y)
        for (int x = 0; x < image.width(); ++x)
            ink += qGray(image.pixel(x, y)) < 160;
    return ink;
}

// Printers the test chooses; jobs and the PDF go through the real PDF surface.
class FakePrinters final : public PrinterService
{
public:
    QStringList printers;
    QString answer;
    int asked = 0;
    int jobs = 0;
    QString suggested;

    QStringList printerNames() const override { return printers; }
    QString defaultPrinterName() const override { return printers.value(0); }
    std::unique_ptr<PrintSurface> startJob(const QString &, const QString &, QString &error) override
    {
        ++jobs;
        error = u"offline"_s;
        return nullptr;
    }
    std::unique_ptr<PrintSurface> startPdf(const QString &path, const QString &name, QString &error) override
    {
        return QtPrinterService().startPdf(path, name, error);
    }
    QString askPdfFileName(QWidget *, const QString &suggestedPath) override
    {
        ++asked;
        suggested = suggestedPath;
        return answer;
    }
};

void selectPupils(QListView *list, const QList<int> &pupils)
{
    const QStringList all = lines(list);
    for (int p : pupils)
        for (int row = 0; row < all.size(); ++row)
            if (all.at(row).endsWith(u'/' + QString::number(p)))
                list->selectionModel()->select(list->model()->index(row, 0), QItemSelectionModel::Select);
}

constexpr int teacher = 30;

// Pupils 3, 5 and 8 and a teacher on the lists; two pupils whose status keeps
// them off.
test::Classroom classroom()
{
    return {.pupils = {{3, u"上田　ゆい"_s, 1},
                       {5, u"大野　ひな"_s, 2},
                       {8, u"工藤　ゆうと"_s, 3},
                       {16, u"中村　いつき"_s, 4, 2},
                       {20, u"林　そうすけ"_s, 5, 1},
                       {teacher, u"山田先生"_s, 20}}};
}
constexpr int listedPupils = 4; // status 0
} // namespace

class TestReportWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { ui::installFontSubstitutions(); }
    void opensOverThePersonalView();
    void otherPupils();
    void followsTheKeyboard();
    void teacherPrintsIntoOnePdf();
    void noLevelPrintsNothing();
    void failingPrinterIsNamed();
    void missingRoster();
};

void TestReportWindow::opensOverThePersonalView()
{
    test::HubRun run(classroom(), 8, 4);
    QVERIFY2(run.isValid(), qPrintable(run.error()));
    for (int level = 1; level <= 3; ++level)
        for (int k = 0; k < 6; ++k)
            run.append(8, level, 40 - 3 * k, 6 - k);
    run.append(3, 1, 12, 0);
    HubScreen hub(run.context);
    hub.show();
    hub.activate();
    auto *report = test::child<ReportWindow>(&hub, u"Picture11"_s);
    QVERIFY(!report->isVisible());

    QTest::mouseClick(test::child<QRadioButton>(&hub, u"Option2(2)"_s), Qt::LeftButton);
    auto *graph = test::child<QPushButton>(&hub, u"Command17"_s);
    QVERIFY(graph->isVisible());
    QVERIFY(!test::child<QPushButton>(&hub, u"Command20"_s)->isVisible());
    QTest::mouseClick(graph, Qt::LeftButton);
    QVERIFY(report->isVisible());
    QCOMPARE(report->pos(), QPoint(ui::px(120), ui::px(1740)));
    QCOMPARE(report->reportPupil(), 8);
    auto *levels = test::child<QListView>(report, u"List3"_s);
    QCOMPARE(lines(levels), (QStringList{u"1"_s, u"2"_s, u"3"_s, u"4"_s}));
    QCOMPARE(levels->selectionModel()->selectedRows().size(), 3);
    QVERIFY(!test::child<QListView>(report, u"List2"_s)->isVisible());
    QVERIFY(test::child<QPushButton>(report, u"Command25"_s)->isVisible());
    QVERIFY(!test::child<QPushButton>(report, u"Command24(1)"_s)->isVisible()); // pupils do not print
    QCOMPARE(test::child<QLabel>(report, u"Label27"_s)->text(), u"ﾚﾍﾞﾙ"_s);

    const QImage picture = report->picture();
    for (int b = 0; b < 3; ++b)
        QVERIFY2(inkIn(picture, 0.06 + 0.3 * b, 0.34 + 0.3 * b) > 100, qPrintable(QString::number(b)));
    // Level 3 was ranked last: pupil 8 is the only one with a time there.
    QCOMPARE(lines(test::child<QListView>(report, u"List4(1)"_s)).first().left(4), u"  1●"_s);
    QCOMPARE(report->levelRanks(1).timeRank, 2); // pupil 3 was faster on level 1
    QVERIFY(report->levelRanks(1).points > 0);

    QTest::mouseClick(test::child<QRadioButton>(&hub, u"Option2(1)"_s), Qt::LeftButton);
    QVERIFY(!report->isVisible());
}

void TestReportWindow::otherPupils()
{
    test::HubRun run(classroom(), 8);
    QVERIFY2(run.isValid(), qPrintable(run.error()));
    run.append(8, 1, 30, 1);
    run.append(3, 1, 20, 1);
    HubScreen hub(run.context);
    ReportWindow *report = openReport(hub);
    QCOMPARE(test::child<QListView>(report, u"List3"_s)->selectionModel()->selectedRows().size(), 1);

    QTest::mouseClick(test::child<QPushButton>(report, u"Command25"_s), Qt::LeftButton);
    auto *pupils = test::child<QListView>(report, u"List2"_s);
    QVERIFY(pupils->isVisible());
    QVERIFY(!test::child<QPushButton>(report, u"Command25"_s)->isVisible());
    const QStringList all = lines(pupils);
    QCOMPARE(all.size(), listedPupils);
    QVERIFY(all.contains(u"小３ /  工藤　ゆうと/8"_s));

    selectPupils(pupils, {3, 8});
    QTest::mouseClick(test::child<QPushButton>(report, u"Command24(0)"_s), Qt::LeftButton);
    // Drawn top to bottom: the lower line's pupil stays the report pupil.
    auto rowOf = [&](int p) {
        for (int row = 0; row < all.size(); ++row)
            if (all.at(row).endsWith(u'/' + QString::number(p))) return row;
        return -1;
    };
    const int lower = rowOf(8) > rowOf(3) ? 8 : 3;
    QCOMPARE(report->reportPupil(), lower);

    pupils->clearSelection();
    QTest::mouseClick(test::child<QPushButton>(report, u"Command24(0)"_s), Qt::LeftButton);
    QCOMPARE(report->reportPupil(), lower);
    QTest::mouseClick(test::child<QPushButton>(report, u"Command18"_s), Qt::LeftButton);
    QVERIFY(!report->isVisible());
}

void TestReportWindow::teacherPrintsIntoOnePdf()
{
    test::HubRun run(classroom(), teacher, 3);
    QVERIFY2(run.isValid(), qPrintable(run.error()));
    run.append(8, 1, 30, 1);
    HubScreen hub(run.context);
    ReportWindow *report = openReport(hub);
    FakePrinters printers;
    printers.answer = run.install.root() + u"/report.pdf"_s;
    run.context.services.printers = &printers;
    auto *print = test::child<QPushButton>(report, u"Command24(1)"_s);
    QVERIFY(print->isVisible());

    QTest::mouseClick(test::child<QPushButton>(report, u"Command25"_s), Qt::LeftButton);
    selectPupils(test::child<QListView>(report, u"List2"_s), {3, 5, 8});
    run.messages.shown.clear();
    QTest::mouseClick(print, Qt::LeftButton);
    QCOMPARE(printers.asked, 1);
    QVERIFY(QFile::exists(printers.answer));
    // Said first, then proposed after the first pupil in the list, then confirmed.
    const QStringList all = lines(test::child<QListView>(report, u"List2"_s));
    const auto first = std::find_if(all.begin(), all.end(), [](const QString &line) {
        return line.endsWith(u"/3"_s) || line.endsWith(u"/5"_s) || line.endsWith(u"/8"_s);
    });
    const QString firstName = first->section(u"/  "_s, 1).section(u'/', 0, 0);
    QCOMPARE(printers.suggested, QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                                     .filePath(firstName + u"ほか2名 2026-12-10.pdf"_s));
    QCOMPARE(run.messages.shown.size(), 2);
    QVERIFY(run.messages.shown.first().text.contains(u"プリンターが見つからない"_s));
    QVERIFY(run.messages.shown.last().text.contains(printers.answer));
    if (QStandardPaths::findExecutable(u"pdfinfo"_s).isEmpty())
        QSKIP("pdfinfo (poppler-utils) is not installed");
    QProcess info;
    info.start(u"pdfinfo"_s, {printers.answer});
    QVERIFY(info.waitForFinished());
    QVERIFY(
        QString::fromUtf8(info.readAllStandardOutput()).contains(QRegularExpression(u"Pages:\\s+3\\n"_s)));
}

// The arrow keys choose levels and pupils as clicks do, and the report follows.
void TestReportWindow::followsTheKeyboard()
{
    test::HubRun run(classroom(), 8, 4);
    QVERIFY2(run.isValid(), qPrintable(run.error()));
    for (int level = 1; level <= 3; ++level)
        run.append(8, level, 40, 1);
    run.append(3, 2, 12, 0); // faster than pupil 8 on level 2 only
    HubScreen hub(run.context);
    ReportWindow *report = openReport(hub);
    auto *levels = test::child<QListView>(report, u"List3"_s);
    QCOMPARE(levels->selectionModel()->selectedRows().size(), 3);
    // Level 3 was ranked last: pupil 8 leads its time ranking.
    QVERIFY(lines(test::child<QListView>(report, u"List4(1)"_s)).first().contains(u"●"_s));

    levels->setFocus();
    levels->selectionModel()->setCurrentIndex(levels->model()->index(0, 0), QItemSelectionModel::NoUpdate);
    QTest::keyClick(levels, Qt::Key_Down);
    QCOMPARE(levels->selectionModel()->selectedRows().size(), 1);
    // Only level 2 is drawn now: one block, and its ranking with pupil 3 first.
    const QStringList timeLines = lines(test::child<QListView>(report, u"List4(1)"_s));
    QVERIFY(!timeLines.first().contains(u"●"_s));
    QVERIFY(timeLines.at(1).contains(u"●"_s));
    QVERIFY(inkIn(report->picture(), 0.06, 0.34) > 100);
    QCOMPARE(inkIn(report->picture(), 0.36, 0.94), 0);

    QTest::mouseClick(test::child<QPushButton>(report, u"Command25"_s), Qt::LeftButton);
    auto *pupils = test::child<QListView>(report, u"List2"_s);
    pupils->setFocus();
    pupils->selectionModel()->setCurrentIndex(pupils->model()->index(0, 0), QItemSelectionModel::NoUpdate);
    QTest::keyClick(pupils, Qt::Key_Down);
    QCOMPARE(pupils->selectionModel()->selectedRows().size(), 1);
    QCOMPARE(report->reportPupil(), report::pupilOfLine(lines(pupils).at(1)));
}

// Without a level there is nothing to print: the window says so, and no
// printer or PDF is asked for.
void TestReportWindow::noLevelPrintsNothing()
{
    test::HubRun run(classroom(), teacher, 3);
    QVERIFY2(run.isValid(), qPrintable(run.error()));
    HubScreen hub(run.context);
    ReportWindow *report = openReport(hub);
    FakePrinters printers;
    printers.printers = {u"職員室"_s};
    run.context.services.printers = &printers;
    test::child<QListView>(report, u"List3"_s)->clearSelection();
    QVERIFY(test::child<QLabel>(report, u"noLevelNotice"_s)->isVisible());
    run.messages.shown.clear();
    QTest::mouseClick(test::child<QPushButton>(report, u"Command24(1)"_s), Qt::LeftButton);
    QCOMPARE(printers.jobs, 0);
    QCOMPARE(printers.asked, 0);
    QCOMPARE(run.messages.shown.size(), 1);
    QCOMPARE(run.messages.shown.first().text, u"レベルが一つも選ばれていないので、印刷できません。"_s);
}

void TestReportWindow::failingPrinterIsNamed()
{
    test::HubRun run(classroom(), teacher);
    QVERIFY2(run.isValid(), qPrintable(run.error()));
    HubScreen hub(run.context);
    ReportWindow *report = openReport(hub);
    FakePrinters printers;
    printers.printers = {u"職員室"_s};
    run.context.services.printers = &printers;
    run.messages.shown.clear();
    QTest::mouseClick(test::child<QPushButton>(report, u"Command24(1)"_s), Qt::LeftButton);
    QCOMPARE(printers.jobs, 1);
    QCOMPARE(run.messages.shown.size(), 1);
    QVERIFY(run.messages.shown.first().text.contains(u"職員室"_s));
}

void TestReportWindow::missingRoster()
{
    test::HubRun run(classroom(), 8);
    QVERIFY2(run.isValid(), qPrintable(run.error()));
    run.append(8, 1, 30, 1);
    HubScreen hub(run.context);
    hub.show();
    hub.activate();
    QVERIFY(QFile::remove(run.context.session.folders.rosterFile()));
    run.messages.shown.clear();
    QTest::mouseClick(test::child<QRadioButton>(&hub, u"Option2(2)"_s), Qt::LeftButton);
    QCOMPARE(run.messages.shown.size(), 1);
    QVERIFY(run.messages.shown.first().text.contains(u"新名簿.txt"_s));
    QTest::mouseClick(test::child<QPushButton>(&hub, u"Command17"_s), Qt::LeftButton);
    auto *report = test::child<ReportWindow>(&hub, u"Picture11"_s);
    QVERIFY(lines(test::child<QListView>(report, u"List2"_s)).isEmpty());
    QVERIFY(inkIn(report->picture(), 0.06, 0.34) > 100);
}

QTEST_MAIN(TestReportWindow)
#include "tst_reportwindow.moc"
