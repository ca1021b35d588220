#include "port_ppdev.h"

#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "parport_lookup.h"
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

const char* const kCloseTheOther = "Close the other program that drives the parallel port, then start again.";

}  // namespace

PpdevPort::PpdevPort(std::filesystem::path device, std::uint16_t address, std::filesystem::path procRoot)
    : device_(std::move(device)), address_(address) {
    fd_ = ::open(device_.c_str(), O_RDWR | O_CLOEXEC);
    if (fd_ < 0) {
        const int error = errno;
        throw PortError({error, std::generic_category()}, address_, device_.string(), "cannot open",
                        RemedyForOpen(error));
    }
    RefuseIfHeld(procRoot);
    // PPCLAIM shares the port with the printer driver; PPEXCL would fail while lp is bound.
    if (::ioctl(fd_, PPCLAIM) < 0) {
        CloseAndThrow(errno, "cannot claim the port",
                      "Close any program that holds the port exclusively, then start again.");
    }
}

void PpdevPort::RefuseIfHeld(const std::filesystem::path& procRoot) {
    // ppdev lets any number of programs open the device, and a second PPCLAIM sleeps
    // until the first program releases, holding ppdev's one mutex, so the first
    // program's writes block too. Every stepdial locks the device node first: the lock
    // is refused at once instead.
    if (::flock(fd_, LOCK_EX | LOCK_NB) < 0) {
        const int error = errno;
        if (error != EWOULDBLOCK) CloseAndThrow(error, "cannot lock the device", "");
        std::string who = "another stepdial or another program that locks " + device_.string();
        struct stat node {};
        if (::fstat(fd_, &node) == 0) {
            if (const auto holder = FindFlockHolder(node.st_dev, node.st_ino)) {
                who = "another program (PID " + std::to_string(holder->pid) +
                      (holder->command.empty() ? "" : ", " + holder->command) + ") that holds " +
                      device_.string();
            }
        }
        CloseAndThrow(EBUSY, "the port is in use by " + who, kCloseTheOther);
    }
    // A program that does not lock the device, or a kernel driver, shows as the port's
    // active client while it has the port claimed.
    const auto holder = FindParportHolder(device_.filename().string(), procRoot);
    if (!holder) return;
    if (holder->starts_with("ppdev")) {
        CloseAndThrow(EBUSY,
                      "the port is in use by another program through " + device_.string() +
                          " (the kernel lists its claim as " + *holder + ")",
                      kCloseTheOther);
    }
    if (*holder == "lp") {
        CloseAndThrow(EBUSY, "the port is in use by the printer driver lp, which is printing",
                      "Wait until the print job is done, or cancel it, then start again.");
    }
    CloseAndThrow(EBUSY, "the port is in use by the kernel driver \"" + *holder + "\"",
                  "Stop whatever uses that driver, then start again.");
}

void PpdevPort::CloseAndThrow(int error, const std::string& failure, const std::string& remedy) {
    ::close(fd_);
    fd_ = -1;
    throw PortError({error, std::generic_category()}, address_, device_.string(), failure, remedy);
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
