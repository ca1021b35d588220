#include <string>

#include "motor/lpt_choice.h"
#include "motor/lpt_ports_windows.h"
#include "motor/port.h"
#include "ports/port_survey.h"

namespace stepdial {

// The LPT ports Plug and Play lists at an I/O range, the one the program writes to marked;
// without one it takes, the program writes to LPT1's address.
std::vector<ParallelPortFound> ListParallelPorts() {
    const LptListing listing = ListLptPorts();
    const LptChoice chosen = ChooseLpt(listing, kDataRegister);
    std::vector<ParallelPortFound> found;
    for (const auto& port : listing.ports) {
        const std::string name = "LPT" + std::to_string(port.number);
        if (port.base) found.push_back({name, *port.base, name == chosen.name});
    }
    if (chosen.name.empty()) found.insert(found.begin(), {"LPT1", chosen.address, true});
    return found;
}

}  // namespace stepdial
