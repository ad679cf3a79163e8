#include "app/navigator.h"
#include "platform/paths.h"
#include "platform/printer.h"
#include "platform/widgets.h"
#include "print/frmprint.h"
#include "print/printselection.h"
#include "state/context.h"

#include "testsupport/fakes.h"
#include "testsupport/fixtures.h"
#include "testsupport/uifakes.h"

#include "ink.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace kemoro;
using namespace kemoro::print;
using kemoro::test::ruleRows;

namespace {
// No printer installed: every job goes into the PDF file the user names.
class NoPrinters final : public PrinterService
{
public:
    QString answer;
    int asked = 0;
    QString suggested;
    QStringList printerNames() const override { return {}; }
    QString defaultPrinterName() const override { return {}; }
    std::unique_ptr<PrintSurface> startJob(const QString &, const QString &, QString &error) override
    {
        error = u"no printer"_s;
        return nullptr;
    }
    std::unique_ptr<PrintSurface> startPdf(const QString &path, const QString &name, QString &error) override
    {
        m_real.setLandscape(landscape());
        return m_real.startPdf(path, name, error);
    }
    QString askPdfFileName(QWidget *, const QString &suggestedPath) override
    {
        ++asked;
        suggested = suggestedPath;
        return answer;
    }

private:
    QtPrinterService m_real;
};

// One printer that refuses every job.
class BrokenPrinter final : public PrinterService
{
public:
    QStringList printerNames() const override { return {u"職員室のプリンター"_s}; }
    QString defaultPrinterName() const override { return printerNames().first(); }
    std::unique_ptr<PrintSurface> startJob(const QString &, const QString &, QString &error) override
    {
        error = u"用紙がありません。"_s;
        return nullptr;
    }
    std::unique_ptr<PrintSurface> startPdf(const QString &, const QString &, QString &) override
    {
        return nullptr;
    }
    QString askPdfFileName(QWidget *, const QString &) override { return {}; }
};

QList<QImage> rasterise(const QString &pdf, int dpi)
{
    QTemporaryDir dir;
    QProcess::execute(u"pdftoppm"_s,
                      {u"-gray"_s, u"-r"_s, QString::number(dpi), pdf, dir.filePath(u"page"_s)});
    QList<QImage> pages;
    const QStringList files = QDir(dir.path()).entryList({u"page*"_s}, QDir::Files, QDir::Name);
    for (const QString &f : files)
        pages.append(QImage(dir.filePath(f)).convertToFormat(QImage::Format_Grayscale8));
    return pages;
}

const QString questions = u"1,さる,も,木から落ちる,,,,,\r\n"
                          u"1,犬も,歩けば,棒に当たる,,,,,\r\n"
                          u"2,石の,上にも,三年,,,,,\r\n"
                          u"1,七かける八は,五十六,しち・は・ごじゅうろく,,,,,\r\n"_s;

// Counts the draws: a build of the table in a new order draws the same
// number each time for the same levels.
struct CountingRandom final : RandomSource
{
    int draws = 0;
    double next() override
    {
        ++draws;
        return 0.3;
    }
};

struct Desk
{
    QTemporaryDir dir;
    AppContext context;
    test::FakeRandom random{{}, 0.3};
    test::FakeClock clock{QDateTime(QDate(2026, 12, 11), QTime(8, 30))};
    test::ScriptedMessages messages;
    NoPrinters printers;

    explicit Desk(bool withFile = true)
    {
        context.session.folders.programDir = dir.path() + u"/"_s;
        context.services.random = &random;
        context.services.clock = &clock;
        context.services.messages = &messages;
        context.services.printers = &printers;
        printers.answer = dir.filePath(u"sheet.pdf"_s);
        if (withFile) test::writeCp932(context.session.folders.worksheetFile(), questions);
        navigator = std::make_unique<Navigator>(context);
    }
    ~Desk()
    {
        delete selection();
        navigator.reset();
    }

    // "印刷設定" as the teacher panel opens it: loaded, with its preview
    // opened by the navigator on request.
    PrintSelection &openSelection()
    {
        navigator->showPrintSelection(nullptr);
        return *selection();
    }
    PrintSelection *selection() const { return test::openScreen<PrintSelection>(); }
    FrmPrint *preview() const { return test::openScreen<FrmPrint>(); }

    std::unique_ptr<Navigator> navigator;
};
} // namespace

