#include "port_ppdev.h"

#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

#include "port_error.h"

namespace stepdial {
namespace {

std::string RemedyForOpen(int error) {
    switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return "Load the parport_pc and ppdev modules (sudo modprobe parport_pc ppdev).";
    case EACCES:
    case EPERM:
        return "Add your user to the lp group (sudo usermod -aG lp $USER), then log in again.";
    default:
        return "";
    }
}

}  // namespace

PpdevPort::PpdevPort(std::filesystem::path device, std::uint16_t address)
    : device_(std::move(device)), address_(address) {
    fd_ = ::open(device_.c_str(), O_RDWR | O_CLOEXEC);
    if (fd_ < 0) {
        const int error = errno;
        throw PortError({error, std::generic_category()}, address_, device_.string(), "cannot open",
                        RemedyForOpen(error));
    }
    // PPCLAIM shares the port with the printer driver; PPEXCL would fail while lp is bound.
    if (::ioctl(fd_, PPCLAIM) < 0) {
        const int error = errno;
        ::close(fd_);
        fd_ = -1;
        throw PortError({error, std::generic_category()}, address_, device_.string(),
                        "cannot claim the port",
                        "Close any program that holds the port exclusively, then start again.");
    }
}

PpdevPort::~PpdevPort() {
    // Releasing the claim leaves the data lines as they are: the last coil pattern stays.
    ::ioctl(fd_, PPRELEASE);
    ::close(fd_);
}

void PpdevPort::Write(std::uint16_t /*address*/, std::uint8_t value) {
    unsigned char data = value;
    if (::ioctl(fd_, PPWDATA, &data) < 0) {
        const int error = errno;
        throw PortError({error, std::generic_category()}, address_, device_.string(),
                        "cannot write the data register",
                        "Check that the port is still present and enabled, then start again.");
    }
}

}  // namespace stepdial
