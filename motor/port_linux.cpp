#include <cerrno>

#include "motor/hardware_port.h"
#include "motor/parport_lookup.h"
#include "motor/port_error.h"
#include "motor/port_ppdev.h"
#ifdef STEPDIAL_HAVE_DIRECT_IO
#include "motor/port_direct_io.h"
#endif

namespace stepdial {
namespace {

// Prefers the kernel's parport driver; falls back to direct I/O only when no parport
// device has the address (no driver loaded, or a card the driver does not know).
class LinuxPort : public Port {
public:
    void Write(std::uint16_t address, std::uint8_t value) override {
        if (bound_) {
            bound_->Write(address, value);
        } else {
            BindAndWrite(address, value);
        }
    }

private:
    // The binding counts only once its first write went through: a direct-I/O port that
    // does not answer is no binding at all.
    void BindAndWrite(std::uint16_t address, std::uint8_t value) {
        std::unique_ptr<Port> port;
        if (const auto device = FindParportDevice(address)) {
            port = std::make_unique<PpdevPort>(*device, address);
        } else {
#ifdef STEPDIAL_HAVE_DIRECT_IO
            port = std::make_unique<DirectIoPort>(address);
#else
            ThrowPortError(ENODEV, address, "/proc/sys/dev/parport", "no parport device has this address",
                           remedy::kLoadDrivers);
#endif
        }
        port->Write(address, value);
        bound_ = std::move(port);
    }

    std::unique_ptr<Port> bound_;
};

}  // namespace

std::unique_ptr<Port> MakeHardwarePort() { return std::make_unique<LinuxPort>(); }

}  // namespace stepdial
