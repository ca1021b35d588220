#include "sim/coil_lamp.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "sim/coil_names.h"
#include "sim/picture.h"

namespace stepdial {
namespace {

constexpr int kLampDiameter = 22;

}  // namespace

CoilLamp::CoilLamp(const QString& coil, int bit, QWidget* parent)
    : QWidget(parent), caption_(coil + u'\n' + DataBitName(bit)), bit_(bit) {
    setAccessibleName(QStringLiteral("coil %1, data bit %2").arg(coil).arg(bit));
    // A lamp that goes on or off repaints its lamp alone, from a picture drawn once, and
    // neither its caption nor the window beneath.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CoilLamp::SetLit(bool lit) {
    if (lit == lit_) return;
    lit_ = lit;
    update(LampArea());
}

QSize CoilLamp::sizeHint() const {
    const QFontMetrics metrics(font());
    const int textHeight = 2 * metrics.lineSpacing();
    const int width = std::max(kLampDiameter, metrics.horizontalAdvance(DataBitName(0))) + 12;
    return {width, kLampDiameter + 6 + textHeight + 4};
}

QRect CoilLamp::Lamp() const { return {(width() - kLampDiameter) / 2, 2, kLampDiameter, kLampDiameter}; }

QRect CoilLamp::LampArea() const { return Lamp().adjusted(-2, -2, 2, 2); }

const QPixmap& CoilLamp::LampPicture(bool lit) {
    QPixmap& picture = pictures_[lit];
    const QRect area = LampArea();
    if (IsCurrent(picture, *this, area.size())) return picture;
    // Moved by whole pixels, the lamp rasterises as it would straight onto the window.
    picture = BlankPicture(*this, area.size());
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(60, 60, 60), 1.5));
    painter.setBrush(lit ? QColor(255, 170, 0) : QColor(90, 90, 90));
    painter.drawEllipse(Lamp().translated(-area.topLeft()));
    return picture;
}

void CoilLamp::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) pictures_ = {};
    QWidget::changeEvent(event);
}

void CoilLamp::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().window());
    const QRect area = LampArea();
    if (event->rect().intersects(area)) painter.drawPixmap(area.topLeft(), LampPicture(lit_));

    const QRect text(0, Lamp().bottom() + 6, width(), height() - Lamp().bottom() - 6);
    // Laying the caption out is most of a lamp's painting; a lamp switching skips it.
    if (!event->rect().intersects(text)) return;
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(text, Qt::AlignHCenter | Qt::AlignTop, caption_);
}

}  // namespace stepdial
