#pragma once

#include <cstdint>
#include <functional>
#include <utility>

#include "motor/port.h"
#include "sim/virtual_motor.h"

namespace stepdial {

// A parallel port that exists only in memory: its data register at 888 drives a
// VirtualMotor instead of coil drivers.
class SimulatedPort : public Port {
public:
    explicit SimulatedPort(VirtualMotor& motor) : motor_(motor) {}

    // Any address but the data register throws PortError, as a machine whose only
    // port is at 888 would refuse it.
    void Write(std::uint16_t address, std::uint8_t value) override;

    // Called after every accepted write, once the motor has answered it.
    void OnWrite(std::function<void()> listener) { listener_ = std::move(listener); }

private:
    VirtualMotor& motor_;
    std::function<void()> listener_;
};

}  // namespace stepdial
