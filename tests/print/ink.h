#pragma once

#include <QImage>
#include <QList>
#include <QRect>

namespace kemoro::test {

// Where a grey page has ink: pixels darker than `threshold`.
inline QRect inkBox(const QImage &page, int threshold = 200)
{
    const QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
    QRect box;
    for (int y = 0; y < grey.height(); ++y) {
        const uchar *line = grey.constScanLine(y);
        for (int x = 0; x < grey.width(); ++x)
            if (line[x] < threshold) box |= QRect(x, y, 1, 1);
    }
    return box;
}

// Rows of the page where more than half the width is ink, grouped into runs;
// each run's middle row.
inline QList<double> ruleRows(const QImage &page, int threshold = 200)
{
    const QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
    QList<double> rules;
    int runStart = -1;
    for (int y = 0; y <= grey.height(); ++y) {
        int ink = 0;
        if (y < grey.height()) {
            const uchar *line = grey.constScanLine(y);
            for (int x = 0; x < grey.width(); ++x)
                ink += line[x] < threshold;
        }
        const bool rule = ink > grey.width() / 2;
        if (rule && runStart < 0) runStart = y;
        if (!rule && runStart >= 0) {
            rules.append((runStart + y - 1) / 2.0);
            runStart = -1;
        }
    }
    return rules;
}

} // namespace kemoro::test
