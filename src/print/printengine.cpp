#include "print/printengine.h"

#include <QStringList>

#include <cmath>

using namespace Qt::StringLiterals;

namespace kemoro::print {

namespace {
constexpr double a4WidthTw = 11906;
constexpr double a4HeightTw = 16838;
constexpr double previewEnlargement = 1.03;
const QString wideA = u"あ"_s;
} // namespace

Rgb colourFromNumber(double value)
{
    const qint64 n = std::llround(value);
    return Rgb{int(n & 0xff), int((n >> 8) & 0xff), int((n >> 16) & 0xff)};
}

QSizeF PrintEngine::paperSize(bool portrait)
{
    return portrait ? QSizeF(a4WidthTw, a4HeightTw) : QSizeF(a4HeightTw, a4WidthTw);
}

QSizeF PrintEngine::previewBoxSize(bool portrait)
{
    return paperSize(portrait) * previewScaleFor(portrait) * previewEnlargement;
}

void PrintEngine::initialise(PrintSurface &target, Output output, bool portrait)
{
    m_surface = &target;
    m_output = output;
    m_portrait = portrait;
    m_previewScale = previewScaleFor(portrait);
    marginX = 0.005;
    marginY = 0;
    const QSizeF paper = paperSize(portrait);
    m_printPageWidth = 1.06 * paper.width();
    m_printPageHeight = 1.05 * paper.height();
    // The measured size of the target before the preview box grows by 3 %.
    const double scale = output == Output::Preview ? m_previewScale : 1.0;
    m_targetWidth = scale * paper.width();
    m_targetHeight = scale * paper.height();
}

double PrintEngine::mapX(double x) const
{
    const double across = marginX + x / 10000;
    return m_output == Output::Preview ? m_targetWidth * across : printScale * m_printPageWidth * across;
}

double PrintEngine::mapY(double y) const
{
    const double down = marginY + y / 10000;
    return m_output == Output::Preview ? m_targetHeight * down : printScale * m_printPageHeight * down;
}

double PrintEngine::mapWidth(double w) const
{
    return m_output == Output::Preview ? w * m_targetWidth / 10000
                                       : printScale * w * m_printPageWidth / 10000;
}

double PrintEngine::mapHeight(double h) const
{
    return m_output == Output::Preview ? h * m_targetHeight / 10000
                                       : printScale * h * m_printPageHeight / 10000;
}

QRectF PrintEngine::pageBox() const
{
    // The widest pen of the engine's pages is a frame of width 2; half of it
    // lies outside the mapped page.
    const double pen = m_surface ? lineWidthFactor() * m_surface->twipsPerDevicePixel() : 0;
    return QRectF(map(0, 0), map(10000, 10000)).normalized().adjusted(-pen, -pen, pen, pen);
}

bool PrintEngine::ready()
{
    if (!m_surface) return false;
    // Paper takes the page where its printable area allows; the margins may
    // have changed since the last operation, so the box is set every time.
    if (m_output == Output::Printer) m_surface->setContentBox(pageBox());
    return true;
}

int PrintEngine::thinLineWidth(int width) const
{
    return int(std::lround(lineWidthFactor() * width * 0.6));
}

void PrintEngine::clearPreview()
{
    if (m_surface && m_output == Output::Preview) m_surface->newPage();
}

void PrintEngine::setTextSize(double points)
{
    m_surface->setFontSize(points);
}

void PrintEngine::text(double x, double y, const QString &text, int size)
{
    if (!ready()) return;
    setTextSize(m_output == Output::Preview ? size * m_previewScale : size * printScale);
    m_surface->setColour(Rgb{});
    m_surface->moveTo(map(x, y));
    m_surface->text(text);
}

void PrintEngine::text2(double x, double y, const QString &text, int size)
{
    if (!ready()) return;
    setTextSize(m_output == Output::Preview ? size * m_previewScale * 0.9 : size * printScale);
    m_surface->setColour(Rgb{});
    m_surface->moveTo(map(x, y));
    m_surface->text(text);
}

void PrintEngine::line(double x1, double y1, double x2, double y2, int width, double colour)
{
    if (!ready()) return;
    m_surface->setLineWidth(thinLineWidth(width));
    m_surface->setColour(colourFromNumber(colour));
    m_surface->line(map(x1, y1), map(x2, y2));
}

void PrintEngine::box(double x1, double y1, double x2, double y2, int width, double colour)
{
    if (!ready()) return;
    m_surface->setLineWidth(thinLineWidth(width));
    m_surface->setColour(colourFromNumber(colour));
    m_surface->rectangle(QRectF(map(x1, y1), map(x2, y2)));
}

void PrintEngine::picture(double x, double y, double w)
{
    if (!ready() || !m_picture || m_pictureSize.isEmpty()) return;
    const double h = w * m_pictureSize.height() / m_pictureSize.width();
    // The height goes through the horizontal scale so the picture keeps its shape.
    const double deviceHeight = m_output == Output::Preview ? h * m_targetWidth / 10000
                                                            : printScale * h * m_printPageHeight / 10000 *
                                                                  m_targetWidth / m_targetHeight;
    m_surface->picture(QRectF(map(x, y), QSizeF(mapWidth(w), deviceHeight)), *m_picture);
}

void PrintEngine::picture2(double x, double y, double w, double h)
{
    if (!ready() || !m_picture || m_pictureSize.isEmpty()) return;
    m_surface->picture(QRectF(map(x, y), QSizeF(mapWidth(w), mapHeight(h))), *m_picture);
}

void PrintEngine::drawFrame(double x1, double y1, double x2, double y2, double lineColour, double fillColour,
                            int fillStyle, int lineWidth)
{
    m_surface->setColour(colourFromNumber(lineColour));
    m_surface->setLineWidth(lineWidthFactor() * lineWidth);
    m_surface->setFillStyle(fillStyle);
    m_surface->setFillColour(colourFromNumber(fillColour));
    m_surface->rectangle(QRectF(map(x1, y1), map(x2, y2)));
}

void PrintEngine::rectangle(double x1, double y1, double x2, double y2, double lineColour, double fillColour,
                            int fillStyle, int width)
{
    if (!ready()) return;
    drawFrame(x1, y1, x2, y2, lineColour, fillColour, fillStyle, width);
}

void PrintEngine::setLabelSize(int size)
{
    setTextSize(m_output == Output::Preview ? size * m_previewScale * 1.046 : size * printScale * 1.1);
}

void PrintEngine::label(double x, double y, double lineColour, double fillColour, int fillStyle,
                        int lineWidth, const QString &text, double textColour, int size, int frameMode)
{
    if (!ready()) return;
    setTextSize(m_output == Output::Preview ? size * m_previewScale * 1.046 : double(size));
    double w = 0;
    double h = 0;
    if (frameMode == 1) {
        const double cw = 10000 * m_surface->textWidth(wideA) / m_targetWidth;
        const double ch = 10000 * m_surface->textHeight() / m_targetHeight;
        w = std::round((text.size() + 1) * cw);
        h = std::round(1.5 * ch);
        drawFrame(x, y, x + w, y + h, lineColour, fillColour, fillStyle, lineWidth);
    }
    m_surface->setColour(colourFromNumber(textColour));
    if (frameMode > 1) return;
    const double tw = 10000 * m_surface->textWidth(text) / m_targetWidth;
    const double th = 10000 * m_surface->textHeight() / m_targetHeight;
    m_surface->moveTo(map(x + (w - tw) / 2, y + (h - th) / 2));
    m_surface->text(text);
}

void PrintEngine::labelFrameAndText(double x, double y, double w, double h, double lineColour,
                                    double fillColour, int fillStyle, int lineWidth, const QString &text,
                                    double textColour, int frameMode)
{
    if (frameMode == 1) drawFrame(x, y, x + w, y + h, lineColour, fillColour, fillStyle, lineWidth);
    m_surface->setColour(colourFromNumber(textColour));
    if (frameMode > 1 || (hideAnswers != 0 && textColour != answerGreen)) return;
    const bool preview = m_output == Output::Preview;
    const double tw = 10000 * m_surface->textWidth(text) / (preview ? m_targetWidth : m_printPageWidth);
    const double th = 10000 * m_surface->textHeight() / (preview ? m_targetHeight : m_printPageHeight);
    m_surface->moveTo(map(x + (w - tw) / 2, y + (h - th) / 2));
    m_surface->text(text);
}

void PrintEngine::label2(double x, double y, double w, double h, double lineColour, double fillColour,
                         int fillStyle, int lineWidth, const QString &text, double textColour, int size,
                         int frameMode)
{
    if (!ready()) return;
    setLabelSize(size);
    labelFrameAndText(x, y, w, h, lineColour, fillColour, fillStyle, lineWidth, text, textColour, frameMode);
}

void PrintEngine::label3(double x, double y, double w, double h, double lineColour, double fillColour,
                         int fillStyle, int lineWidth, const QString &text, double textColour, int &size,
                         int frameMode)
{
    if (!ready()) return;
    setLabelSize(size);
    const bool preview = m_output == Output::Preview;
    const double widthLimit =
        preview ? 0.9 * w * m_targetWidth / 10000 : printScale * 0.95 * w * m_targetWidth / 10000;
    const double heightLimit =
        preview ? 0.9 * h * m_targetHeight / 10000 : printScale * 0.95 * h * m_targetHeight / 10000;
    // Each fit takes one step even when the text already fits; size 1 is the floor.
    auto shrink = [&] {
        size = std::max(1, size - 1);
        m_surface->setFontSize(size);
    };
    do
        shrink();
    while (size > 1 && text.size() * m_surface->textWidth(wideA) > widthLimit);
    do
        shrink();
    while (size > 1 && m_surface->textHeight() > heightLimit);
    labelFrameAndText(x, y, w, h, lineColour, fillColour, fillStyle, lineWidth, text, textColour, frameMode);
}

bool PrintEngine::layoutCell(const QStringList &paragraphs, int size, QList<QString> &lines)
{
    lines.clear();
    // Measured as the paper draws it: the page's own width in twips at the
    // unscaled size, so the preview wraps exactly where the paper will.
    m_surface->setFontSize(size);
    const double wrapWidth = cellWidth * paperSize(m_portrait).width();
    double lineHeight = size * 300.0 / 12;
    if (m_output == Output::Preview) lineHeight *= m_previewScale;
    const double room = rowPitch * m_targetHeight;
    for (const QString &paragraph : paragraphs) {
        const QList<PrintSurface::TextLine> wrapped = m_surface->wrapLines(paragraph, wrapWidth);
        if (autoFit && (wrapped.size() + 1) * lineHeight >= room) return false;
        for (const PrintSurface::TextLine &l : wrapped)
            lines.append(paragraph.mid(l.start, l.length));
    }
    return true;
}

void PrintEngine::cellText(const QString &text)
{
    if (!ready()) return;
    const QStringList paragraphs = text.split(u'\n');
    const double perPointHeight = 300.0 / 12 * (m_output == Output::Preview ? m_previewScale : 1.0);
    const double room = rowPitch * m_targetHeight;
    // Every paragraph takes at least one line plus the spare one, so sizes
    // where two lines already fill the row overflow without laying anything out.
    int size = baseFontSize;
    if (autoFit)
        while (size > 1 && 2 * size * perPointHeight >= room)
            --size;
    QList<QString> lines;
    cellOverflow = 0;
    while (!layoutCell(paragraphs, size, lines)) {
        if (size <= 1) {
            // Fits at no size: drawn at the smallest one all the same.
            cellOverflow = 1;
            const bool wasFitting = autoFit;
            autoFit = false;
            layoutCell(paragraphs, size, lines);
            autoFit = wasFitting;
            break;
        }
        --size;
    }
    cellFontSize = size;
    const double lineHeight = size * perPointHeight;
    for (qsizetype k = 0; k < lines.size(); ++k)
        text2(10000 * cellLeft, rowTop + 10000 * k * lineHeight / m_targetHeight, lines[k], size);
}

} // namespace kemoro::print
