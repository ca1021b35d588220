#pragma once

#include <QLineF>
#include <QWidget>

#include "core/dial.h"
#include "core/layout.h"

namespace stepdial::qt {

// Shape1 and Line1: the dial's circle outline, centred in its box with the box's smaller
// side as its diameter and no fill, and the needle over it, drawn 4 pixels wide. The
// needle swings inside the box, so the dial draws it itself and a tick repaints only the
// old and the new needle.
class DialWidget : public QWidget {
public:
    DialWidget(QWidget& parent, const layout::Control& shape, NeedleLine& needle);

    // The circle in the widget's own logical pixels.
    QRectF Circle() const;
    // The needle in logical pixels of the window.
    QLineF NeedleInWindow() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The needle in the widget's own logical pixels.
    QLineF Needle(const NeedleLine::Points& line) const;

    NeedleLine& needle_;
    QRect pending_;
};

}  // namespace stepdial::qt
