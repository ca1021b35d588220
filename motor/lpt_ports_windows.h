#pragma once

#include "motor/lpt_choice.h"

namespace stepdial {

// The parallel ports Plug and Play lists in Windows' Ports class, each with the first I/O
// range it allocated to it, or Windows' reason when it cannot list them.
LptListing ListLptPorts();

}  // namespace stepdial
