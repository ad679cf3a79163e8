#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <optional>

namespace kemoro::ui {

// Every screen is designed for 1024 x 768 pixels; the whole program is drawn
// larger or smaller by one factor, chosen once at start.
inline constexpr QSize designSize{1024, 768};
inline constexpr double maxAutoZoom = 2.0;
inline constexpr double minZoom = 0.5;
inline constexpr double maxZoom = 3.0;
// What a window manager adds around a window: the side borders and the title
// bar with the bottom border. A window not yet shown has no frame to measure.
inline constexpr QSize windowFrameAllowance{8, 32};

// The largest factor, at most 2 and in steps of 1/20, at which a design-sized
// window with its frame fits `available` (the screen less its panels).
double chooseZoom(QSize available);

// "--zoom" takes "auto" or a factor from 0.5 to 3; nullopt means auto.
struct ZoomOption
{
    std::optional<double> factor;
    QString error; // set when the text is neither
};
ZoomOption parseZoom(const QString &text);

// Where a window of `size` (its frame not counted) goes so that it and its
// frame sit centred in `available`; a window larger than the area keeps its
// title bar on the screen.
QPoint centredPosition(QSize size, QSize frame, QRect available);

} // namespace kemoro::ui
