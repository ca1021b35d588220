#include "sim/readout_text.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <algorithm>

#include "sim/picture.h"

namespace stepdial {

ReadoutText::ReadoutText(QWidget* parent, int columns, Qt::Alignment alignment)
    : QWidget(parent),
      cells_(columns, u' '),
      columns_(columns),
      alignment_(alignment) {
    // The cells' pictures cover the whole widget, so a changed cell repaints neither the
    // window beneath nor the cells beside it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    cellWidth_ = std::max(1, fontMetrics().maxWidth());
    setFixedSize(sizeHint());
}

void ReadoutText::Show(const QString& text) {
    if (text == text_) return;
    text_ = text;
    setAccessibleName(text);
    if (text.size() > columns_) {
        columns_ = static_cast<int>(text.size());
        cells_ = InCells(text);
        setFixedSize(sizeHint());
        update();
        return;
    }
    const QString cells = InCells(text);
    QRegion changed;
    for (int column = 0; column < columns_; ++column) {
        if (cells[column] != cells_[column]) changed += Cell(column);
    }
    cells_ = cells;
    update(changed);
}

QString ReadoutText::InCells(const QString& text) const {
    return alignment_ & Qt::AlignRight ? text.rightJustified(columns_, u' ')
                                       : text.leftJustified(columns_, u' ');
}

QSize ReadoutText::sizeHint() const { return {columns_ * cellWidth_, fontMetrics().height()}; }

const QPixmap& ReadoutText::Picture(QChar character) {
    const QSize cell(cellWidth_, height());
    auto picture = pictures_.find(character);
    if (picture != pictures_.end() && IsCurrent(*picture, *this, cell)) return *picture;

    QPixmap drawn = BlankPicture(*this, cell);
    QPainter painter(&drawn);
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QRect(QPoint(), cell), Qt::AlignLeft | Qt::AlignVCenter, QString(character));
    return *pictures_.insert(character, drawn);
}

void ReadoutText::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        cellWidth_ = std::max(1, fontMetrics().maxWidth());
        setFixedSize(sizeHint());
    }
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange) pictures_.clear();
    QWidget::changeEvent(event);
}

void ReadoutText::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    for (const QRect& area : event->region()) {
        const int first = area.left() / cellWidth_;
        const int last = std::min(columns_ - 1, area.right() / cellWidth_);
        for (int column = first; column <= last; ++column) {
            painter.drawPixmap(Cell(column).topLeft(), Picture(cells_[column]));
        }
    }
}

}  // namespace stepdial
