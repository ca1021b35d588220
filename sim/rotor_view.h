#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>
#include <map>

namespace stepdial {

// The rotor seen end-on: a disc with a mark at its angle. 0 degrees points right and
// rising angles turn clockwise, the way the needle of the main window turns, so the
// two can be compared at a glance.
class RotorView : public QWidget {
public:
    // Distinct colours, so that a screenshot can find the disc and read the mark.
    static constexpr QColor kDiscColour{200, 150, 70};
    static constexpr QColor kMarkColour{20, 20, 20};

    explicit RotorView(QWidget* parent = nullptr);

    void SetAngle(double degrees);
    double Angle() const { return degrees_; }

    QSize sizeHint() const override { return {180, 180}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QPointF Centre() const;
    double Radius() const;
    // Where the mark and the hub are drawn at `degrees`, with room for their antialiased edges.
    QRect MarkArea(double degrees) const;
    // The window's background and the disc on it, as the widget shows them without the mark.
    const QPixmap& Disc();
    // The disc with the mark at `turn` over MarkArea(turn). The rotor stands only on whole
    // half steps, so a turn draws each angle's antialiased mark once and then copies it.
    const QPixmap& MarkPicture(double turn);

    double degrees_ = 0.0;
    QPixmap disc_;
    std::map<double, QPixmap> marks_;
};

}  // namespace stepdial
