#pragma once

#include <QWidget>

namespace stepdial {

// A circle outline centred in its box, its diameter the box's smaller side, no fill.
class CircleShape : public QWidget {
public:
    explicit CircleShape(QWidget& parent);

    // The circle in the widget's own logical pixels.
    QRectF Circle() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace stepdial
