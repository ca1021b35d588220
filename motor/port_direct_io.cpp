#include "motor/port_direct_io.h"

#include <sys/io.h>

#include <cstdio>

namespace stepdial {
namespace {

// Control register bit 5 turns a bidirectional port's data lines into inputs: the data
// register then reads the lines, not the latch, and nothing written reaches the motor.
constexpr std::uint8_t kDataLinesInput = 0x20;
// Where nothing decodes the address the ISA bus floats high: every register reads 0xff.
constexpr std::uint8_t kNothingThere = 0xff;

}  // namespace

DirectIoPort::DirectIoPort(std::uint16_t address) : address_(address) {
    if (::ioperm(address_, 3, 1) < 0) {
        ThrowLastError(address_, "direct port I/O",
                       "the kernel lists no parallel port and ioperm was refused", remedy::kLoadDrivers);
    }
}

void DirectIoPort::Write(std::uint16_t /*address*/, std::uint8_t value) {
    ::outb(value, address_);
    if (answered_) return;
    // The kernel's own probe: an SPP data register reads back what was written to it.
    if (::inb(address_) != value) throw NoEchoError(address_, ::inb(address_ + 2));
    answered_ = true;
}

PortError NoEchoError(std::uint16_t address, std::uint8_t control) {
    if (control != kNothingThere && (control & kDataLinesInput) != 0) {
        char reads[48];
        std::snprintf(reads, sizeof reads, "reads 0x%02x, bit 5 set", unsigned{control});
        // Changing the control register is the operator's decision: a program that set the
        // lines as inputs may be reading a device through them.
        return PortError(
            std::make_error_code(std::errc::io_error), address, "direct port I/O",
            "the data lines are set as inputs, so nothing written reaches them (control register " +
                DescribeAddress(static_cast<std::uint16_t>(address + 2)) + " " + reads + ")",
            remedy::SetTheLinesBack());
    }
    return PortError(std::make_error_code(std::errc::no_such_device), address, "direct port I/O",
                     "no parallel port answers at this address", remedy::kEnableThePort);
}

}  // namespace stepdial
