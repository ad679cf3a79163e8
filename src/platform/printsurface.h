#pragma once

#include <algorithm>

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

class QImage;

namespace kemoro {

// A drawing colour as red, green and blue, 0..255.
struct Rgb
{
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const Rgb &) const = default;
};

// How far a page must shrink about its centre so that `content` (page twips)
// lands inside `printable` (paper twips, the paper as large as the page): 1
// when it already does, else just enough for the tightest side.
inline double fitScale(QSizeF page, QRectF printable, QRectF content)
{
    const QPointF c(page.width() / 2, page.height() / 2);
    const QRectF box = content.normalized();
    double scale = 1;
    auto limit = [&scale](double room, double reach) {
        // Only a side that reaches further from the centre than the printable
        // area does limits the scale.
        if (reach > 0 && room < reach) scale = std::min(scale, std::max(room, 0.0) / reach);
    };
    limit(c.x() - printable.left(), c.x() - box.left());
    limit(printable.right() - c.x(), box.right() - c.x());
    limit(c.y() - printable.top(), c.y() - box.top());
    limit(printable.bottom() - c.y(), box.bottom() - c.y());
    return std::max(scale, 0.01);
}

// What a picture box and the printer can both be drawn on. Everything is in
// twips (1440 to an inch) from the top left of the page as it is laid out,
// so one drawing routine serves the screen, the printer and a PDF file. On a
// picture the page is the picture; on paper the page is placed on the sheet
// so that the document's content box lies in the printable area (see
// setContentBox), and no layout needs to know the printer's margins. Font
// sizes are points (a font of p points is p x 20 twips high); line widths are
// device pixels, as wide as the device makes them (15 twips on the screen, a
// printer's own dots on paper).
//
// The surface keeps the state the drawing operations use: the current
// position, font, line width and colour. Text is drawn with its top left at
// the current position, which then moves to the start of the next line;
// a line or a point moves it to its end.
class PrintSurface
{
public:
    virtual ~PrintSurface() = default;

    // The paper and the part of it that can be drawn on, both in twips; the
    // printable rectangle is in paper coordinates. The page a document lays
    // out is as large as the paper.
    virtual QSizeF pageSize() const = 0;
    virtual QRectF printableRect() const = 0;

    // The part of the page the document draws on, in page twips; the whole
    // page until it is set. Where it does not fit the printable area, the
    // page is shrunk uniformly about its centre just enough that it does, so
    // nothing is cut; where it fits, the page is printed as designed.
    void setContentBox(QRectF box)
    {
        if (box == m_contentBox) return;
        m_contentBox = box;
        placementChanged();
    }
    QRectF contentBox() const
    {
        return m_contentBox.isNull() ? QRectF(QPointF(0, 0), pageSize()) : m_contentBox;
    }
    // The shrink of the page on the paper: 1 when the content box fits.
    double placementScale() const { return fitScale(pageSize(), printableRect(), contentBox()); }
    // Where a point of the page lands on the paper, in paper twips.
    QPointF placed(QPointF onPage) const
    {
        const QPointF c(pageSize().width() / 2, pageSize().height() / 2);
        return c + placementScale() * (onPage - c);
    }
    // Twips per device pixel: what one unit of the line width measures.
    virtual double twipsPerDevicePixel() const = 0;

    QPointF position() const { return m_position; }
    void moveTo(QPointF at) { m_position = at; }

    void setFont(const QString &family, double points)
    {
        m_fontFamily = family;
        m_fontPoints = points;
        fontChanged();
    }
    void setFontSize(double points)
    {
        m_fontPoints = points;
        fontChanged();
    }
    const QString &fontFamily() const { return m_fontFamily; }
    double fontSize() const { return m_fontPoints; }

    void setLineWidth(double devicePixels) { m_lineWidth = devicePixels; }
    double lineWidth() const { return m_lineWidth; }
    void setColour(Rgb colour) { m_colour = colour; }
    Rgb colour() const { return m_colour; }

    // How a rectangle's inside is painted, numbered as the old picture boxes
    // numbered it: 0 solid, 1 transparent, 2..7 hatches (horizontal, vertical,
    // upward diagonal, downward diagonal, cross, diagonal cross). Like the
    // other settings it stays until it is set again, so a rectangle drawn
    // later without setting it is filled alike.
    enum FillStyle { Solid = 0, Transparent = 1 };
    void setFillStyle(int style) { m_fillStyle = style; }
    int fillStyle() const { return m_fillStyle; }
    void setFillColour(Rgb colour) { m_fillColour = colour; }
    Rgb fillColour() const { return m_fillColour; }

    void text(const QString &text)
    {
        drawText(m_position, text);
        m_position = QPointF(0, m_position.y() + textHeight());
    }
    void line(QPointF from, QPointF to)
    {
        drawLine(from, to);
        m_position = to;
    }
    // A dot as wide as the line width.
    void point(QPointF at)
    {
        drawPoint(at);
        m_position = at;
    }

    // A rectangle: its outline in the colour and line width, its inside by
    // the fill style and fill colour.
    void rectangle(QRectF box)
    {
        drawRectangle(box.normalized());
        m_position = box.bottomRight();
    }
    // A picture stretched into `box`.
    void picture(QRectF box, const QImage &image) { drawPicture(box, image); }

    virtual double textWidth(const QString &text) const = 0;
    virtual double textHeight() const = 0;

    // Where `text` breaks into lines at the current font when it is drawn
    // `width` twips wide: the start and length of each line. Japanese text
    // breaks between characters, Latin text at spaces where it can. This
    // default goes character by character by textWidth(); painters lay the
    // text out as they draw it.
    struct TextLine
    {
        qsizetype start = 0;
        qsizetype length = 0;
        bool operator==(const TextLine &) const = default;
    };
    virtual QList<TextLine> wrapLines(const QString &text, double width) const
    {
        QList<TextLine> lines;
        qsizetype start = 0;
        while (start < text.size()) {
            qsizetype length = 1;
            while (start + length < text.size() && textWidth(text.mid(start, length + 1)) <= width)
                ++length;
            lines.append({start, length});
            start += length;
        }
        if (lines.isEmpty()) lines.append({0, 0});
        return lines;
    }

    // Starts the next page; a picture has one page, which a new page clears.
    virtual bool newPage() = 0;
    // Finishes the document: the pages go to the printer or the file. False
    // when the device refused; errorString() then says why.
    virtual bool end() = 0;
    // Abandons the document: nothing is printed.
    virtual void discard() = 0;
    virtual QString errorString() const { return QString(); }

protected:
    virtual void drawText(QPointF topLeft, const QString &text) = 0;
    virtual void drawLine(QPointF from, QPointF to) = 0;
    virtual void drawPoint(QPointF at) = 0;
    virtual void drawRectangle(QRectF box)
    {
        drawLine(box.topLeft(), box.topRight());
        drawLine(box.topRight(), box.bottomRight());
        drawLine(box.bottomRight(), box.bottomLeft());
        drawLine(box.bottomLeft(), box.topLeft());
    }
    virtual void drawPicture(QRectF, const QImage &) {}
    virtual void fontChanged() {}
    // The content box changed: a device applies the new placement.
    virtual void placementChanged() {}

private:
    QPointF m_position;
    QString m_fontFamily = QStringLiteral("ＭＳ ゴシック");
    double m_fontPoints = 9;
    double m_lineWidth = 1;
    Rgb m_colour;
    int m_fillStyle = Transparent;
    Rgb m_fillColour;
    QRectF m_contentBox;
};

} // namespace kemoro
