#include "sim/timing_strip.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cstdlib>

#include "sim/coil_names.h"
#include "sim/picture.h"

namespace stepdial {
namespace {

// Room between the labels and the field, and between the field's frame and its traces.
constexpr int kLabelGap = 6;
constexpr int kPadding = 3;
// How far a trace's high and low levels stand inside its row.
constexpr int kLevelInset = 3;

QString TraceLabel(int bit) { return CoilName(bit) + u' ' + DataBitName(bit); }

}  // namespace

TimingStrip::TimingStrip(QWidget* parent) : QWidget(parent) {
    setAccessibleName(QStringLiteral("coils A to D over the last %1 writes").arg(kColumns));
    setAccessibleDescription(QStringLiteral(
        "a timing diagram: each coil's trace is high while its data bit is 1, newest write at the right"));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // Every pixel is painted: nothing under the strip needs drawing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    LayOutField();
}

void TimingStrip::Record(std::uint8_t byte) {
    bytes_.push_back(byte);
    if (bytes_.size() > static_cast<std::size_t>(kColumns) + 1) bytes_.pop_front();
    ++written_;
    if (IsCurrent(picture_, *this, field_.size())) {
        QPainter painter(&picture_);
        DrawColumn(painter, 0);
    }
    update(field_);
}

void TimingStrip::LayOutField() {
    labelWidth_ = 0;
    for (int bit = 0; bit < kCoils; ++bit) {
        labelWidth_ = std::max(labelWidth_, fontMetrics().horizontalAdvance(TraceLabel(bit)));
    }
    rowHeight_ = fontMetrics().height() + 2;
    // One pixel of frame around it.
    field_ =
        QRect(labelWidth_ + kLabelGap + 1, 1, kColumns * kColumnWidth, kCoils * rowHeight_ + 2 * kPadding);
}

int TimingStrip::RowTop(int bit) const { return field_.top() + kPadding + bit * rowHeight_; }

QSize TimingStrip::sizeHint() const { return {field_.right() + 2, field_.bottom() + 2}; }

void TimingStrip::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        LayOutField();
        updateGeometry();
    }
    if (event->type() == QEvent::PaletteChange) picture_ = QPixmap();
    QWidget::changeEvent(event);
}

void TimingStrip::DrawColumn(QPainter& painter, int age) {
    ++columnsDrawn_;
    const std::size_t index = bytes_.size() - 1 - static_cast<std::size_t>(age);
    const std::uint8_t byte = bytes_[index];
    const int left = static_cast<int>((written_ - 1 - age) % kColumns) * kColumnWidth;
    painter.fillRect(left, 0, kColumnWidth, field_.height(), palette().base());
    const QColor trace = palette().color(QPalette::Text);
    for (int bit = 0; bit < kCoils; ++bit) {
        const int row = RowTop(bit) - field_.top();
        const int high = row + kLevelInset;
        const int low = row + rowHeight_ - 1 - kLevelInset;
        const auto level = [&](std::uint8_t b) { return (b >> bit) & 1 ? high : low; };
        const int y = level(byte);
        painter.fillRect(left, y, kColumnWidth, 1, trace);
        // A change of level is an edge at the column's left.
        if (index > 0 && level(bytes_[index - 1]) != y) {
            const int from = level(bytes_[index - 1]);
            painter.fillRect(left, std::min(from, y), 1, std::abs(from - y) + 1, trace);
        }
    }
}

void TimingStrip::DrawPicture() {
    picture_ = BlankPicture(*this, field_.size());
    picture_.fill(palette().color(QPalette::Base));
    QPainter painter(&picture_);
    // Columns before the first write stay empty.
    const int shown = static_cast<int>(std::min<long>(written_, kColumns));
    for (int age = 0; age < shown; ++age) DrawColumn(painter, age);
}

void TimingStrip::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect area = event->rect();
    if (!field_.contains(area)) {
        painter.fillRect(rect(), palette().window());
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(field_.adjusted(-1, -1, 0, 0));
        painter.setPen(palette().color(QPalette::WindowText));
        for (int bit = 0; bit < kCoils; ++bit) {
            const QRect row(0, RowTop(bit), labelWidth_, rowHeight_);
            painter.drawText(row, Qt::AlignLeft | Qt::AlignVCenter, TraceLabel(bit));
        }
    }
    if (!IsCurrent(picture_, *this, field_.size())) DrawPicture();
    // The slot the next write takes holds the oldest column on view. The picture's
    // pixels are device pixels: at a scale of 2 there are twice as many.
    const qreal ratio = picture_.devicePixelRatio();
    const int split = static_cast<int>(written_ % kColumns) * kColumnWidth;
    const int older = field_.width() - split;
    const auto piece = [&](int fromX, int toX, int width) {
        painter.drawPixmap(QRectF(toX, field_.top(), width, field_.height()), picture_,
                           QRectF(fromX * ratio, 0, width * ratio, field_.height() * ratio));
    };
    piece(split, field_.left(), older);
    piece(0, field_.left() + older, split);
}

}  // namespace stepdial
