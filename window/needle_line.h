#pragma once

#include <QLineF>
#include <QWidget>

#include "dial.h"

namespace stepdial {

// A straight line drawn 4 pixels wide in the window's text colour. It covers its parent
// and lets every mouse click through, so it can lie over the dial and the controls and
// show nothing but the line.
class NeedleLine : public QWidget, public LineControl {
public:
    // Start and end point in twips of the parent's client area.
    NeedleLine(QWidget& parent, float x1, float y1, float x2, float y2);

    float X1() const override { return x1_; }
    float Y1() const override { return y1_; }
    float X2() const { return x2_; }
    float Y2() const { return y2_; }
    void SetX2(float x2) override;
    void SetY2(float y2) override;

    // The line in logical pixels of the parent.
    QLineF PixelLine() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Only the old and the new line are repainted, not the whole window.
    void RepaintAround(const QLineF& before);

    float x1_, y1_, x2_, y2_;
};

}  // namespace stepdial
