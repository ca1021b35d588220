#pragma once

#include <cstdint>
#include <filesystem>

#include "port.h"

namespace stepdial {

// A parallel port through the kernel's ppdev driver (/dev/parportN). Needs only
// membership of the lp group, and works under Secure Boot, where direct port I/O is
// locked down.
class PpdevPort : public Port {
public:
    // Opens and claims the device; `address` only names the port in messages, and
    // `procRoot` is where the kernel lists its ports (tests give a stand-in). Refuses with
    // a PortError (EBUSY) and claims nothing while another program holds the port.
    PpdevPort(std::filesystem::path device, std::uint16_t address,
              std::filesystem::path procRoot = "/proc/sys/dev/parport");
    ~PpdevPort() override;
    PpdevPort(const PpdevPort&) = delete;
    PpdevPort& operator=(const PpdevPort&) = delete;

    void Write(std::uint16_t address, std::uint8_t value) override;

private:
    // Throws when the port is taken; a claim then would sleep in the kernel until the
    // holder lets go, and block the holder's own writes meanwhile.
    void RefuseIfHeld(const std::filesystem::path& procRoot);
    [[noreturn]] void CloseAndThrow(int error, const std::string& failure, const std::string& remedy);

    std::filesystem::path device_;
    std::uint16_t address_;
    int fd_ = -1;
};

}  // namespace stepdial
