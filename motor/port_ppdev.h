#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "motor/port.h"

namespace stepdial {

// A parallel port through the kernel's ppdev driver (/dev/parportN). Needs access to the
// device node only (the desktop's seat, or the lp group), and works under Secure Boot,
// where direct port I/O is locked down.
class PpdevPort : public Port {
public:
    // Opens and claims the device, exclusively where the kernel allows it; `address` only
    // names the port in messages, and `procRoot` is where the kernel lists its ports (tests
    // give a stand-in). Refuses with a PortError (EBUSY) and claims nothing while another
    // program holds the port.
    PpdevPort(std::filesystem::path device, std::uint16_t address,
              std::filesystem::path procRoot = "/proc/sys/dev/parport");
    ~PpdevPort() override;
    PpdevPort(const PpdevPort&) = delete;
    PpdevPort& operator=(const PpdevPort&) = delete;

    void Write(std::uint16_t address, std::uint8_t value) override;

private:
    // Closes the device on every way out, a refusal thrown from the constructor among them.
    struct DeviceFd {
        int fd = -1;
        ~DeviceFd() { Close(); }
        void Close();
    };

    void OpenAndLock(const std::filesystem::path& procRoot);
    [[noreturn]] void RefuseOpen();
    // Throws when the port is taken; a claim then would sleep in the kernel until the
    // holder lets go, and block the holder's own writes meanwhile.
    void RefuseIfHeld(const std::filesystem::path& procRoot);
    [[noreturn]] void RefuseAsBusy(const std::string& failure, std::string_view remedy);
    std::string DescribePpdevHolder(const std::string& client) const;

    std::filesystem::path device_;
    std::uint16_t address_;
    DeviceFd fd_;
};

}  // namespace stepdial
