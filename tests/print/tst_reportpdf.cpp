#include "platform/printer.h"
#include "platform/widgets.h"
#include "print/report.h"
#include "results/resultrecord.h"

#include "ink.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace kemoro;

namespace {
const QDateTime now(QDate(2026, 12, 10), QTime(10, 0));

ResultWindow drills()
{
    ResultWindow file;
    for (int level = 1; level <= 4; ++level)
        for (int k = 0; k < 12; ++k)
            file.bytes += encodeRecord(drillRecord(QDateTime(QDate(2026, 11, 1 + k), QTime(9, 0)), 8,
                                                   qint16(level), 60 - 4 * k + (k % 3) * 7, u"12345"_s));
    file.totalRecords = file.count();
    return file;
}

report::Request requestFor(int levels)
{
    report::Request r;
    r.pupil = 8;
    r.pupilName = u"工藤　ゆうと"_s;
    for (int i = 1; i <= levels; ++i)
        r.levelItems.push_back(i);
    r.levelCount = levels;
    r.now = now;
    r.style.paper = true;
    r.title = [](int level) { return u"ケモロ レベル%1"_s.arg(level); };
    return r;
}

report::Hooks hooks()
{
    report::Hooks h;
    h.read = [](ResultWindow &file) {
        file = drills();
        return std::optional<ResultFileError>();
    };
    return h;
}

// The pages of a PDF as grey images at a low resolution.
QList<QImage> rasterise(const QString &pdf)
{
    QTemporaryDir dir;
    QProcess::execute(u"pdftoppm"_s, {u"-gray"_s, u"-r"_s, u"48"_s, pdf, dir.filePath(u"page"_s)});
    QList<QImage> pages;
    const QStringList files = QDir(dir.path()).entryList({u"page*"_s}, QDir::Files, QDir::Name);
    for (const QString &f : files)
        pages.append(QImage(dir.filePath(f)));
    return pages;
}

// Dark pixels between two parts of the page height.
int inkIn(const QImage &page, double from, double to)
{
    int ink = 0;
    const QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
    for (int y = int(from * grey.height()); y < int(to * grey.height()); ++y) {
        const uchar *line = grey.constScanLine(y);
        for (int x = 0; x < grey.width(); ++x)
            ink += line[x] < 160;
    }
    return ink;
}

// Jobs into PDF files of a folder, with printers the test chooses.
class FakePrinters final : public PrinterService
{
public:
    QStringList printers;
    QString answer; // the PDF file name the user gives
    int asked = 0;
    bool failStart = false;
    QStringList jobFiles;
    QString folder;

    QStringList printerNames() const override { return printers; }
    QString defaultPrinterName() const override { return printers.value(0); }
    std::unique_ptr<PrintSurface> startJob(const QString &, const QString &name, QString &error) override
    {
        if (failStart) {
            error = u"offline"_s;
            return nullptr;
        }
        jobFiles.append(folder + u"/job%1.pdf"_s.arg(jobFiles.size() + 1));
        return m_real.startPdf(jobFiles.back(), name, error);
    }
    std::unique_ptr<PrintSurface> startPdf(const QString &path, const QString &name, QString &error) override
    {
        return m_real.startPdf(path, name, error);
    }
    QString askPdfFileName(QWidget *, const QString &) override
    {
        ++asked;
        return answer;
    }

private:
    QtPrinterService m_real;
};
} // namespace

class TestReportPdf : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void pagesAndBands_data();
    void pagesAndBands();
    void printing_data();
    void printing();
};

void TestReportPdf::initTestCase()
{
    ui::installFontSubstitutions();
    if (QStandardPaths::findExecutable(u"pdftoppm"_s).isEmpty())
        QSKIP("pdftoppm (poppler-utils) is not installed");
}

void TestReportPdf::pagesAndBands_data()
{
    QTest::addColumn<int>("levels");
    QTest::addColumn<QList<QList<bool>>>("inked"); // per page: blocks at 0.05, 0.35, 0.65 of the height
    // clang-format off
    QTest::newRow("three levels on one A4 page") << 3 << QList<QList<bool>>{{true, true, true}};
    QTest::newRow("a fourth level on page two")  << 4 << QList<QList<bool>>{{true, true, true}, {true, false, false}};
    // clang-format on
}

