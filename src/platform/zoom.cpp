#include "platform/zoom.h"

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace kemoro::ui {

double chooseZoom(QSize available)
{
    const double across = double(available.width() - windowFrameAllowance.width()) / designSize.width();
    const double down = double(available.height() - windowFrameAllowance.height()) / designSize.height();
    const double fits = std::min({across, down, maxAutoZoom});
    // Steps of 1/20 keep the twips grid's rounding even across a screen;
    // a screen too small for half the design still gets the smallest factor.
    return std::max(minZoom, std::floor(fits * 20 + 1e-9) / 20);
}

ZoomOption parseZoom(const QString &text)
{
    if (text == u"auto"_s) return {};
    bool ok = false;
    const double factor = text.toDouble(&ok);
    if (!ok || !std::isfinite(factor) || factor < minZoom || factor > maxZoom)
        return {std::nullopt, u"--zoom takes auto or a factor from 0.5 to 3, not \""_s + text + u'"'};
    return {factor, {}};
}

QPoint centredPosition(QSize size, QSize frame, QRect available)
{
    const QSize whole = size + frame;
    const int left = available.left() + (available.width() - whole.width()) / 2;
    const int top = available.top() + (available.height() - whole.height()) / 2;
    return {std::max(available.left(), left), std::max(available.top(), top)};
}

} // namespace kemoro::ui
