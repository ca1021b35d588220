#include "port_direct_io.h"

#include <sys/io.h>

#include <cerrno>

#include "port_error.h"

namespace stepdial {

DirectIoPort::DirectIoPort(std::uint16_t address) : address_(address) {
    if (::ioperm(address_, 1, 1) < 0) {
        const int error = errno;
        throw PortError({error, std::generic_category()}, address_, "direct port I/O",
                        "no parport device has this address and ioperm was refused",
                        "Load the parport_pc and ppdev modules (sudo modprobe parport_pc ppdev) "
                        "and add your user to the lp group.");
    }
}

void DirectIoPort::Write(std::uint16_t /*address*/, std::uint8_t value) {
    ::outb(value, address_);
    if (answered_) return;
    // The kernel's own probe: an SPP data register reads back what was written to it.
    if (::inb(address_) != value) {
        throw PortError(std::make_error_code(std::errc::no_such_device), address_,
                        "direct port I/O", "no parallel port answers at this address",
                        "Enable the parallel port in the BIOS setup and check that it sits at "
                        "this address; with the parport_pc module loaded, /proc/sys/dev/parport "
                        "lists the ports the kernel found.");
    }
    answered_ = true;
}

}  // namespace stepdial
