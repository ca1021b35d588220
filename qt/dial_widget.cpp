#include "qt/dial_widget.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPen>
#include <algorithm>

#include "qt/twips.h"

namespace stepdial::qt {
namespace {

QRect AreaOf(const QLineF& line) {
    const int margin = layout::kLine1.widthPixels + 1;
    return QRectF(line.p1(), line.p2()).normalized().toAlignedRect().adjusted(-margin, -margin, margin, margin);
}

}  // namespace

DialWidget::DialWidget(QWidget& parent, const layout::Control& shape, NeedleLine& needle)
    : QWidget(&parent), needle_(needle) {
    setObjectName(QString::fromLatin1(shape.name.data(), qsizetype(shape.name.size())));
    setGeometry(TwipsRect(shape.box));
    // The dial fills its box itself, so a moving needle repaints the dial alone and not
    // the window beneath it too.
    setAttribute(Qt::WA_OpaquePaintEvent);
    needle_.OnMoved([this](const NeedleLine::Points& before) {
        // A tick moves both ends one after the other; one rectangle over all the places
        // the needle stood since the last paint keeps it one paint and one copy to the screen.
        pending_ = pending_.united(AreaOf(Needle(before))).united(AreaOf(Needle(needle_.Get())));
        update(pending_);
    });
}

QRectF DialWidget::Circle() const {
    const double diameter = std::min(width(), height());
    return QRectF((width() - diameter) / 2, (height() - diameter) / 2, diameter, diameter);
}

QLineF DialWidget::NeedleInWindow() const { return TwipsLine(needle_.Get()); }

QLineF DialWidget::Needle(const NeedleLine::Points& line) const { return TwipsLine(line).translated(-pos()); }

void DialWidget::paintEvent(QPaintEvent* event) {
    pending_ = {};
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().window());
    const QColor ink = palette().color(QPalette::WindowText);
    painter.setPen(QPen(ink, 1));
    painter.setBrush(Qt::NoBrush);
    // The one-pixel outline stays inside the box, as the box is the shape's whole extent.
    painter.drawEllipse(Circle().adjusted(0.5, 0.5, -0.5, -0.5));

    painter.setPen(QPen(ink, layout::kLine1.widthPixels, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(Needle(needle_.Get()));
}

}  // namespace stepdial::qt
