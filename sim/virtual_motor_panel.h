#pragma once

#include <QPointer>
#include <QWidget>
#include <array>

#include "sim/coil_lamp.h"
#include "sim/coil_names.h"
#include "sim/readout_text.h"
#include "sim/rotor_view.h"
#include "sim/simulated_port.h"
#include "sim/timing_strip.h"
#include "sim/virtual_motor.h"

namespace stepdial {

// The "Virtual motor" window: what the coils receive, where the rotor stands, and the
// coil lines over the last writes, brought up to date after every write to the simulated
// port. It only shows; closing it leaves the program running.
class VirtualMotorPanel : public QWidget {
public:
    // Listens to `port` until destroyed; `motor` is the one the port drives.
    VirtualMotorPanel(const VirtualMotor& motor, SimulatedPort& port, QWidget* parent = nullptr);
    ~VirtualMotorPanel() override;

    VirtualMotorPanel(const VirtualMotorPanel&) = delete;
    VirtualMotorPanel& operator=(const VirtualMotorPanel&) = delete;

    // Copies the motor's state into the lamps, texts and rotor.
    void Refresh();

    // Places the panel beside `form` now and again whenever the form moves or changes
    // size while the panel is open: a window manager places and frames a new window only
    // after it is shown, often somewhere else than where it was created.
    void KeepBeside(QWidget& form);

    const std::array<CoilLamp*, kCoils>& Lamps() const { return lamps_; }
    const RotorView& Rotor() const { return *rotor_; }
    const TimingStrip& Strip() const { return *strip_; }
    QString ByteText() const { return byte_->Text(); }
    // "writes 13  steps 12  stalls 0"
    QString CountsText() const;
    QString RotorAngleCaption() const { return angle_->Text(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const VirtualMotor& motor_;
    SimulatedPort& port_;
    std::array<CoilLamp*, kCoils> lamps_{};
    ReadoutText* byte_;
    ReadoutText* angle_;
    // Writes, steps and stalls, in columns under their names.
    std::array<ReadoutText*, 3> counts_{};
    RotorView* rotor_;
    TimingStrip* strip_;
    QPointer<QWidget> form_;
};

// Puts `panel` right of `form`'s frame without covering it; on a screen too narrow for
// that it goes left of the form, and failing both it is kept on the screen.
void PlaceBeside(QWidget& panel, const QWidget& form);

}  // namespace stepdial
