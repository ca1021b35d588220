#include "coil_lamp.h"

#include <QPainter>
#include <algorithm>

namespace stepdial {
namespace {

constexpr int kLampDiameter = 22;

}  // namespace

CoilLamp::CoilLamp(const QString& coil, int bit, QWidget* parent)
    : QWidget(parent), caption_(QStringLiteral("%1\nbit %2").arg(coil).arg(bit)), bit_(bit) {
    setAccessibleName(QStringLiteral("coil %1, data bit %2").arg(coil).arg(bit));
}

void CoilLamp::SetLit(bool lit) {
    if (lit == lit_) return;
    lit_ = lit;
    update();
}

QSize CoilLamp::sizeHint() const {
    const QFontMetrics metrics(font());
    const int textHeight = 2 * metrics.lineSpacing();
    const int width = std::max(kLampDiameter, metrics.horizontalAdvance(QStringLiteral("bit 0"))) + 12;
    return {width, kLampDiameter + 6 + textHeight + 4};
}

void CoilLamp::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    const QRect lamp((width() - kLampDiameter) / 2, 2, kLampDiameter, kLampDiameter);
    painter.setPen(QPen(QColor(60, 60, 60), 1.5));
    painter.setBrush(lit_ ? QColor(255, 170, 0) : QColor(90, 90, 90));
    painter.drawEllipse(lamp);

    painter.setPen(palette().color(QPalette::WindowText));
    const QRect text(0, lamp.bottom() + 6, width(), height() - lamp.bottom() - 6);
    painter.drawText(text, Qt::AlignHCenter | Qt::AlignTop, caption_);
}

}  // namespace stepdial
