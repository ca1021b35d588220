#include "rotor_view.h"

#include <QLineF>
#include <QPainter>
#include <algorithm>

namespace stepdial {

RotorView::RotorView(QWidget* parent) : QWidget(parent) {
    setMinimumSize(120, 120);
    setAccessibleName(QStringLiteral("rotor"));
}

void RotorView::SetAngle(double degrees) {
    if (degrees == degrees_) return;
    degrees_ = degrees;
    update();
}

void RotorView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    const QPointF centre(width() / 2.0, height() / 2.0);
    const double radius = std::min(width(), height()) / 2.0 - 6.0;

    painter.setPen(QPen(QColor(70, 50, 20), 2.0));
    painter.setBrush(kDiscColour);
    painter.drawEllipse(centre, radius, radius);

    // Screen y grows downward, so QLineF's counter-clockwise angle is negated to make
    // rising angles turn clockwise. The mark stops short of the rim to keep the disc's
    // outline whole.
    QLineF mark = QLineF::fromPolar(radius * 0.85, -degrees_);
    mark.translate(centre);
    painter.setPen(QPen(kMarkColour, 5.0, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(mark);

    painter.setPen(Qt::NoPen);
    painter.setBrush(kMarkColour);
    painter.drawEllipse(centre, 5.0, 5.0);
}

}  // namespace stepdial
