#pragma once

#include <memory>

#include "motor/port.h"
#include "ports/port_choice.h"

namespace stepdial {

// The motor's port as the operator chose it: the parallel port by the program's own rule
// (MakeHardwarePort), or the chosen USB board. Both front ends open their port here.
std::unique_ptr<Port> OpenChosenPort(const PortChoice& choice);

}  // namespace stepdial
