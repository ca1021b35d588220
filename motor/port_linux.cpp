#include <cerrno>
#include <optional>
#include <system_error>

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
        if (const auto kernelPort = ChooseKernelPort(address)) {
            port = std::make_unique<PpdevPort>(kernelPort->device, kernelPort->base);
        } else {
#ifdef STEPDIAL_HAVE_DIRECT_IO
            port = std::make_unique<DirectIoPort>(address);
#else
            ThrowPortError(ENODEV, address, kPortList, "the kernel lists no parallel port",
                           remedy::kLoadDrivers);
#endif
        }
        port->Write(address, value);
        bound_ = std::move(port);
    }

    static std::optional<KernelPort> ChooseKernelPort(std::uint16_t address) {
        try {
            return ChooseParport(address, kPortList);
        } catch (const std::system_error& e) {
            ThrowPortError(e.code().value(), address, kPortList,
                           "cannot read the kernel's list of parallel ports",
                           remedy::ForOutOfFiles(e.code().value()));
        }
    }

    static constexpr char kPortList[] = "/proc/sys/dev/parport";
    std::unique_ptr<Port> bound_;
};

}  // namespace

std::unique_ptr<Port> MakeHardwarePort() { return std::make_unique<LinuxPort>(); }

}  // namespace stepdial
