#pragma once

#include <memory>

#include "motor/port.h"

namespace stepdial {

// The parallel port of this machine, through the backend chosen at build time. It binds
// to the hardware (driver, device or library) at its first write and keeps that binding
// for every later write; a port that cannot be bound throws PortError from that write.
std::unique_ptr<Port> MakeHardwarePort();

}  // namespace stepdial
