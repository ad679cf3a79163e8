#pragma once

#include "platform/printsurface.h"

#include <QList>

namespace kemoro::test {

// A surface that remembers every text, line, rectangle and picture with the
// settings it was drawn in. Every character is a square one font size wide,
// so wraps are easy to work out by hand.
class EngineSurface final : public PrintSurface
{
public:
    enum class Kind { Text, Line, Rect, Picture, Clear };
    struct Op
    {
        Kind kind;
        QRectF at; // text: its top left; line: from top left to bottom right
        QString text;
        Rgb colour;
        double lineWidth = 0;
        double fontSize = 0;
        int fillStyle = 0;
        Rgb fillColour;
    };

    explicit EngineSurface(QSizeF size) : m_size(size) {}

    QSizeF pageSize() const override { return m_size; }
    QRectF printableRect() const override { return QRectF(QPointF(0, 0), m_size); }
    double twipsPerDevicePixel() const override { return 15; }
    double textWidth(const QString &text) const override { return text.size() * fontSize() * 20; }
    double textHeight() const override { return fontSize() * 20; }
    bool newPage() override
    {
        record(Kind::Clear, {}, {});
        return true;
    }
    bool end() override { return true; }
    void discard() override {}

    QList<Op> ops;

    QList<Op> of(Kind kind) const
    {
        QList<Op> found;
        for (const Op &op : ops)
            if (op.kind == kind) found.append(op);
        return found;
    }
    QStringList texts() const
    {
        QStringList found;
        for (const Op &op : of(Kind::Text))
            found.append(op.text);
        return found;
    }

protected:
    void drawText(QPointF topLeft, const QString &text) override
    {
        record(Kind::Text, QRectF(topLeft, topLeft), text);
    }
    void drawLine(QPointF from, QPointF to) override { record(Kind::Line, QRectF(from, to), {}); }
    void drawPoint(QPointF) override {}
    void drawRectangle(QRectF box) override { record(Kind::Rect, box, {}); }
    void drawPicture(QRectF box, const QImage &) override { record(Kind::Picture, box, {}); }

private:
    void record(Kind kind, QRectF at, const QString &text)
    {
        ops.append({kind, at, text, colour(), lineWidth(), fontSize(), fillStyle(), fillColour()});
    }
    QSizeF m_size;
};

} // namespace kemoro::test
