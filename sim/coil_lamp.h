#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>
#include <array>

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
    void changeEvent(QEvent* event) override;

private:
    QRect Lamp() const;
    // The lamp and the background around its antialiased rim.
    QRect LampArea() const;
    // The lamp as drawn when lit (1) or dark (0), background included.
    const QPixmap& LampPicture(bool lit);

    QString caption_;
    int bit_;
    bool lit_ = false;
    std::array<QPixmap, 2> pictures_;
};

}  // namespace stepdial
