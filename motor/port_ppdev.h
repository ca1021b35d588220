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
    // Opens and claims the device; `address` only names the port in messages.
    PpdevPort(std::filesystem::path device, std::uint16_t address);
    ~PpdevPort() override;
    PpdevPort(const PpdevPort&) = delete;
    PpdevPort& operator=(const PpdevPort&) = delete;

    void Write(std::uint16_t address, std::uint8_t value) override;

private:
    std::filesystem::path device_;
    std::uint16_t address_;
    int fd_ = -1;
};

}  // namespace stepdial
