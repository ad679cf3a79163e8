#pragma once

#include "platform/printsurface.h"

#include <QDate>
#include <QImage>
#include <QPainter>
#include <QStringList>

#include <functional>
#include <memory>

class QPaintDevice;
class QPrinter;
class QWidget;

namespace kemoro {

class Messages;

// A surface drawn with a QPainter on any paint device. The painter's origin is
// the top left of the printable area (as on a printer) unless deviceOrigin()
// says otherwise; the page reaches the device through the placement.
class PainterSurface : public PrintSurface
{
public:
    PainterSurface(QSizeF pageTw, QRectF printableTw, double twipsPerDevicePixel);
    ~PainterSurface() override;

    QSizeF pageSize() const override { return m_page; }
    QRectF printableRect() const override { return m_printable; }
    double twipsPerDevicePixel() const override { return m_twipsPerPixel; }
    double textWidth(const QString &text) const override;
    double textHeight() const override;
    // Laid out by QTextLayout in the font the painter draws with.
    QList<TextLine> wrapLines(const QString &text, double width) const override;

protected:
    // Where the painter's origin lies on the paper, in paper twips.
    virtual QPointF deviceOrigin() const { return m_printable.topLeft(); }
    // Starts painting on `device` in twips; false when the device refuses.
    bool beginPainting(QPaintDevice *device);
    // Ends painting; a subclass that owns its device calls it before the device goes.
    void endPainting();
    QPainter &painter() { return m_painter; }

    void drawText(QPointF topLeft, const QString &text) override;
    void drawLine(QPointF from, QPointF to) override;
    void drawPoint(QPointF at) override;
    void drawRectangle(QRectF box) override;
    void drawPicture(QRectF box, const QImage &image) override;
    void fontChanged() override;
    void placementChanged() override;

private:
    void applyPen();
    void applyPlacement();

    QSizeF m_page;
    QRectF m_printable;
    double m_twipsPerPixel;
    QPainter m_painter;
    QFont m_font;
};

// A picture box's picture: an image of the given pixel size that keeps what
// was drawn on it. A new page clears it to white.
class ImageSurface final : public PainterSurface
{
public:
    explicit ImageSurface(QSize pixels);
    // A sheet of paper as a picture: the image is the whole page at
    // `twipsPerPixel`, and what is drawn lands where a printer with that
    // printable area would put it.
    ImageSurface(QSizeF pageTw, QRectF printableTw, double twipsPerPixel);
    ~ImageSurface() override;
    const QImage &image() const { return m_image; }
    void clear();

    bool newPage() override;
    bool end() override { return true; }
    void discard() override { clear(); }

protected:
    QPointF deviceOrigin() const override { return {0, 0}; }

private:
    QImage m_image;
};

// One print job or PDF file on a QPrinter, A4 portrait.
class PrinterSurface final : public PainterSurface
{
public:
    // Takes over a printer already set up; begin() then starts the document.
    PrinterSurface(std::unique_ptr<QPrinter> printer, QSizeF pageTw, QRectF printableTw,
                   double twipsPerDevicePixel);
    ~PrinterSurface() override;

    bool begin();
    bool newPage() override;
    bool end() override;
    void discard() override;
    QString errorString() const override { return m_error; }

private:
    std::unique_ptr<QPrinter> m_printer;
    bool m_open = false;
    QString m_error;
};

// The printers of the computer and the way to a PDF file when there is none.
class PrinterService
{
public:
    virtual ~PrinterService() = default;

    // The orientation of the jobs and PDF files started from now on; portrait
    // until it is set.
    void setLandscape(bool landscape) { m_landscape = landscape; }
    bool landscape() const { return m_landscape; }

    // Installed printers; empty when none is (no CUPS queue).
    virtual QStringList printerNames() const = 0;
    // The printer jobs go to: the system's default, else the first one.
    virtual QString defaultPrinterName() const = 0;
    // A job on the named printer, A4 in the orientation set, no dialog. Null with `error`
    // set when it does not start.
    virtual std::unique_ptr<PrintSurface> startJob(const QString &printer, const QString &documentName,
                                                   QString &error) = 0;
    // A PDF file of A4 pages in the orientation set at 600 dpi, with the margins
    // of a typical printer (pdfMarginMm on every side).
    virtual std::unique_ptr<PrintSurface> startPdf(const QString &path, const QString &documentName,
                                                   QString &error) = 0;
    // Where to save the PDF, starting from `suggestedPath` (a whole path);
    // empty when the user cancels.
    virtual QString askPdfFileName(QWidget *parent, const QString &suggestedPath) = 0;

private:
    bool m_landscape = false;
};

class QtPrinterService : public PrinterService
{
public:
    QStringList printerNames() const override;
    QString defaultPrinterName() const override;
    std::unique_ptr<PrintSurface> startJob(const QString &printer, const QString &documentName,
                                           QString &error) override;
    std::unique_ptr<PrintSurface> startPdf(const QString &path, const QString &documentName,
                                           QString &error) override;
    QString askPdfFileName(QWidget *parent, const QString &suggestedPath) override;
};

// The margins of the PDF written without a printer: a quarter inch, as most
// printers leave.
inline constexpr double pdfMarginMm = 6.35;

// What a print run ended with. `message` names the printer or file of a failure.
struct PrintOutcome
{
    enum class Kind { Printed, SavedAsPdf, Cancelled, Failed, Stopped };
    Kind kind = Kind::Printed;
    QString message;
    QString pdfPath;
};

// What a print run is called, and who is told where a PDF went.
struct PrintRequest
{
    QString documentName; // the job's name in the printer queue
    QString fileTitle;    // without a printer: the PDF's proposed name, before the date
    QDate date;           // the date in that name
    Messages *messages = nullptr;
    QString messageTitle;
};

// "<title> <yyyy-MM-dd>.pdf" in the user's documents folder.
QString proposedPdfPath(const QString &title, QDate date);

// Prints `count` documents: each is one job on the default printer. Without a
// printer the user is told so and asked once for a PDF file (proposed by
// proposedPdfPath, ".pdf" added when the name lacks it) that takes all of
// them, each from a new page; the saved path is confirmed. `draw(surface, i)`
// draws document i and returns false to stop (its job is then discarded). A
// job that fails to start or finish stops the run.
PrintOutcome printDocuments(PrinterService &service, QWidget *parent, int count, const PrintRequest &request,
                            const std::function<bool(PrintSurface &, int)> &draw);

} // namespace kemoro
