#include "needle_line.h"

#include <QEvent>
#include <QPainter>
#include <QPen>

#include "twips.h"

namespace stepdial {
namespace {

constexpr int kWidthPixels = 4;

QRect AreaOf(const QLineF& line) {
    const int margin = kWidthPixels + 1;
    return QRectF(line.p1(), line.p2()).normalized().toAlignedRect().adjusted(-margin, -margin, margin, margin);
}

}  // namespace

NeedleLine::NeedleLine(QWidget& parent, float x1, float y1, float x2, float y2)
    : QWidget(&parent), x1_(x1), y1_(y1), x2_(x2), y2_(y2) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(parent.rect());
    // The window can be resized; the line keeps its place but must still cover the window.
    parent.installEventFilter(this);
}

bool NeedleLine::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize) setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

QLineF NeedleLine::PixelLine() const {
    return QLineF(TwipsToPixels(double{x1_}), TwipsToPixels(double{y1_}), TwipsToPixels(double{x2_}),
                  TwipsToPixels(double{y2_}));
}

void NeedleLine::SetX2(float x2) {
    const QLineF before = PixelLine();
    x2_ = x2;
    RepaintAround(before);
}

void NeedleLine::SetY2(float y2) {
    const QLineF before = PixelLine();
    y2_ = y2;
    RepaintAround(before);
}

void NeedleLine::RepaintAround(const QLineF& before) {
    update(AreaOf(before).united(AreaOf(PixelLine())));
}

void NeedleLine::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::WindowText), kWidthPixels, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(PixelLine());
}

}  // namespace stepdial
