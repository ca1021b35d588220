#pragma once

#include <QLineF>
#include <QRect>

#include "core/dial.h"
#include "core/layout.h"

namespace stepdial::qt {

// Qt lays the window out in logical pixels at 96 dpi and maps them to the screen's
// device pixels itself on high-density screens.
inline QRect TwipsRect(const layout::Box& box) {
    using layout::TwipsToPixels;
    return QRect(TwipsToPixels(box.left), TwipsToPixels(box.top), TwipsToPixels(box.width),
                 TwipsToPixels(box.height));
}

inline QLineF TwipsLine(const NeedleLine::Points& line) {
    using layout::TwipsToPixels;
    return QLineF(TwipsToPixels(double{line.x1}), TwipsToPixels(double{line.y1}), TwipsToPixels(double{line.x2}),
                  TwipsToPixels(double{line.y2}));
}

}  // namespace stepdial::qt
