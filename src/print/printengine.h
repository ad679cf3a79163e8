#pragma once

#include "platform/printsurface.h"

#include <QSize>
#include <QSizeF>
#include <QString>

class QImage;

namespace kemoro::print {

// A colour as the old drawing code stores it: red in the low byte, blue in
// the high one.
Rgb colourFromNumber(double value);

// The one colour the question version of a page keeps (RGB 0, 192, 0).
inline constexpr double answerGreen = 49152;

// What the print preview draws and how its window behaves; filled by the
// print selection screen (or a test command) before the preview opens.
struct PrintJob
{
    enum Document { SamplePage = 1, QuestionTable = 2, FillInTest = 3, LabelTest = 4, HundredSheet = 6 };
    int docType = QuestionTable; // any other value draws nothing
    int orientation = 1;         // 1 portrait
    int extraValue = 0;
    int coverFlag = 0; // 1: "印刷中　しばらくお待ちください" instead of the preview
    int autoFlag = 0;  // 1: print at once and close
};

// The drawing engine of frmPrint. Documents are laid out in page units, x in
// 1/10000 of the page width and y in 1/10000 of its height from the top
// left; the engine maps them to twips on the surface it draws on, the preview
// box (`previewScale` of the page) or the paper (0.89 of 1.06 x 1.05 of the
// page, a left margin of 0.5 %), so one layout serves both. On paper the
// surface then shrinks the sheet about its centre where the printer's
// margins would cut it.
class PrintEngine
{
public:
    enum class Output { Preview, Printer };
    static constexpr double printScale = 0.89;

    // A4 in twips.
    static QSizeF paperSize(bool portrait);
    // The preview box in twips after InitialiseOutput: the scaled page and 3 % more.
    static QSizeF previewBoxSize(bool portrait);
    static double previewScaleFor(bool portrait) { return portrait ? 0.63 : 0.8; }

    // InitialiseOutput: draw on `target` from now on.
    void initialise(PrintSurface &target, Output output, bool portrait);

    Output output() const { return m_output; }
    bool portrait() const { return m_portrait; }
    PrintSurface *surface() const { return m_surface; }
    double previewScale() const { return m_previewScale; }
    int lineWidthFactor() const { return m_output == Output::Preview ? 1 : 6; }
    double targetWidth() const { return m_targetWidth; }
    double targetHeight() const { return m_targetHeight; }
    double printPageWidth() const { return m_printPageWidth; }
    double printPageHeight() const { return m_printPageHeight; }

    // Page units to twips on the current surface.
    double mapX(double x) const;
    double mapY(double y) const;
    double mapWidth(double w) const;
    double mapHeight(double h) const;
    QPointF map(double x, double y) const { return {mapX(x), mapY(y)}; }

    // Where the page (page units 0..10000 and the pens on its edges) lies in
    // the surface's twips; on paper the surface fits this box into the
    // printable area.
    QRectF pageBox() const;

    // Device line width of `ライン` and `ボックス` for a requested width.
    int thinLineWidth(int width) const;

    // The preview box is cleared before a page is drawn on it; paper never is.
    void clearPreview();

    // 文字: black text with its top left at (x, y).
    void text(double x, double y, const QString &text, int size);
    // 文字2: the same with the smaller preview font of wrapped table lines.
    void text2(double x, double y, const QString &text, int size);
    // ライン
    void line(double x1, double y1, double x2, double y2, int width, double colour);
    // ボックス: an outline with whatever fill the surface was last given.
    void box(double x1, double y1, double x2, double y2, int width, double colour);
    // 絵張り付け: the picture `w` wide, its height from its own proportions.
    void picture(double x, double y, double w);
    // 絵張り付け2: the picture stretched into the box.
    void picture2(double x, double y, double w, double h);
    // 四角: outline, fill style and fill colour, which stay set on the surface.
    void rectangle(double x1, double y1, double x2, double y2, double lineColour, double fillColour,
                   int fillStyle, int width);
    // ラベル文字: a label whose frame is sized from its text. frameMode 1 frame
    // and text, 0 or less text only (centred on the point), 2 or more nothing.
    void label(double x, double y, double lineColour, double fillColour, int fillStyle, int lineWidth,
               const QString &text, double textColour, int size, int frameMode);
    // ラベル文字2: text centred in the box, only answerGreen text while answers are hidden.
    void label2(double x, double y, double w, double h, double lineColour, double fillColour, int fillStyle,
                int lineWidth, const QString &text, double textColour, int size, int frameMode);
    // ラベル文字3: as label2 with the font first shrunk, at least one step for
    // the width and one for the height, until the text fits; never below 1.
    void label3(double x, double y, double w, double h, double lineColour, double fillColour, int fillStyle,
                int lineWidth, const QString &text, double textColour, int &size, int frameMode);

    // 文字表示3: the text of the current cell (cellLeft, rowTop, cellWidth,
    // rowPitch) at the largest size from baseFontSize down whose lines, with
    // one spare line, fit the row height.
    void cellText(const QString &text);

    // The picture the picture operations draw (Picture2); its size is given
    // along because the rules draw it without looking into it.
    void setPictureSource(const QImage *image, QSize pixels)
    {
        m_picture = image;
        m_pictureSize = pixels;
    }

    int hideAnswers = 0;
    double marginX = 0.005;
    double marginY = 0;

    // The table layout of the cell text.
    double tableTop = 0.1;
    double rowPitch = 0.06;
    double rowTop = 0;
    double cellLeft = 0;
    double cellWidth = 0.32;
    int baseFontSize = 50;
    bool autoFit = true;
    int cellFontSize = 0; // the size the last cell was drawn at
    int cellOverflow = 0; // 1 when the last cell fitted at no size

private:
    // A surface to draw on, its content box set to the page on paper.
    bool ready();
    void setTextSize(double points);
    void setLabelSize(int size);
    // The lines of the cell's paragraphs at `size`; empty when they overflow.
    bool layoutCell(const QStringList &paragraphs, int size, QList<QString> &lines);
    void labelFrameAndText(double x, double y, double w, double h, double lineColour, double fillColour,
                           int fillStyle, int lineWidth, const QString &text, double textColour,
                           int frameMode);
    void drawFrame(double x1, double y1, double x2, double y2, double lineColour, double fillColour,
                   int fillStyle, int lineWidth);

    PrintSurface *m_surface = nullptr;
    Output m_output = Output::Preview;
    bool m_portrait = true;
    double m_previewScale = 0.6;
    double m_targetWidth = 0;
    double m_targetHeight = 0;
    double m_printPageWidth = 0;
    double m_printPageHeight = 0;
    const QImage *m_picture = nullptr;
    QSize m_pictureSize;
};

} // namespace kemoro::print
