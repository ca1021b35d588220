#include "motor/port_ppdev.h"

#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>
#include <vector>

#include "motor/open_advice.h"
#include "motor/parport_lookup.h"
#include "motor/port_error.h"

namespace stepdial {
namespace {

// How long a program that has the device open must keep it, outside any stepdial's shared
// lock, to be named as the holder: a stepdial takes that lock the moment after its open.
constexpr auto kSecondLook = std::chrono::milliseconds(20);

bool Has(const std::vector<std::string>& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// The processes with the device open that are not stepdials still trying for it.
std::vector<HolderProcess> OpenersNotTrying(const std::filesystem::path& device, const struct stat& node,
                                            const std::filesystem::path& processRoot) {
    auto openers = FindDeviceOpeners(device, processRoot);
    const auto trying = FindFlockSharers(node.st_dev, node.st_ino, processRoot);
    std::erase_if(openers, [&](const HolderProcess& p) {
        return std::find(trying.begin(), trying.end(), p.pid) != trying.end();
    });
    return openers;
}

// Those that still have it open, not trying, a moment later: a stepdial that has just opened
// the device takes its shared lock at its next step, or is gone once refused.
std::vector<HolderProcess> LastingHolders(const std::filesystem::path& device, const struct stat& node,
                                          const std::filesystem::path& processRoot) {
    auto holders = OpenersNotTrying(device, node, processRoot);
    if (holders.empty()) return holders;
    std::this_thread::sleep_for(kSecondLook);
    const auto trying = FindFlockSharers(node.st_dev, node.st_ino, processRoot);
    std::erase_if(holders, [&](const HolderProcess& p) {
        return std::find(trying.begin(), trying.end(), p.pid) != trying.end() ||
               !HasDeviceOpen(p.pid, device, processRoot);
    });
    return holders;
}

[[noreturn]] void RefuseAsBusy(std::uint16_t address, const std::filesystem::path& device,
                               const std::string& failure, std::string_view remedy) {
    ThrowPortError(EBUSY, address, device.c_str(), failure, remedy);
}

}  // namespace

void PpdevPort::DeviceFd::Close() {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

PpdevPort::PpdevPort(std::filesystem::path device, std::uint16_t address, std::filesystem::path procRoot)
    : device_(std::move(device)), address_(address) {
    Open();
    // A stepdial holds a shared flock on the device while it tries for the port and an
    // exclusive one while it holds it. The kernel's exclusive claim, not this lock, keeps
    // others off; the lock tells a holder from a starter about to be refused.
    if (::flock(fd_.fd, LOCK_SH | LOCK_NB) < 0) {
        if (errno != EWOULDBLOCK) ThrowLastError(address_, device_.c_str(), "cannot lock the device", "");
        fd_.Close();
        RefuseAsHeld(device_, address_, procRoot);
    }
    if (::ioctl(fd_.fd, PPEXCL) == 0 && ::ioctl(fd_.fd, PPCLAIM) == 0) {
        MarkAsHolder();
        return;
    }
    // ppdev answers a registration the port refuses with ENXIO, as it answers a port that
    // is gone; which it was, the kernel's list of the port tells.
    const int error = errno;
    if (error != ENXIO && error != EBUSY) {
        ThrowPortError(error, address_, device_.c_str(), "cannot claim the port",
                       DescribeRefusedClaim(device_, error));
    }
    // Let go first, so that nothing of this attempt shows while the holder is looked for.
    fd_.Close();
    RefuseAsHeld(device_, address_, procRoot);
}

void PpdevPort::Open() {
    fd_.fd = ::open(device_.c_str(), O_RDWR | O_CLOEXEC);
    if (fd_.fd < 0) RefuseOpen();
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
    ThrowPortError(error, address_, device_.c_str(), "cannot open",
                   noDriver ? remedy::kLoadDrivers : remedy::ForOutOfFiles(error));
}

void PpdevPort::MarkAsHolder() {
    // Refused while another starter holds its shared lock for a moment; tried again at the
    // next write. Until then a refused starter names this one by its open device instead.
    markedAsHolder_ = ::flock(fd_.fd, LOCK_EX | LOCK_NB) == 0;
}

void PpdevPort::RefuseAsHeld(const std::filesystem::path& device, std::uint16_t address,
                             const std::filesystem::path& procRoot,
                             const std::filesystem::path& processRoot) {
    const std::string parport = device.filename().string();
    const auto clients = FindParportClients(parport, procRoot);
    if (Has(clients, "lp")) {
        RefuseAsBusy(address, device,
                     "the printer driver lp is bound to the port, so no program can have it to itself",
                     remedy::kUnbindThePrinterDriver);
    }
    for (const auto& client : clients) {
        if (!client.starts_with("ppdev"))
            RefuseAsBusy(address, device, "the kernel driver \"" + client + "\" is bound to the port",
                         remedy::kStopTheDriversUser);
    }
    struct stat node {};
    if (::stat(device.c_str(), &node) == 0) {
        if (const auto holder = FindFlockHolder(node.st_dev, node.st_ino, processRoot)) {
            RefuseAsBusy(address, device,
                         "the port is in use by another program (" + DescribeProcess(*holder) +
                             ") that holds " + device.string(),
                         remedy::kCloseTheOther);
        }
        std::string who;
        for (const auto& holder : LastingHolders(device, node, processRoot))
            who += (who.empty() ? "" : "; ") + DescribeProcess(holder);
        if (!who.empty())
            RefuseAsBusy(address, device,
                         "the port is in use by another program (" + who + ") through " + device.string(),
                         remedy::kCloseTheOther);
    }
    if (!std::filesystem::exists(procRoot / parport)) {
        ThrowPortError(ENXIO, address, device.c_str(), "cannot claim the port", remedy::kCheckThePort);
    }
    // Another user's process cannot be seen, nor one that let go in the meantime.
    RefuseAsBusy(address, device,
                 "the port is in use by another program through " + device.string() +
                     " that cannot be told from here" +
                     (clients.empty() ? ""
                                      : " (the kernel lists its registration as " + clients.front() + ")"),
                 remedy::kCloseTheOther);
}

void PpdevPort::Write(std::uint16_t /*address*/, std::uint8_t value) {
    if (!markedAsHolder_) MarkAsHolder();
    unsigned char data = value;
    if (::ioctl(fd_.fd, PPWDATA, &data) < 0) {
        ThrowLastError(address_, device_.c_str(), "cannot write the data register", remedy::kCheckThePort);
    }
}

}  // namespace stepdial
