#include "motor/port.h"
#include "ports/port_survey.h"

namespace stepdial {

// The port library writes to LPT1's address and cannot find a card's port elsewhere.
std::vector<ParallelPortFound> ListParallelPorts() { return {{"LPT1", kDataRegister, true}}; }

}  // namespace stepdial