void TestReportPdf::pagesAndBands()
{
    QFETCH(int, levels);
    QFETCH(QList<QList<bool>>, inked);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"report.pdf"_s);
    QtPrinterService service;
    QString error;
    std::unique_ptr<PrintSurface> pdf = service.startPdf(path, u"ケモロ"_s, error);
    QVERIFY2(pdf, qPrintable(error));
    // A4 in twips (Qt rounds A4 to whole points), printable but for a
    // quarter inch all round, as on a typical printer.
    const QSizeF paper = pdf->pageSize();
    QVERIFY2(qAbs(paper.width() - 11906) < 10 && qAbs(paper.height() - 16838) < 10,
             qPrintable(u"%1 x %2"_s.arg(paper.width()).arg(paper.height())));
    const QRectF printable = pdf->printableRect();
    for (double margin : {printable.left(), printable.top(), paper.width() - printable.right(),
                          paper.height() - printable.bottom()})
        QVERIFY2(qAbs(margin - 360) < 3, qPrintable(QString::number(margin)));
    QVERIFY(!report::drawReport(*pdf, requestFor(levels), hooks()));
    QVERIFY(pdf->end());

    const QList<QImage> pages = rasterise(path);
    QCOMPARE(pages.size(), inked.size());
    for (int p = 0; p < pages.size(); ++p) {
        const QImage &page = pages.at(p);
        QVERIFY(page.height() > page.width()); // portrait
        for (int b = 0; b < 3; ++b) {
            const double top = 0.05 + 0.3 * b;
            const int ink = inkIn(page, top + 0.01, top + 0.29);
            QVERIFY2((ink > 50) == inked.at(p).at(b),
                     qPrintable(u"page %1 block %2: %3"_s.arg(p + 1).arg(b + 1).arg(ink)));
        }
        QVERIFY(inkIn(page, 0, 0.04) > 0); // the name above the first block
        // The rules run from margin to margin: the ink starts 6.35 mm in.
        const QRect ink = test::inkBox(page, 160);
        const double mm = page.width() / 210.0;
        QVERIFY2(qAbs(ink.left() / mm - 6.35) < 1.5 &&
                     qAbs((page.width() - 1 - ink.right()) / mm - 6.35) < 1.5,
                 qPrintable(u"ink from %1 to %2 mm"_s.arg(ink.left() / mm).arg(ink.right() / mm)));
        QVERIFY(ink.top() / mm > 6.35 - 1 && (page.height() - 1 - ink.bottom()) / mm > 6.35 - 1);
    }
}

void TestReportPdf::printing_data()
{
    QTest::addColumn<QStringList>("printers");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("failStart");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("asked");
    QTest::addColumn<QList<int>>("pagesPerFile");
    QTest::addColumn<QString>("message");
    using K = PrintOutcome::Kind;
    // clang-format off
    QTest::newRow("a printer: one job per pupil")
        << QStringList{u"教室"_s} << QString() << false << int(K::Printed) << 0 << QList<int>{1, 1, 1} << QString();
    QTest::newRow("no printer: one PDF, each pupil from a new page")
        << QStringList{} << u"out.pdf"_s << false << int(K::SavedAsPdf) << 1 << QList<int>{3} << QString();
    QTest::newRow("no printer, no file name: nothing")
        << QStringList{} << QString() << false << int(K::Cancelled) << 1 << QList<int>{} << QString();
    QTest::newRow("a printer that does not start: its name in the message")
        << QStringList{u"教室"_s} << QString() << true << int(K::Failed) << 0 << QList<int>{}
        << u"プリンター「教室」で印刷できません。offline"_s;
    // clang-format on
}

void TestReportPdf::printing()
{
    QFETCH(QStringList, printers);
    QFETCH(QString, answer);
    QFETCH(bool, failStart);
    QFETCH(int, kind);
    QFETCH(int, asked);
    QFETCH(QList<int>, pagesPerFile);
    QFETCH(QString, message);
    QTemporaryDir dir;
    FakePrinters service;
    service.printers = printers;
    service.answer = answer.isEmpty() ? QString() : dir.filePath(answer);
    service.failStart = failStart;
    service.folder = dir.path();
    QList<int> drawnPupils;
    PrintRequest request;
    request.documentName = u"ケモロ"_s;
    const PrintOutcome outcome = printDocuments(service, nullptr, 3, request, [&](PrintSurface &s, int i) {
        drawnPupils.append(i);
        report::Request r = requestFor(1);
        r.pupil = 8 + i;
        return !report::drawReport(s, r, hooks());
    });
    QCOMPARE(int(outcome.kind), kind);
    QCOMPARE(service.asked, asked);
    QCOMPARE(outcome.message, message);
    const QStringList files = printers.isEmpty()
                                  ? (answer.isEmpty() ? QStringList() : QStringList{service.answer})
                                  : service.jobFiles;
    QList<int> pages;
    for (const QString &f : files)
        pages.append(int(rasterise(f).size()));
    QCOMPARE(pages, pagesPerFile);
}

QTEST_MAIN(TestReportPdf)
#include "tst_reportpdf.moc"
