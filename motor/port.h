#pragma once

#include <cstdint>

namespace stepdial {

// The port-write operation. The caller relies on the value standing on the port's
// data lines when Write returns; a write that cannot be made throws PortError.
class Port {
public:
    virtual ~Port() = default;
    virtual void Write(std::uint16_t address, std::uint8_t value) = 0;
};

}  // namespace stepdial
