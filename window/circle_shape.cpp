#include "circle_shape.h"

#include <QPainter>
#include <QPen>
#include <algorithm>

namespace stepdial {

CircleShape::CircleShape(QWidget& parent) : QWidget(&parent) {}

QRectF CircleShape::Circle() const {
    const double diameter = std::min(width(), height());
    return QRectF((width() - diameter) / 2, (height() - diameter) / 2, diameter, diameter);
}

void CircleShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
    painter.setBrush(Qt::NoBrush);
    // The one-pixel outline stays inside the box, as the box is the shape's whole extent.
    painter.drawEllipse(Circle().adjusted(0.5, 0.5, -0.5, -0.5));
}

}  // namespace stepdial
