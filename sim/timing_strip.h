#pragma once

#include <QPixmap>
#include <QWidget>
#include <chrono>
#include <cstdint>
#include <deque>

#include "motor/tick_period.h"

namespace stepdial {

// The coil lines over time, as a logic analyser shows them: one trace per coil, high
// while its data bit is 1, one column per write, the newest at the right. Two seconds of
// ticks are on view, enough to read the sequence and its direction at a glance.
class TimingStrip : public QWidget {
public:
    static constexpr int kColumns = std::chrono::seconds(2) / kTickPeriod;
    static constexpr int kColumnWidth = 2;

    explicit TimingStrip(QWidget* parent = nullptr);

    // Adds the byte as the newest column; the older ones move one column left.
    void Record(std::uint8_t byte);

    // The traces' field: kColumns columns, the traces of coils A to D from top to bottom.
    QRect Field() const { return field_; }

    QSize sizeHint() const override;

    // How many columns the strip has drawn since it was made: one per write while its
    // picture stays good, however the window system copies the picture to the screen.
    long ColumnsDrawn() const { return columnsDrawn_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Measures the labels and places the field beside them; a write only reads the result.
    void LayOutField();
    int RowTop(int bit) const;
    // The column of the write `age` writes ago, in its slot of the picture.
    void DrawColumn(QPainter& painter, int age);
    void DrawPicture();

    int labelWidth_ = 0;
    int rowHeight_ = 0;
    QRect field_;

    // The columns on view and the one before the oldest, which decides whether the
    // oldest begins with an edge; oldest first.
    std::deque<std::uint8_t> bytes_;
    // The field's traces as a ring of column slots: write number n is drawn once, into
    // slot n % kColumns, and a paint copies the ring to the screen in two pieces, oldest
    // first. Moving the picture on the screen instead (QWidget::scroll) repaints the
    // whole field at every write where the backing store cannot scroll, as on Wayland.
    QPixmap picture_;
    long written_ = 0;
    long columnsDrawn_ = 0;
};

}  // namespace stepdial
