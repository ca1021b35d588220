#include "motor/port_ppdev.h"

#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "motor/open_advice.h"
#include "motor/parport_lookup.h"
#include "motor/port_error.h"

namespace stepdial {

void PpdevPort::DeviceFd::Close() {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

PpdevPort::PpdevPort(std::filesystem::path device, std::uint16_t address, std::filesystem::path procRoot)
    : device_(std::move(device)), address_(address) {
    OpenAndLock(procRoot);
    // While an exclusive claim lasts the kernel refuses every other claim at once. Shared,
    // a program that does not lock the device sleeps in its PPCLAIM holding ppdev's one
    // mutex, and this program's next write waits for it in the kernel, unkillable.
    if (::ioctl(fd_.fd, PPEXCL) == 0 && ::ioctl(fd_.fd, PPCLAIM) == 0) return;
    // Refused while the printer driver or another ppdev client is registered on the port.
    // The exclusive wish stays with the open file, so the shared claim needs a fresh one.
    OpenAndLock(procRoot);
    if (::ioctl(fd_.fd, PPCLAIM) < 0) {
        const int error = errno;
        ThrowPortError(error, address_, device_.c_str(), "cannot claim the port",
                       DescribeRefusedClaim(device_, error));
    }
}

void PpdevPort::OpenAndLock(const std::filesystem::path& procRoot) {
    fd_.Close();
    fd_.fd = ::open(device_.c_str(), O_RDWR | O_CLOEXEC);
    if (fd_.fd < 0) RefuseOpen();
    RefuseIfHeld(procRoot);
}

void PpdevPort::RefuseOpen() {
    const int error = errno;
    if (error == EACCES || error == EPERM) {
        const NodeAccess access = ReadNodeAccess(device_);
        ThrowPortError(error, address_, device_.c_str(), "cannot open",
                       DescribeOpenAdvice(ChooseOpenAdvice(access), access));
    }
    if (error == ENOENT)
        ThrowPortError(error, address_, device_.c_str(), "cannot open", DescribeMissingNode(device_));
    const bool noDriver = error == ENODEV || error == ENXIO;
    ThrowPortError(error, address_, device_.c_str(), "cannot open", noDriver ? remedy::kLoadDrivers : "");
}

void PpdevPort::RefuseIfHeld(const std::filesystem::path& procRoot) {
    // ppdev lets any number of programs open the device. Every stepdial locks the device
    // node first, so a second one is refused here at once.
    if (::flock(fd_.fd, LOCK_EX | LOCK_NB) < 0) {
        if (errno != EWOULDBLOCK) ThrowLastError(address_, device_.c_str(), "cannot lock the device", "");
        std::string who = "another stepdial or another program that locks " + device_.string();
        struct stat node {};
        if (::fstat(fd_.fd, &node) == 0) {
            if (const auto holder = FindFlockHolder(node.st_dev, node.st_ino)) {
                who = "another program (" + DescribeProcess(*holder) + ") that holds " + device_.string();
            }
        }
        RefuseAsBusy("the port is in use by " + who, remedy::kCloseTheOther);
    }
    // A program that does not lock the device, or a kernel driver, shows as the port's
    // active client while it has the port claimed.
    const auto holder = FindParportHolder(device_.filename().string(), procRoot);
    if (!holder) return;
    if (holder->starts_with("ppdev"))
        RefuseAsBusy("the port is in use by " + DescribePpdevHolder(*holder), remedy::kCloseTheOther);
    if (*holder == "lp")
        RefuseAsBusy("the port is in use by the printer driver lp, which is printing",
                     remedy::kWaitForThePrintJob);
    RefuseAsBusy("the port is in use by the kernel driver \"" + *holder + "\"", remedy::kStopTheDriversUser);
}

void PpdevPort::RefuseAsBusy(const std::string& failure, std::string_view remedy) {
    ThrowPortError(EBUSY, address_, device_.c_str(), failure, remedy);
}

std::string PpdevPort::DescribePpdevHolder(const std::string& client) const {
    std::string who;
    for (const auto& opener : FindDeviceOpeners(device_))
        who += (who.empty() ? "" : "; ") + DescribeProcess(opener);
    // Another user's process cannot be seen; the kernel's name of the claim is all there is.
    if (who.empty())
        return "another program through " + device_.string() + " (the kernel lists its claim as " + client +
               ")";
    return "another program (" + who + ") through " + device_.string();
}

PpdevPort::~PpdevPort() {
    // Releasing the claim leaves the data lines as they are: the last coil pattern stays.
    ::ioctl(fd_.fd, PPRELEASE);
}

void PpdevPort::Write(std::uint16_t /*address*/, std::uint8_t value) {
    unsigned char data = value;
    if (::ioctl(fd_.fd, PPWDATA, &data) < 0) {
        ThrowLastError(address_, device_.c_str(), "cannot write the data register", remedy::kCheckThePort);
    }
}

}  // namespace stepdial
