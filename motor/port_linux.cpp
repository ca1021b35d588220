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

// Prefers the kernel's parport driver: its port at the address, else the first port it
// lists, a plug-in card's wherever its I/O window lies. Falls back to direct I/O, at the
// address only, when the kernel lists no port (no driver loaded, or a card it does not
// know): without the kernel's word nothing tells what sits at any other address.
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
        if (const auto kernelPort = ChooseParport(address)) {
            port = std::make_unique<PpdevPort>(kernelPort->device, kernelPort->base);
        } else {
#ifdef STEPDIAL_HAVE_DIRECT_IO
            port = std::make_unique<DirectIoPort>(address);
#else
            ThrowPortError(ENODEV, address, "/proc/sys/dev/parport", "the kernel lists no parallel port",
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
