#include "caption_label.h"

#include <QFont>
#include <QPainter>
#include <QTextOption>

#include "twips.h"

namespace stepdial {

CaptionLabel::CaptionLabel(QWidget& parent, const layout::Control& design)
    : QWidget(&parent), caption_(QString::fromUtf8(design.text.data(), qsizetype(design.text.size()))) {
    setObjectName(QString::fromLatin1(design.name.data(), qsizetype(design.name.size())));
    setGeometry(TwipsRect(design.box));
    if (design.font) {
        // Culmus provides "David" on Linux (as an alias of David CLM).
        QFont font(QString::fromLatin1(design.font->family.data(), qsizetype(design.font->family.size())));
        font.setPointSizeF(design.font->points);
        font.setWeight(QFont::Weight(design.font->weight));
        setFont(font);
    }
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
