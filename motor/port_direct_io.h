#pragma once

#include <cstdint>

#include "port.h"

namespace stepdial {

// A parallel port by direct x86 port I/O (ioperm + outb), for machines where no
// kernel parport driver has the address. Needs root (CAP_SYS_RAWIO) and is refused
// under Secure Boot lockdown.
class DirectIoPort : public Port {
public:
    // Gains access to the data register; throws PortError when refused.
    explicit DirectIoPort(std::uint16_t address);

    // The first write is checked: a port answers by echoing its data register, an
    // absent one does not, and a write into nothing must never pass for a step.
    void Write(std::uint16_t address, std::uint8_t value) override;

private:
    std::uint16_t address_;
    bool answered_ = false;
};

}  // namespace stepdial
