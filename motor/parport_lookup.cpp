#include "motor/parport_lookup.h"

#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "motor/shown_text.h"

namespace stepdial {
namespace {

// The kernel ends comm with a newline of its own; a name set with prctl may hold more,
// which are part of it.
std::string CommandOf(long pid, const std::filesystem::path& procRoot) {
    std::ifstream comm(procRoot / std::to_string(pid) / "comm");
    std::string command{std::istreambuf_iterator<char>(comm), std::istreambuf_iterator<char>()};
    if (command.ends_with('\n')) command.pop_back();
    return command;
}

// Out of descriptors, every folder reads as empty and every file as missing.
void ThrowIfOutOfFiles(int error, const std::filesystem::path& file) {
    if (error == EMFILE || error == ENFILE)
        throw std::system_error(error, std::generic_category(), file.string());
}

// The kernel's ports in its own order: parport2 before parport10.
std::vector<std::string> ListParports(const std::filesystem::path& procRoot) {
    std::error_code ec;
    std::vector<std::string> names;
    std::filesystem::directory_iterator folder(procRoot, ec);
    ThrowIfOutOfFiles(ec.value(), procRoot);
    for (const auto& entry : folder) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("parport") && name.size() > 7) names.push_back(name);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    return names;
}

struct Flock {
    long pid = 0;
    bool exclusive = false;
};

// The flocks held (not waited for) on the file, from /proc/locks' lines such as
// "1: FLOCK  ADVISORY  WRITE 1234 fe:00:10953394 0 EOF"; a waiter's line has "->" after the
// number. The kernel prints the device as hex major:minor. A PID outside this PID namespace
// shows as 0.
std::vector<Flock> ListFlocks(dev_t device, ino_t inode, const std::filesystem::path& procRoot) {
    char wanted[64];
    std::snprintf(wanted, sizeof wanted, "%02x:%02x:%lu", major(device), minor(device),
                  static_cast<unsigned long>(inode));
    std::vector<Flock> flocks;
    std::ifstream locks(procRoot / "locks");
    for (std::string line; std::getline(locks, line);) {
        std::istringstream fields(line);
        std::string number, kind, mode, access, where;
        long pid = 0;
        if (!(fields >> number >> kind) || kind != "FLOCK") continue;
        if (!(fields >> mode >> access >> pid >> where) || where != wanted) continue;
        flocks.push_back({pid, access == "WRITE"});
    }
    return flocks;
}

}  // namespace

std::string DescribeProcess(const HolderProcess& process) {
    return "PID " + std::to_string(process.pid) +
           (process.command.empty() ? "" : ", " + ShownSafely(process.command));
}

std::vector<KernelPort> ListKernelPorts(const std::filesystem::path& procRoot, const std::filesystem::path& devRoot) {
    std::vector<KernelPort> ports;
    for (const auto& name : ListParports(procRoot)) {
        std::ifstream baseAddr(procRoot / name / "base-addr");
        if (!baseAddr.is_open()) ThrowIfOutOfFiles(errno, procRoot / name / "base-addr");
        unsigned long base = 0;
        if (!(baseAddr >> base) || base > 0xffff) continue;
        ports.push_back({devRoot / name, static_cast<std::uint16_t>(base)});
    }
    return ports;
}

std::optional<KernelPort> ChooseParport(std::uint16_t preferred, const std::filesystem::path& procRoot,
                                        const std::filesystem::path& devRoot) {
    const auto ports = ListKernelPorts(procRoot, devRoot);
    if (ports.empty()) return std::nullopt;
    // The first port at the address wins, as LPT1 does.
    const auto atAddress =
        std::find_if(ports.begin(), ports.end(), [&](const KernelPort& port) { return port.base == preferred; });
    return atAddress != ports.end() ? *atAddress : ports.front();
}

std::vector<std::string> FindParportClients(std::string_view parport, const std::filesystem::path& procRoot) {
    std::vector<std::string> clients;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(procRoot / parport / "devices", ec)) {
        if (entry.is_directory(ec)) clients.push_back(entry.path().filename().string());
    }
    std::sort(clients.begin(), clients.end());
    return clients;
}

std::optional<HolderProcess> FindFlockHolder(dev_t device, ino_t inode,
                                             const std::filesystem::path& procRoot) {
    for (const auto& flock : ListFlocks(device, inode, procRoot)) {
        if (!flock.exclusive) continue;
        if (flock.pid <= 0) return std::nullopt;
        return HolderProcess{flock.pid, CommandOf(flock.pid, procRoot)};
    }
    return std::nullopt;
}

std::vector<long> FindFlockSharers(dev_t device, ino_t inode, const std::filesystem::path& procRoot) {
    std::vector<long> pids;
    for (const auto& flock : ListFlocks(device, inode, procRoot)) {
        if (!flock.exclusive && flock.pid > 0) pids.push_back(flock.pid);
    }
    return pids;
}

bool HasDeviceOpen(long pid, const std::filesystem::path& device, const std::filesystem::path& procRoot) {
    std::error_code unreadable;  // another user's process: its fds are not ours to see
    for (const auto& fd :
         std::filesystem::directory_iterator(procRoot / std::to_string(pid) / "fd", unreadable)) {
        std::error_code gone;
        if (std::filesystem::read_symlink(fd.path(), gone) == device) return true;
    }
    return false;
}

std::vector<HolderProcess> FindDeviceOpeners(const std::filesystem::path& device,
                                             const std::filesystem::path& procRoot) {
    std::vector<HolderProcess> openers;
    std::error_code ec;
    const long self = ::getpid();
    for (const auto& entry : std::filesystem::directory_iterator(procRoot, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
        const long pid = std::stol(name);
        if (pid != self && HasDeviceOpen(pid, device, procRoot))
            openers.push_back({pid, CommandOf(pid, procRoot)});
    }
    std::sort(openers.begin(), openers.end(), [](const auto& a, const auto& b) { return a.pid < b.pid; });
    return openers;
}

}  // namespace stepdial