class TestPrintScreens : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { ui::installFontSubstitutions(); }

    void cellFitsOnTheRealLayout_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("cellWidth");
        QTest::addColumn<int>("size");
        // clang-format off
        QTest::newRow("one line on A4 portrait: 20")  << u"木から落ちる"_s      << 0.3  << 20;
        QTest::newRow("two lines: (2 + 1) x 25 x 13")  << QString(12, u'あ')      << 0.19 << 13;
        QTest::newRow("2000 characters: 1")            << QString(2000, u'語')    << 0.19 << 1;
        // clang-format on
    }
    void cellFitsOnTheRealLayout()
    {
        QFETCH(QString, text);
        QFETCH(double, cellWidth);
        QFETCH(int, size);
        ImageSurface surface(PrintEngine::previewBoxSize(true).toSize() / 15);
        PrintEngine engine;
        engine.initialise(surface, PrintEngine::Output::Preview, true);
        engine.rowPitch = 0.06;
        engine.cellWidth = cellWidth;
        engine.cellText(text);
        QCOMPARE(engine.cellFontSize, size);
    }

    void documentsOnA4_data()
    {
        QTest::addColumn<int>("docType");
        QTest::addColumn<QList<double>>("rules"); // page units of the full-width rules
        QList<double> table;
        for (int y = 300; y <= 9300; y += 600)
            table.append(y);
        table.append(9900);
        // clang-format off
        QTest::newRow("question table: 17 rules")                       << int(PrintJob::QuestionTable) << table;
        QTest::newRow("hundred sheet: frame, rows, bottom and the foot") << int(PrintJob::HundredSheet)
            << (QList<double>{1, 500} + table.mid(1) + QList<double>{10000});
        // clang-format on
    }
    void documentsOnA4()
    {
        if (QStandardPaths::findExecutable(u"pdftoppm"_s).isEmpty())
            QSKIP("pdftoppm (poppler-utils) is not installed");
        QFETCH(int, docType);
        QFETCH(QList<double>, rules);
        Desk desk;
        PrintSelection &selection = desk.openSelection();
        selection.openPreview(docType);
        FrmPrint *preview = desk.preview();
        QVERIFY(preview);
        preview->findChild<QPushButton *>(u"Command9"_s)->click();
        QCOMPARE(desk.printers.asked, 1);
        QCOMPARE(desk.messages.shown.size(), 2); // no printer; saved

        constexpr int dpi = 150;
        const QList<QImage> pages = rasterise(desk.printers.answer, dpi);
        QCOMPARE(pages.size(), 1);
        const QImage &page = pages.first();
        // A4 at 150 dpi.
        QVERIFY(std::abs(page.height() - 1754) <= 2);
        const QList<double> found = ruleRows(page);
        QCOMPARE(found.size(), rules.size());
        // The page as designed starts 0.5 % of 94.34 % of the width (1 mm) from
        // the paper's left edge; the PDF's margins are 6.35 mm, so the page is
        // shrunk about its centre until its left rule (and the pen of its
        // frames, 6 dots at 600 dpi) lies on the margin.
        const QSizeF a4(11906, 16838);
        const double w = PrintEngine::printScale * 1.06 * a4.width();
        const double h = PrintEngine::printScale * 1.05 * a4.height();
        const double pen = 6 * 1440.0 / 600;
        const double scale =
            fitScale(a4, QRectF(360, 360, a4.width() - 720, a4.height() - 720),
                     QRectF(QPointF(0.005 * w, 0), QPointF(1.005 * w, h)).adjusted(-pen, -pen, pen, pen));
        QVERIFY(scale < 0.95);
        const QRect ink = test::inkBox(page);
        QVERIFY2(std::abs(ink.left() - 360.0 / 1440 * dpi) <= 2, qPrintable(QString::number(ink.left())));
        for (int i = 0; i < rules.size(); ++i) {
            const double onPage = h * rules[i] / 10000;
            const double expected = (a4.height() / 2 + scale * (onPage - a4.height() / 2)) / 1440 * dpi;
            QVERIFY2(std::abs(found[i] - expected) <= 2,
                     qPrintable(u"rule %1 at %2, expected %3"_s.arg(i).arg(found[i]).arg(expected)));
        }
        // After printing the preview shows the document again.
        QCOMPARE(preview->engine().output(), PrintEngine::Output::Preview);
        QVERIFY(ruleRows(preview->preview().convertToFormat(QImage::Format_Grayscale8)).size() >= 16);
    }

    void selectionScreen()
    {
        Desk desk;
        PrintSelection &selection = desk.openSelection();
        auto *levels = selection.findChild<QListWidget *>(u"List1"_s);
        QCOMPARE(levels->count(), 8);
        QCOMPARE(levels->item(0)->text(), u"1"_s);
        QCOMPARE(levels->selectedItems().size(), 1);
        QVERIFY(selection.findChild<QRadioButton *>(u"Option1(1)"_s)->isChecked());
        QVERIFY(selection.findChild<QCheckBox *>(u"Check1"_s)->isChecked());
        QCOMPARE(selection.desk().sheet.loaded, 3);
        QCOMPARE(selection.desk().sheet.cols, 4);

        // The option already chosen rebuilds too, and a new option re-blanks.
        desk.random.push(0.0);
        selection.findChild<QRadioButton *>(u"Option1(2)"_s)->click();
        QCOMPARE(selection.desk().sheet.cols, 5);

        // "百問計算" stays the document through later rebuilds.
        selection.findChild<QPushButton *>(u"Command4"_s)->click();
        QVERIFY(desk.preview());
        QCOMPARE(selection.desk().job.docType, int(PrintJob::HundredSheet));
        const int draws = desk.preview()->drawCount();
        selection.findChild<QPushButton *>(u"Command3"_s)->click();
        QCOMPARE(selection.desk().job.docType, int(PrintJob::HundredSheet));
        selection.findChild<QPushButton *>(u"Command1"_s)->click();
        QCOMPARE(selection.desk().job.docType, int(PrintJob::QuestionTable));
        QVERIFY(desk.preview()->drawCount() > draws);

        // No level selected: only the numbers are left.
        levels->clearSelection();
        selection.rebuild();
        QCOMPARE(selection.desk().sheet.loaded, 0);
        QCOMPARE(selection.desk().sheet.cell(1, 1), u"①"_s);
        QVERIFY(selection.desk().sheet.cell(1, 2).isEmpty());
    }

    // The arrow keys (and Shift with them) choose the levels as a click does:
    // the table follows every change, and printing prints what was chosen.
    void levelsFollowTheKeyboard()
    {
        if (QStandardPaths::findExecutable(u"pdftotext"_s).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        Desk desk;
        PrintSelection &selection = desk.openSelection();
        auto *levels = selection.findChild<QListWidget *>(u"List1"_s);
        selection.findChild<QCheckBox *>(u"Check1"_s)->click(); // in file order
        QCOMPARE(selection.desk().sheet.loaded, 3);
        levels->setFocus();
        QTest::keyClick(levels, Qt::Key_Down);
        QCOMPARE(levels->selectedItems().size(), 1);
        QCOMPARE(levels->selectedItems().first()->text(), u"2"_s);
        QCOMPARE(selection.desk().sheet.loaded, 1);
        QCOMPARE(selection.desk().sheet.cell(1, 2), u"石の"_s);

        selection.findChild<QPushButton *>(u"Command1"_s)->click();
        desk.preview()->findChild<QPushButton *>(u"Command9"_s)->click();
        QProcess text;
        text.start(u"pdftotext"_s, {desk.printers.answer, u"-"_s});
        QVERIFY(text.waitForFinished());
        const QString printed = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY2(printed.contains(u"石の"_s) && !printed.contains(u"さる"_s), qPrintable(printed));

        QTest::keyClick(levels, Qt::Key_Up, Qt::ShiftModifier);
        QCOMPARE(levels->selectedItems().size(), 2);
        QCOMPARE(selection.desk().sheet.loaded, 4);
    }

    // A click builds the table once: a click on another level through the
    // selection's change alone, a click on the level already chosen (which
    // changes nothing) as a new order.
    void aClickBuildsTheTableOnce()
    {
        Desk desk;
        PrintSelection &selection = desk.openSelection();
        auto *levels = selection.findChild<QListWidget *>(u"List1"_s);
        CountingRandom counting;
        desk.context.services.random = &counting;
        const auto click = [&](int row) {
            QTest::mouseClick(levels->viewport(), Qt::LeftButton, {},
                              levels->visualItemRect(levels->item(row)).center());
        };
        selection.rebuild();
        const int perBuild = counting.draws;
        QVERIFY(perBuild > 0);

        counting.draws = 0;
        click(0);
        QCOMPARE(counting.draws, perBuild);

        click(1);
        QCOMPARE(levels->selectedItems().first()->text(), u"2"_s);
        counting.draws = 0;
        click(0);
        QCOMPARE(levels->selectedItems().first()->text(), u"1"_s);
        QCOMPARE(counting.draws, perBuild);
    }

    void pdfWithoutPrinter_data()
    {
        QTest::addColumn<QString>("answer"); // the name given in the dialog
        QTest::addColumn<QString>("saved");
        // clang-format off
        QTest::newRow("a name ending in .pdf")     << u"sheet.pdf"_s << u"sheet.pdf"_s;
        QTest::newRow("a name without: .pdf added") << u"sheet"_s     << u"sheet.pdf"_s;
        QTest::newRow("cancel: nothing more")       << QString()      << QString();
        // clang-format on
    }
    void pdfWithoutPrinter()
    {
        QFETCH(QString, answer);
        QFETCH(QString, saved);
        Desk desk;
        desk.printers.answer = answer.isEmpty() ? QString() : desk.dir.filePath(answer);
        PrintSelection &selection = desk.openSelection();
        selection.openPreview(PrintJob::HundredSheet);
        desk.preview()->findChild<QPushButton *>(u"Command9"_s)->click();

        QCOMPARE(desk.printers.asked, 1);
        QCOMPARE(desk.printers.suggested,
                 QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                     .filePath(u"百問計算 2026-12-11.pdf"_s));
        QVERIFY(!desk.messages.shown.isEmpty());
        QCOMPARE(desk.messages.shown.first().text,
                 u"プリンターが見つからないので、PDFファイルに保存します。"_s);
        if (saved.isEmpty()) {
            QCOMPARE(desk.messages.shown.size(), 1);
            QVERIFY(QDir(desk.dir.path()).entryList({u"*.pdf"_s}).isEmpty());
            return;
        }
        const QString path = desk.dir.filePath(saved);
        QVERIFY(QFile::exists(path));
        QCOMPARE(desk.messages.shown.size(), 2);
        QVERIFY2(desk.messages.shown.last().text.contains(QDir::toNativeSeparators(path)),
                 qPrintable(desk.messages.shown.last().text));
    }

    void safeFileNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("safe");
        // clang-format off
        QTest::newRow("a name and a date stay")         << u"山田　花子 2026-12-11"_s << u"山田　花子 2026-12-11"_s;
        QTest::newRow("separators and wildcards go")    << u"a/b\\c:d*e?f\"g<h>i|j"_s << u"a_b_c_d_e_f_g_h_i_j"_s;
        QTest::newRow("blanks and dots at the ends go") << u" .名前. "_s             << u"名前"_s;
        QTest::newRow("nothing left: the program's name") << u" . "_s               << u"ケモロ"_s;
        // clang-format on
    }
    void safeFileNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, safe);
        QCOMPARE(paths::safeFileName(name), safe);
    }

    void missingQuestionFileIsNamed()
    {
        Desk desk(false);
        PrintSelection &selection = desk.openSelection();
        QCOMPARE(desk.messages.shown.size(), 1);
        QVERIFY(desk.messages.shown.first().text.contains(u"プロト.csv"_s));
        QCOMPARE(selection.desk().sheet.loaded, 0);
        QCOMPARE(selection.desk().sheet.rows, 15);
    }

    void badBytesInTheQuestionFileAreSaidOnce()
    {
        Desk desk;
        QByteArray bytes = test::readBytes(desk.context.session.folders.worksheetFile());
        bytes.insert(bytes.indexOf("\r\n") + 4, '\xFF'); // in the first part of line 2
        QVERIFY(test::writeBytes(desk.context.session.folders.worksheetFile(), bytes));
        PrintSelection &selection = desk.openSelection();
        QCOMPARE(desk.messages.shown.size(), 1);
        QVERIFY2(desk.messages.shown.first().text.contains(u"プロト.csv (line 2)"_s),
                 qPrintable(desk.messages.shown.first().text));
        QCOMPARE(selection.desk().sheet.loaded, 3); // every question of level 1 is still there
        selection.rebuild();
        QCOMPARE(desk.messages.shown.size(), 1);
    }

    void failingPrinterIsNamed()
    {
        Desk desk;
        BrokenPrinter printer;
        desk.context.services.printers = &printer;
        FrmPrint window(desk.context, nullptr, false);
        window.show();
        window.findChild<QPushButton *>(u"Command9"_s)->click();
        QCOMPARE(desk.messages.shown.size(), 1);
        QVERIFY(desk.messages.shown.first().text.contains(u"職員室のプリンター"_s));
        QCOMPARE(window.engine().output(), PrintEngine::Output::Preview);
    }

    void testPagesPrintWhatTheyShow()
    {
        Desk desk;
        FrmPrint window(desk.context, nullptr, true);
        window.show();
        auto *labels = window.findChild<QPushButton *>(u"Command10"_s);
        QVERIFY(labels->isVisible());
        labels->click();
        QCOMPARE(window.desk().job.docType, int(PrintJob::LabelTest));
        window.findChild<QPushButton *>(u"Command5"_s)->click();
        QCOMPARE(window.desk().job.docType, int(PrintJob::SamplePage));
        window.findChild<QPushButton *>(u"Command9"_s)->click();
        QCOMPARE(rasterise(desk.printers.answer, 24).size(), 1);
    }
};

QTEST_MAIN(TestPrintScreens)
#include "tst_printscreens.moc"
