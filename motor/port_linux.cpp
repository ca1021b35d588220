#include <stdexcept>

#include "hardware_port.h"
#include "parport_lookup.h"
#include "port_error.h"
#include "port_ppdev.h"
#ifdef STEPDIAL_HAVE_DIRECT_IO
#include "port_direct_io.h"
#endif

namespace stepdial {
namespace {

// Prefers the kernel's parport driver; falls back to direct I/O only when no parport
// device has the address (no driver loaded, or a card the driver does not know).
class LinuxPort : public HardwarePort {
public:
    void Out32(std::uint16_t address, std::uint8_t value) override {
        if (!bound_) {
            BindAndWrite(address, value);
            return;
        }
        if (address != address_) {
            throw std::invalid_argument("port bound to " + DescribeAddress(address_) +
                                        " was asked to write " + DescribeAddress(address));
        }
        bound_->Out32(address, value);
    }

    std::string BoundTo() const override { return boundTo_; }

private:
    // The binding counts only once its first write went through: a direct-I/O port that
    // does not answer is no binding at all.
    void BindAndWrite(std::uint16_t address, std::uint8_t value) {
        std::unique_ptr<Port> port;
        std::string boundTo;
        if (const auto device = FindParportDevice(address)) {
            port = std::make_unique<PpdevPort>(*device, address);
            boundTo = device->string();
        } else {
#ifdef STEPDIAL_HAVE_DIRECT_IO
            port = std::make_unique<DirectIoPort>(address);
            boundTo = "direct port I/O";
#else
            throw PortError(std::make_error_code(std::errc::no_such_device), address,
                            "/proc/sys/dev/parport", "no parport device has this address",
                            "Load the parport_pc and ppdev modules (sudo modprobe parport_pc ppdev).");
#endif
        }
        port->Out32(address, value);
        bound_ = std::move(port);
        boundTo_ = std::move(boundTo);
        address_ = address;
    }

    std::unique_ptr<Port> bound_;
    std::string boundTo_;
    std::uint16_t address_ = 0;
};

}  // namespace

std::unique_ptr<HardwarePort> MakeHardwarePort() { return std::make_unique<LinuxPort>(); }

}  // namespace stepdial
