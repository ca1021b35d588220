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
//
// The port is claimed exclusively or not at all. ppdev runs every ioctl of every port under
// one mutex, and a claim that must wait sleeps inside it: beside any other client of the
// port, a program that claims while this one holds the port would sleep there, and this
// one's next write would wait for the mutex behind it, for ever. Holding the port
// exclusively, no other client can even register on it, so no claim can wait on it.
class PpdevPort : public Port {
public:
    // Opens and claims the device; `address` is the port's base address, which names it in
    // messages, and `procRoot` is where the kernel lists its ports (tests give a stand-in).
    // Refuses at once with a PortError (EBUSY) while anything else is registered on the
    // port, naming it: the printer driver, another stepdial, or another program.
    PpdevPort(std::filesystem::path device, std::uint16_t address,
              std::filesystem::path procRoot = "/proc/sys/dev/parport");
    PpdevPort(const PpdevPort&) = delete;
    PpdevPort& operator=(const PpdevPort&) = delete;

    void Write(std::uint16_t address, std::uint8_t value) override;

    // Why the port could not be had, from what the kernel and /proc show once this process
    // has let go of the device: a refusal naming the driver or the process that holds it.
    [[noreturn]] static void RefuseAsHeld(const std::filesystem::path& device, std::uint16_t address,
                                          const std::filesystem::path& procRoot,
                                          const std::filesystem::path& processRoot = "/proc");

private:
    // Closes the device on every way out, a refusal thrown from the constructor among them.
    // Closing releases the claim outside ppdev's mutex, and leaves the data lines as they
    // are: the last coil pattern stays.
    struct DeviceFd {
        int fd = -1;
        ~DeviceFd() { Close(); }
        void Close();
    };

    void Open();
    [[noreturn]] void RefuseOpen();
    void MarkAsHolder();

    std::filesystem::path device_;
    std::uint16_t address_;
    DeviceFd fd_;
    bool markedAsHolder_ = false;
};

}  // namespace stepdial
