#pragma once

#include <QPixmap>
#include <QSizeF>
#include <QWidget>

namespace stepdial {

// The Virtual motor's parts are drawn once into pictures and copied to the screen at each
// write. A picture stays good while the widget's pixel ratio and the picture's size stay
// as they were.
inline bool IsCurrent(const QPixmap& picture, const QWidget& widget, QSizeF size) {
    return !picture.isNull() && picture.devicePixelRatio() == widget.devicePixelRatioF() &&
           picture.deviceIndependentSize() == size;
}

// A blank picture of `size` at the widget's pixel ratio, on the window's own background:
// antialiased edges drawn on it come out exactly as they would drawn straight onto the
// window.
inline QPixmap BlankPicture(const QWidget& widget, QSizeF size) {
    const qreal ratio = widget.devicePixelRatioF();
    QPixmap picture((size * ratio).toSize());
    picture.setDevicePixelRatio(ratio);
    picture.fill(widget.palette().color(widget.backgroundRole()));
    return picture;
}

}  // namespace stepdial
