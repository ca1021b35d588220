#include "motor/parport_lookup.h"
#include "motor/port.h"
#include "ports/port_survey.h"

namespace stepdial {

std::vector<ParallelPortFound> ListParallelPorts() {
    const auto used = ChooseParport(kDataRegister);
    std::vector<ParallelPortFound> found;
    for (const auto& port : ListKernelPorts())
        found.push_back({port.device.string(), port.base, port == used});
    return found;
}

}  // namespace stepdial
