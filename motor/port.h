#pragma once

#include <cstdint>

namespace stepdial {

// The data register of the first parallel port (LPT1), whose bits 0 to 3 drive the
// motor's coils: 888, 0x378 in the BIOS setup's and the cards' jumpers' notation.
inline constexpr std::uint16_t kDataRegister = 888;

// The port-write operation. The caller relies on the value standing on the port's
// data lines when Write returns; a write that cannot be made throws PortError.
class Port {
public:
    virtual ~Port() = default;
    virtual void Write(std::uint16_t address, std::uint8_t value) = 0;
};

}  // namespace stepdial
