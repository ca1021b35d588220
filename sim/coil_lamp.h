#pragma once

#include <QString>
#include <QWidget>

namespace stepdial {

// One coil driver's indicator: lit while its data bit is 1, labelled with the coil and
// the bit so a wiring fault can be traced to a pin.
class CoilLamp : public QWidget {
public:
    CoilLamp(const QString& coil, int bit, QWidget* parent = nullptr);

    void SetLit(bool lit);
    bool IsLit() const { return lit_; }
    int Bit() const { return bit_; }
    QString Caption() const { return caption_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
    int bit_;
    bool lit_ = false;
};

}  // namespace stepdial
