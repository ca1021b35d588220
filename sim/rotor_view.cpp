#include "sim/rotor_view.h"

#include <QEvent>
#include <QLineF>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "sim/picture.h"

namespace stepdial {
namespace {

constexpr double kMarkWidth = 5.0;
constexpr double kHubRadius = 5.0;

// Screen y grows downward, so QLineF's counter-clockwise angle is negated to make rising
// angles turn clockwise. The mark stops short of the rim to keep the disc's outline whole.
QLineF Mark(QPointF centre, double radius, double degrees) {
    QLineF mark = QLineF::fromPolar(radius * 0.85, -degrees);
    mark.translate(centre);
    return mark;
}

// The angle within one turn: every turn draws the same mark.
double Turn(double degrees) {
    const double turn = std::fmod(degrees, 360.0);
    return turn < 0 ? turn + 360.0 : turn;
}

}  // namespace

RotorView::RotorView(QWidget* parent) : QWidget(parent) {
    setMinimumSize(120, 120);
    setAccessibleName(QStringLiteral("rotor"));
    // The disc's picture covers the whole widget, background included, so a turn repaints
    // only the old and the new mark and nothing beneath them.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void RotorView::SetAngle(double degrees) {
    if (degrees == degrees_) return;
    const QRect before = MarkArea(Turn(degrees_));
    degrees_ = degrees;
    update(before.united(MarkArea(Turn(degrees_))));
}

QPointF RotorView::Centre() const { return {width() / 2.0, height() / 2.0}; }

double RotorView::Radius() const { return std::min(width(), height()) / 2.0 - 6.0; }

QRect RotorView::MarkArea(double degrees) const {
    const QLineF mark = Mark(Centre(), Radius(), degrees);
    // Half the pen, the hub, and a pixel of antialiasing on each side.
    const int margin = static_cast<int>(std::ceil(std::max(kMarkWidth / 2, kHubRadius))) + 2;
    return QRectF(mark.p1(), mark.p2()).normalized().toAlignedRect().adjusted(-margin, -margin, margin, margin);
}

const QPixmap& RotorView::Disc() {
    if (IsCurrent(disc_, *this, size())) return disc_;
    marks_.clear();
    disc_ = BlankPicture(*this, size());
    QPainter painter(&disc_);
    painter.setRenderHint(QPainter::Antialiasing);
    const double radius = Radius();
    painter.setPen(QPen(QColor(70, 50, 20), 2.0));
    painter.setBrush(kDiscColour);
    painter.drawEllipse(Centre(), radius, radius);
    return disc_;
}

const QPixmap& RotorView::MarkPicture(double turn) {
    const QPixmap& disc = Disc();
    QPixmap& picture = marks_[turn];
    if (!picture.isNull()) return picture;
    const QRect area = MarkArea(turn);
    const qreal ratio = disc.devicePixelRatio();
    picture = disc.copy(QRectF(QPointF(area.topLeft()) * ratio, QSizeF(area.size()) * ratio).toAlignedRect());
    picture.setDevicePixelRatio(ratio);
    // Moved by whole pixels, the mark rasterises as it would straight onto the disc.
    QPainter painter(&picture);
    painter.translate(-area.topLeft());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kMarkColour, kMarkWidth, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(Mark(Centre(), Radius(), turn));

    painter.setPen(Qt::NoPen);
    painter.setBrush(kMarkColour);
    painter.drawEllipse(Centre(), kHubRadius, kHubRadius);
    return picture;
}

void RotorView::resizeEvent(QResizeEvent*) { disc_ = QPixmap(); }

void RotorView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) disc_ = QPixmap();
    QWidget::changeEvent(event);
}

void RotorView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, Disc());
    const double turn = Turn(degrees_);
    painter.drawPixmap(MarkArea(turn).topLeft(), MarkPicture(turn));
}

}  // namespace stepdial
