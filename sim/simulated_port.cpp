#include "sim/simulated_port.h"

#include <system_error>

#include "motor/port_error.h"

namespace stepdial {

void SimulatedPort::Write(std::uint16_t address, std::uint8_t value) {
    if (address != kDataRegister) {
        throw PortError(std::make_error_code(std::errc::no_such_device), address, "simulated parallel port",
                        "no port at this address", remedy::OnlyTheDataRegister());
    }
    motor_.Apply(value);
    if (listener_) listener_();
}

}  // namespace stepdial
