#include "caption_label.h"

#include <QFont>
#include <QPainter>
#include <QTextOption>

namespace stepdial {

CaptionLabel::CaptionLabel(QWidget& parent, const QString& caption, double pointSize)
    : QWidget(&parent), caption_(caption) {
    // Culmus provides "David" on Linux (as an alias of David CLM).
    QFont font(QStringLiteral("David"));
    font.setPointSizeF(pointSize);
    font.setWeight(QFont::Bold);
    setFont(font);
}

void CaptionLabel::SetCaption(const std::string& caption) {
    const QString text = QString::fromStdString(caption);
    if (text == caption_) return;
    caption_ = text;
    update();
}

void CaptionLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    QTextOption option(Qt::AlignLeft | Qt::AlignTop);
    option.setTextDirection(Qt::LeftToRight);
    option.setWrapMode(QTextOption::NoWrap);
    painter.drawText(QRectF(rect()), caption_, option);
}

}  // namespace stepdial
