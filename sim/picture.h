#pragma once

#include <QImage>
#include <QPixmap>
#include <QSizeF>
#include <QWidget>
#include <utility>

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
// window. It is opaque whatever the screen's format: a Wayland screen's has alpha, and a
// picture with alpha is blended onto the window pixel by pixel at every copy, where an
// opaque one is copied line by line.
inline QPixmap BlankPicture(const QWidget& widget, QSizeF size) {
    const qreal ratio = widget.devicePixelRatioF();
    QImage opaque((size * ratio).toSize(), QImage::Format_RGB32);
    opaque.setDevicePixelRatio(ratio);
    QPixmap picture = QPixmap::fromImage(std::move(opaque), Qt::NoFormatConversion);
    picture.fill(widget.palette().color(widget.backgroundRole()));
    return picture;
}

}  // namespace stepdial
