#pragma once

#include "platform/printsurface.h"

#include <QList>

namespace kemoro::test {

// A surface that only remembers what was drawn on it, with the state each
// operation was drawn in.
class RecordingSurface final : public PrintSurface
{
public:
    enum class Kind { Text, Line, Point, NewPage };
    struct Op
    {
        Kind kind;
        QPointF from, to;
        QString text;
        Rgb colour;
        double lineWidth;
        double fontSize;
    };

    explicit RecordingSurface(QSizeF size = QSizeF(12000, 9000)) : m_size(size) {}

    QSizeF pageSize() const override { return m_size; }
    QRectF printableRect() const override { return QRectF(QPointF(0, 0), m_size); }
    double twipsPerDevicePixel() const override { return 15; }
    double textWidth(const QString &text) const override { return text.size() * fontSize() * 10; }
    double textHeight() const override { return fontSize() * 20; }
    bool newPage() override
    {
        ops.append({Kind::NewPage, {}, {}, {}, colour(), lineWidth(), fontSize()});
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
    // The first text op showing exactly `text`; kind NewPage when there is none.
    Op textOp(const QString &text) const
    {
        for (const Op &op : ops)
            if (op.kind == Kind::Text && op.text == text) return op;
        return {Kind::NewPage, {}, {}, {}, {}, 0, 0};
    }

protected:
    void drawText(QPointF topLeft, const QString &text) override
    {
        ops.append({Kind::Text, topLeft, topLeft, text, colour(), lineWidth(), fontSize()});
    }
    void drawLine(QPointF from, QPointF to) override
    {
        ops.append({Kind::Line, from, to, {}, colour(), lineWidth(), fontSize()});
    }
    void drawPoint(QPointF at) override
    {
        ops.append({Kind::Point, at, at, {}, colour(), lineWidth(), fontSize()});
    }

private:
    QSizeF m_size;
};

} // namespace kemoro::test
