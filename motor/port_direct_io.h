#pragma once

#include <cstdint>

#include "motor/port.h"
#include "motor/port_error.h"

namespace stepdial {

// A parallel port by direct x86 port I/O (ioperm + outb), for machines where no
// kernel parport driver has the address. Needs root (CAP_SYS_RAWIO) and is refused
// under Secure Boot lockdown.
class DirectIoPort : public Port {
public:
    // Gains access to the data, status and control registers; throws PortError when
    // refused.
    explicit DirectIoPort(std::uint16_t address);

    // The first write is checked: a port answers by echoing its data register, an
    // absent one does not, and a write into nothing must never pass for a step.
    void Write(std::uint16_t address, std::uint8_t value) override;

private:
    std::uint16_t address_;
    bool answered_ = false;
};

// Why the data register at `address` did not echo a write, judged from what its control
// register (address + 2) reads: the data lines set as inputs, or no port at all.
PortError NoEchoError(std::uint16_t address, std::uint8_t control);

}  // namespace stepdial
