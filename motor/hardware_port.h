#pragma once

#include <memory>
#include <string>

#include "port.h"

namespace stepdial {

// The parallel port of this machine. It binds to the hardware (driver, device or
// library) at its first write and keeps that binding for every later write; a port
// that cannot be bound throws PortError from that first write.
class HardwarePort : public Port {
public:
    // What the first write bound to (a device path, a library), empty before it.
    virtual std::string BoundTo() const = 0;
};

// The backend of this platform, chosen at build time.
std::unique_ptr<HardwarePort> MakeHardwarePort();

}  // namespace stepdial
