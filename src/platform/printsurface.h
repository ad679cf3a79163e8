#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

namespace kemoro {

// A drawing colour as red, green and blue, 0..255.
struct Rgb
{
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const Rgb &) const = default;
};

// What a picture box and the printer can both be drawn on. Everything is in
// twips (1440 to an inch) from the top left of the printable area, so one
// drawing routine serves the screen, the printer and a PDF file. Font sizes
// are points (a font of p points is p x 20 twips high); line widths are
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
    // printable rectangle is in paper coordinates.
    virtual QSizeF pageSize() const = 0;
    virtual QRectF printableRect() const = 0;
    double width() const { return printableRect().width(); }
    double height() const { return printableRect().height(); }
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

    virtual double textWidth(const QString &text) const = 0;
    virtual double textHeight() const = 0;

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
    virtual void fontChanged() {}

private:
    QPointF m_position;
    QString m_fontFamily = QStringLiteral("ＭＳ ゴシック");
    double m_fontPoints = 9;
    double m_lineWidth = 1;
    Rgb m_colour;
};

} // namespace kemoro
