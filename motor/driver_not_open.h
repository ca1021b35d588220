#pragma once

#include <cstdint>
#include <string_view>

#include "motor/driver_reason.h"
#include "motor/port_error.h"

namespace stepdial {

// The PortError of a port library whose driver is not open: Windows' own code for the
// driver's service, its name, and the advice that fits what Windows records.
PortError DriverNotOpenError(std::uint16_t address, std::string_view device, const DriverFacts& facts);

}  // namespace stepdial
