#include "platform/printer.h"

#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/widgets.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <QTextLayout>

using namespace Qt::StringLiterals;

namespace kemoro {

namespace {
constexpr double twipsPerInch = 1440;
constexpr int pdfResolution = 600;

QColor toColor(Rgb c)
{
    return QColor(std::clamp(c.red, 0, 255), std::clamp(c.green, 0, 255), std::clamp(c.blue, 0, 255));
}

QRectF scaled(const QRectF &r, double factor)
{
    return QRectF(r.x() * factor, r.y() * factor, r.width() * factor, r.height() * factor);
}
} // namespace

PainterSurface::PainterSurface(QSizeF pageTw, QRectF printableTw, double twipsPerDevicePixel)
    : m_page(pageTw), m_printable(printableTw), m_twipsPerPixel(twipsPerDevicePixel)
{
    fontChanged();
}

PainterSurface::~PainterSurface()
{
    endPainting();
}

void PainterSurface::endPainting()
{
    if (m_painter.isActive()) m_painter.end();
}

bool PainterSurface::beginPainting(QPaintDevice *device)
{
    if (!m_painter.begin(device)) return false;
    m_painter.setRenderHint(QPainter::Antialiasing);
    m_painter.setRenderHint(QPainter::TextAntialiasing);
    applyPlacement();
    m_painter.setFont(m_font);
    return true;
}

void PainterSurface::applyPlacement()
{
    if (!m_painter.isActive()) return;
    // Page twips -> paper twips (shrunk about the page centre) -> device pixels.
    const double scale = placementScale();
    const QPointF centre(m_page.width() / 2, m_page.height() / 2);
    const QPointF shift = centre * (1 - scale) - deviceOrigin();
    m_painter.resetTransform();
    m_painter.scale(1.0 / m_twipsPerPixel, 1.0 / m_twipsPerPixel);
    m_painter.translate(shift);
    m_painter.scale(scale, scale);
}

void PainterSurface::placementChanged()
{
    applyPlacement();
}

void PainterSurface::fontChanged()
{
    QFont font(fontFamily());
    // A font of p points is p x 20 twips high, and the painter draws in twips.
    font.setPixelSize(std::max(1, int(std::lround(fontSize() * 20))));
    if (fontFamily() == u"ＭＳ ゴシック"_s) {
        // The figures line up in columns only in a fixed-pitch face.
        font.setFixedPitch(true);
        font.setStyleHint(QFont::Monospace);
    }
    m_font = font;
    if (m_painter.isActive()) m_painter.setFont(m_font);
}

double PainterSurface::textWidth(const QString &text) const
{
    return QFontMetricsF(m_font).horizontalAdvance(text);
}

double PainterSurface::textHeight() const
{
    return QFontMetricsF(m_font).height();
}

void PainterSurface::applyPen()
{
    QPen pen(toColor(colour()));
    pen.setWidthF(std::max(1.0, lineWidth()) * m_twipsPerPixel);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    m_painter.setPen(pen);
    m_painter.setBrush(Qt::NoBrush);
}

void PainterSurface::drawText(QPointF topLeft, const QString &text)
{
    if (!m_painter.isActive()) return;
    m_painter.setPen(toColor(colour()));
    m_painter.drawText(QPointF(topLeft.x(), topLeft.y() + QFontMetricsF(m_font).ascent()), text);
}

void PainterSurface::drawLine(QPointF from, QPointF to)
{
    if (!m_painter.isActive()) return;
    applyPen();
    m_painter.drawLine(from, to);
}

QList<PrintSurface::TextLine> PainterSurface::wrapLines(const QString &text, double width) const
{
    QTextLayout layout(text, m_font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QList<TextLine> lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines.append({line.textStart(), line.textLength()});
    }
    layout.endLayout();
    if (lines.isEmpty()) lines.append({0, 0});
    return lines;
}

void PainterSurface::drawRectangle(QRectF box)
{
    if (!m_painter.isActive()) return;
    applyPen();
    static constexpr Qt::BrushStyle hatches[] = {Qt::HorPattern,   Qt::VerPattern,   Qt::BDiagPattern,
                                                 Qt::FDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
    const int style = fillStyle();
    if (style == Solid)
        m_painter.setBrush(toColor(fillColour()));
    else if (style >= 2 && style <= 7)
        m_painter.setBrush(QBrush(toColor(fillColour()), hatches[style - 2]));
    m_painter.drawRect(box);
}

void PainterSurface::drawPicture(QRectF box, const QImage &image)
{
    if (!m_painter.isActive() || image.isNull()) return;
    m_painter.drawImage(box, image);
}

void PainterSurface::drawPoint(QPointF at)
{
    if (!m_painter.isActive()) return;
    // A filled disc: a zero-length stroke is not drawn alike by every paint engine.
    const double radius = std::max(1.0, lineWidth()) * m_twipsPerPixel / 2;
    m_painter.setPen(Qt::NoPen);
    m_painter.setBrush(toColor(colour()));
    m_painter.drawEllipse(at, radius, radius);
}

// A picture box of the screens: its pixels are the screens' pixels.
ImageSurface::ImageSurface(QSize pixels)
    : PainterSurface(QSizeF(pixels) * ui::twipsPerPixel,
                     QRectF(QPointF(0, 0), QSizeF(pixels) * ui::twipsPerPixel), ui::twipsPerPixel),
      m_image(pixels.expandedTo(QSize(1, 1)), QImage::Format_RGB32)
{
    m_image.fill(Qt::white);
    beginPainting(&m_image);
}

ImageSurface::ImageSurface(QSizeF pageTw, QRectF printableTw, double twipsPerPixel)
    : PainterSurface(pageTw, printableTw, twipsPerPixel),
      m_image((pageTw / twipsPerPixel).toSize().expandedTo(QSize(1, 1)), QImage::Format_RGB32)
{
    m_image.fill(Qt::white);
    beginPainting(&m_image);
}

ImageSurface::~ImageSurface()
{
    endPainting();
}

void ImageSurface::clear()
{
    QPainter &p = painter();
    if (!p.isActive()) return;
    p.save();
    p.resetTransform();
    p.fillRect(m_image.rect(), Qt::white);
    p.restore();
}

bool ImageSurface::newPage()
{
    clear();
    return true;
}

PrinterSurface::PrinterSurface(std::unique_ptr<QPrinter> printer, QSizeF pageTw, QRectF printableTw,
                               double twipsPerDevicePixel)
    : PainterSurface(pageTw, printableTw, twipsPerDevicePixel), m_printer(std::move(printer))
{
}

PrinterSurface::~PrinterSurface()
{
    if (m_open) discard();
    endPainting();
}

bool PrinterSurface::begin()
{
    m_open = beginPainting(m_printer.get());
    if (!m_open) m_error = u"印刷を始められません。"_s;
    return m_open;
}

bool PrinterSurface::newPage()
{
    if (!m_open) return false;
    return m_printer->newPage();
}

bool PrinterSurface::end()
{
    if (!m_open) return false;
    m_open = false;
    const bool ended = painter().end();
    if (!ended || m_printer->printerState() == QPrinter::Error) {
        m_error = u"印刷を終えられません。"_s;
        return false;
    }
    return true;
}

void PrinterSurface::discard()
{
    if (!m_open) return;
    m_open = false;
    m_printer->abort();
    if (painter().isActive()) painter().end();
}

QStringList QtPrinterService::printerNames() const
{
    return QPrinterInfo::availablePrinterNames();
}

QString QtPrinterService::defaultPrinterName() const
{
    const QString name = QPrinterInfo::defaultPrinterName();
    if (!name.isEmpty()) return name;
    const QStringList names = printerNames();
    return names.isEmpty() ? QString() : names.first();
}

namespace {
std::unique_ptr<PrintSurface> startSurface(std::unique_ptr<QPrinter> printer, bool landscape, QString &error)
{
    printer->setPageSize(QPageSize(QPageSize::A4));
    printer->setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    const double factor = twipsPerInch / printer->resolution();
    const QRectF paper = printer->paperRect(QPrinter::DevicePixel);
    const QRectF printable = printer->pageRect(QPrinter::DevicePixel);
    auto surface = std::make_unique<PrinterSurface>(std::move(printer), paper.size() * factor,
                                                    scaled(printable, factor), factor);
    if (!surface->begin()) {
        error = surface->errorString();
        return nullptr;
    }
    return surface;
}
} // namespace

std::unique_ptr<PrintSurface> QtPrinterService::startJob(const QString &printerName,
                                                         const QString &documentName, QString &error)
{
    const QPrinterInfo info = QPrinterInfo::printerInfo(printerName);
    if (info.isNull()) {
        error = u"プリンターが見つかりません。"_s;
        return nullptr;
    }
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    printer->setDocName(documentName);
    printer->setFullPage(false);
    return startSurface(std::move(printer), landscape(), error);
}

std::unique_ptr<PrintSurface> QtPrinterService::startPdf(const QString &path, const QString &documentName,
                                                         QString &error)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(path);
    printer->setResolution(pdfResolution);
    printer->setDocName(documentName);
    printer->setFullPage(false);
    printer->setPageMargins(QMarginsF(pdfMarginMm, pdfMarginMm, pdfMarginMm, pdfMarginMm),
                            QPageLayout::Millimeter);
    return startSurface(std::move(printer), landscape(), error);
}

QString QtPrinterService::askPdfFileName(QWidget *parent, const QString &suggestedPath)
{
    QFileDialog dialog(parent, u"PDFに保存"_s, QFileInfo(suggestedPath).path(), u"PDF (*.pdf)"_s);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // The dialog adds ".pdf" itself, so it also asks before replacing that file.
    dialog.setDefaultSuffix(u"pdf"_s);
    dialog.selectFile(QFileInfo(suggestedPath).fileName());
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

QString proposedPdfPath(const QString &title, QDate date)
{
    const QString name = date.isValid() ? title + u' ' + date.toString(u"yyyy-MM-dd"_s) : title;
    return QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
        .filePath(paths::safeFileName(name) + u".pdf"_s);
}

PrintOutcome printDocuments(PrinterService &service, QWidget *parent, int count, const PrintRequest &request,
                            const std::function<bool(PrintSurface &, int)> &draw)
{
    PrintOutcome outcome;
    if (count <= 0) return outcome;
    const QString &documentName = request.documentName;
    QString error;
    if (service.printerNames().isEmpty()) {
        if (request.messages)
            request.messages->inform(parent, request.messageTitle,
                                     u"プリンターが見つからないので、PDFファイルに保存します。"_s);
        QString path = service.askPdfFileName(parent, proposedPdfPath(request.fileTitle, request.date));
        if (path.isEmpty()) {
            outcome.kind = PrintOutcome::Kind::Cancelled;
            return outcome;
        }
        if (!path.endsWith(u".pdf"_s, Qt::CaseInsensitive)) path += u".pdf"_s;
        outcome.pdfPath = path;
        const std::unique_ptr<PrintSurface> pdf = service.startPdf(path, documentName, error);
        auto failed = [&](const QString &why) {
            outcome.kind = PrintOutcome::Kind::Failed;
            outcome.message = u"PDFファイル「%1」に保存できません。%2"_s.arg(path, why);
            return outcome;
        };
        if (!pdf) return failed(error);
        for (int i = 0; i < count; ++i) {
            if (i > 0) pdf->newPage();
            if (!draw(*pdf, i)) {
                pdf->discard();
                outcome.kind = PrintOutcome::Kind::Stopped;
                return outcome;
            }
        }
        if (!pdf->end()) return failed(pdf->errorString());
        outcome.kind = PrintOutcome::Kind::SavedAsPdf;
        if (request.messages)
            request.messages->inform(
                parent, request.messageTitle,
                u"PDFファイル「%1」に保存しました。"_s.arg(QDir::toNativeSeparators(path)));
        return outcome;
    }

    const QString printer = service.defaultPrinterName();
    auto failed = [&](const QString &why) {
        outcome.kind = PrintOutcome::Kind::Failed;
        outcome.message = u"プリンター「%1」で印刷できません。%2"_s.arg(printer, why);
        return outcome;
    };
    for (int i = 0; i < count; ++i) {
        const std::unique_ptr<PrintSurface> job = service.startJob(printer, documentName, error);
        if (!job) return failed(error);
        if (!draw(*job, i)) {
            job->discard();
            outcome.kind = PrintOutcome::Kind::Stopped;
            return outcome;
        }
        if (!job->end()) return failed(job->errorString());
    }
    return outcome;
}

} // namespace kemoro
